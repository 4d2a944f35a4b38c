// Delivery with libcurl to a loopback SMTP server (aiosmtpd under /usr/bin/python3).

#include "net/mail/smtp_delivery.h"

#include <gtest/gtest.h>

#include "net/mail/mail_message.h"
#include "support/loopback_smtp.h"
#include "support/test_home.h"

using namespace pravella::mail;
using pravella::test::LoopbackSmtp;

namespace {

class SmtpDelivery : public ::testing::Test {
 protected:
  void SetUp() override {
    server_ = std::make_unique<LoopbackSmtp>(pravella::test::home() + "/mails");
    ASSERT_GT(server_->port(), 0);
    settings_.host = "127.0.0.1";
    settings_.port = server_->port();
    settings_.security = Security::None;
    settings_.sender = "Me <me@example.org>";
  }
  std::unique_ptr<LoopbackSmtp> server_;
  MailSettings settings_;
};

TEST_F(SmtpDelivery, TheMessageArrivesWholeWithBlindCopiesOnlyInTheEnvelope) {
  const MailFields fields{"Ann <ann@example.org>", "cc@example.org", "hidden@example.org", "Dots"};
  // Lines that begin with a dot survive the transfer's own use of them.
  const QByteArray message = buildMimeMessage(settings_.sender, fields, ".\n.leading\nlast", QDateTime::currentDateTime());
  const DeliveryResult sent = deliverMessage(settings_, recipients(fields), message);
  ASSERT_TRUE(sent.ok) << sent.error.toStdString();
  const QStringList stored = server_->messages();
  ASSERT_EQ(stored.size(), 1);
  EXPECT_EQ(LoopbackSmtp::recipientsOf(stored.first()),
            (QStringList{"ann@example.org", "cc@example.org", "hidden@example.org"}));
  const QByteArray arrived = LoopbackSmtp::read(stored.first());
  EXPECT_EQ(arrived, message);
  EXPECT_FALSE(arrived.contains("hidden"));
}

TEST_F(SmtpDelivery, ARefusedRecipientOrNoServerFailsWithTheReasonAndStoresNothing) {
  const MailFields fields{"ann@example.org, refuse@example.org", "", "", "No"};
  const DeliveryResult refused =
      deliverMessage(settings_, recipients(fields), buildMimeMessage(settings_.sender, fields, "x", QDateTime::currentDateTime()));
  EXPECT_FALSE(refused.ok);
  EXPECT_TRUE(refused.error.contains("550")) << refused.error.toStdString();
  EXPECT_TRUE(server_->messages().isEmpty());
  // Asked for STARTTLS, a server that cannot encrypt gets nothing in the clear.
  MailSettings secure = settings_;
  secure.security = Security::StartTls;
  EXPECT_FALSE(deliverMessage(secure, {"ann@example.org"}, "Subject: x\r\n\r\nx\r\n").ok);
  EXPECT_TRUE(server_->messages().isEmpty());

  server_.reset();  // nobody listens on the port any more
  const DeliveryResult nobody = deliverMessage(settings_, {"ann@example.org"}, "Subject: x\r\n\r\nx\r\n");
  EXPECT_FALSE(nobody.ok);
  EXPECT_FALSE(nobody.error.isEmpty());
  EXPECT_FALSE(deliverMessage(settings_, {}, "x").ok);
}

// Every address goes into an SMTP command of its own; the delivery itself refuses one that
// could end that command, add parameters to it or add a command, before a server hears of it.
TEST_F(SmtpDelivery, AddressesThatWouldChangeTheCommandsAreRefusedBeforeSending) {
  const QByteArray message = "Subject: x\r\n\r\nx\r\n";
  const char* const bad[] = {
      "ann@example.org>\r\nRCPT TO:<evil@example.org",
      "ann@example.org\nRSET",
      "<ann@example.org> NOTIFY=SUCCESS",
      "ann@example.org> NOTIFY=SUCCESS",
      "ann@example.org NOTIFY=SUCCESS",
      "ann@example.org\tNOTIFY=SUCCESS",
      "\"ann\"@example.org",
      "ann",
      "@example.org",
      "ann@",
      "a@b@example.org",
  };
  for (const char* address : bad) {
    const DeliveryResult r = deliverMessage(settings_, {"ok@example.org", address}, message);
    EXPECT_FALSE(r.ok) << address;
    EXPECT_TRUE(r.error.endsWith("is not a mail address.")) << r.error.toStdString();
    EXPECT_FALSE(r.error.contains('\n'));
  }
  MailSettings sender = settings_;
  for (const char* from : {"me@example.org> SIZE=1", "me@example.org\r\nRCPT TO:<evil@example.org>", "me"}) {
    sender.sender = from;
    const DeliveryResult r = deliverMessage(sender, {"ok@example.org"}, message);
    EXPECT_FALSE(r.ok) << from;
    EXPECT_FALSE(r.error.isEmpty());
  }
  EXPECT_TRUE(server_->messages().isEmpty());
  // Addresses of every allowed kind still go.
  const QStringList good{"o'neil+tag@example.org", "x@[127.0.0.1]", QString::fromUtf8("taro@例え.jp")};
  const DeliveryResult sent = deliverMessage(settings_, good, message);
  ASSERT_TRUE(sent.ok) << sent.error.toStdString();
  ASSERT_EQ(server_->messages().size(), 1);
}

// A mail server refuses a line of more than 998 characters ("Weird server reply").
TEST_F(SmtpDelivery, ALongSubjectIsFoldedAndArrives) {
  const QString words = QString("word ").repeated(240).trimmed();
  const QString oneWord = QString(1200, 'x');
  for (const QString& subject : {words, oneWord}) {
    const MailFields fields{"Ann <ann@example.org>", "", "", subject};
    const QByteArray message =
        buildMimeMessage(settings_.sender, fields, "body", QDateTime::currentDateTime());
    for (const QByteArray& line : message.split('\n')) EXPECT_LE(line.size(), 999);
    const DeliveryResult sent = deliverMessage(settings_, recipients(fields), message);
    EXPECT_TRUE(sent.ok) << sent.error.toStdString();
  }
  EXPECT_EQ(server_->messages().size(), 2);
}

}  // namespace

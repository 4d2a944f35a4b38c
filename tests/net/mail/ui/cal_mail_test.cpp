// The mail sheet end to end: its drawer, its sends to a loopback SMTP server (aiosmtpd), its
// alerts and sounds, the remembered addressees and the settings dialog.

#include "net/mail/ui/cal_mail.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTextEdit>
#include <QTimer>
#include <QtTest/QTest>

#include <functional>

#include <memory>

#include "diary/diary_globals.h"
#include "lang/values.h"
#include "net/mail/address_list.h"
#include "net/mail/mail_settings.h"
#include "net/mail/ui/mail_settings_dialog.h"
#include "platform/property_list.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/sound_player.h"
#include "support/loopback_smtp.h"
#include "support/test_home.h"

namespace mail = pravella::mail;
using pravella::test::LoopbackSmtp;

#include <sys/stat.h>

namespace {

unsigned modeOf(const QString& path) {
  struct stat info {};
  return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 0777 : 01000;
}

class MailSheet : public ::testing::Test {
 protected:
  void SetUp() override {
    dialogs_ = std::make_shared<pravella::dialogs::Scripted>();
    pravella::dialogs::setHandler(dialogs_);
    pravella::setSoundRecorder([this](const QString& s) { sounds_ << s; });
    pvSoundStatus = 0;  // the sheet's sounds do not ask the switch
  }
  void TearDown() override {
    sheet_.reset();
    server_.reset();
    pvSoundStatus = 1;
    pravella::setSoundRecorder({});
    pravella::dialogs::setHandler(nullptr);
  }
  void configure() {
    server_ = std::make_unique<LoopbackSmtp>(pravella::test::home() + "/mails");
    ASSERT_GT(server_->port(), 0);
    mail::MailSettings s;
    s.host = "127.0.0.1";
    s.port = server_->port();
    s.security = mail::Security::None;
    s.sender = "Me <me@example.org>";
    ASSERT_TRUE(mail::writeMailSettings(s).ok);
  }
  CalMail& sheet() {
    if (!sheet_) {
      CalMail::Host host;
      host.closeAllToggleView = [this] { ++closes_; };
      host.setToggleStatus = [this](int n) { toggle_ = n; return 0; };
      host.documentView = &memo_;
      sheet_ = std::make_unique<CalMail>(host);
      sheet_->awakeFromNib();
    }
    return *sheet_;
  }
  // Fills the fields and sends; answers whether the send succeeded.
  bool send(const QString& to, const QString& subject, const QString& bcc = {}) {
    CalMail& m = sheet();
    m.mailToField()->setEditText(to);
    m.subjectField()->setText(subject);
    m.BccField()->setText(bcc);
    QSignalSpy done(&m, &CalMail::deliveryFinished);
    m.sendMailAction();
    if (done.isEmpty() && !done.wait(60000)) return false;
    return done.first().first().toBool();
  }
  void selectInMemo(const QString& text, int from, int to) {
    memo_.setPlainText(text);
    QTextCursor c(memo_.document());
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    memo_.setTextCursor(c);
  }

  std::shared_ptr<pravella::dialogs::Scripted> dialogs_;
  std::unique_ptr<LoopbackSmtp> server_;
  std::unique_ptr<CalMail> sheet_;
  QTextEdit memo_;
  QStringList sounds_;
  int closes_ = 0, toggle_ = 0;
};

// Answers the mail settings dialog each time one shows, through its own widgets.
class SettingsAnswer {
 public:
  explicit SettingsAnswer(std::function<void(MailSettingsDialog*)> answer) {
    QObject::connect(&poll_, &QTimer::timeout, [this, answer] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<MailSettingsDialog*>(w);
        if (!dialog || !dialog->isVisible() || dialog == answered_) continue;
        answered_ = dialog;
        ++shown;
        reasons << (dialog->reasonLine()->isVisible() ? dialog->reasonLine()->text() : QString());
        answer(dialog);
      }
    });
    poll_.start(20);
  }
  static void press(MailSettingsDialog* dialog, QDialogButtonBox::StandardButton which) {
    QTest::mouseClick(dialog->findChild<QDialogButtonBox*>()->button(which), Qt::LeftButton);
  }
  int shown = 0;
  QStringList reasons;

 private:
  QTimer poll_;
  QPointer<MailSettingsDialog> answered_;
};

QAction* menuItem(QMenu& menu, const QString& text) {
  for (QAction* a : menu.actions())
    if (a->text() == text) return a;
  ADD_FAILURE() << "no menu item " << text.toStdString();
  return nullptr;
}

// Tools > Mail without an account opens the settings, with a line that says why; once they
// are filled in, the sheet opens. Cancelled, nothing opens and nothing is written.
TEST_F(MailSheet, TheMenuItemAsksForAnAccountFirst) {
  selectInMemo("memo text here", 5, 9);
  QMenu tools;
  sheet().addMenuActions(&tools);
  QAction* mail = menuItem(tools, "M&ail");
  ASSERT_TRUE(mail);
  {
    SettingsAnswer cancel([](MailSettingsDialog* d) { SettingsAnswer::press(d, QDialogButtonBox::Cancel); });
    mail->trigger();
    ASSERT_EQ(cancel.shown, 1);
    EXPECT_TRUE(cancel.reasons.first().startsWith("Mail needs an account to send through"))
        << cancel.reasons.first().toStdString();
  }
  EXPECT_FALSE(sheet().mailSheetView()->isVisible());
  EXPECT_FALSE(QFileInfo::exists(mail::settingsPath()));

  server_ = std::make_unique<LoopbackSmtp>(pravella::test::home() + "/mails");
  ASSERT_GT(server_->port(), 0);
  {
    SettingsAnswer fill([this](MailSettingsDialog* d) {
      QTest::keyClicks(d->hostField(), "127.0.0.1");
      QTest::keyClicks(d->senderField(), "Me <me@example.org>");
      d->portField()->setValue(server_->port());
      d->securityField()->setCurrentIndex(int(mail::Security::None));
      SettingsAnswer::press(d, QDialogButtonBox::Ok);
    });
    mail->trigger();
    EXPECT_EQ(fill.shown, 1);
  }
  EXPECT_TRUE(mail::readMailSettings().configured());
  EXPECT_TRUE(sheet().mailSheetView()->isVisible());
  EXPECT_EQ(toggle_, CalMail::kToggleNumber);
  EXPECT_EQ(sheet().textField()->toPlainText(), "text");
  // With an account the item asks nothing: it closes the open sheet, and a send goes through.
  sheet().mailToField()->setEditText("ann@example.org");
  QSignalSpy done(&sheet(), &CalMail::deliveryFinished);
  sheet().sendMailAction();
  ASSERT_TRUE(done.wait(60000));
  EXPECT_TRUE(done.first().first().toBool());
  {
    SettingsAnswer none([](MailSettingsDialog* d) { SettingsAnswer::press(d, QDialogButtonBox::Cancel); });
    mail->trigger();
    EXPECT_EQ(none.shown, 0);
    EXPECT_FALSE(sheet().mailSheetView()->isVisible());
  }
  // "Mail Settings…" shows the stored account, without a reason line.
  SettingsAnswer settings([](MailSettingsDialog* d) {
    EXPECT_EQ(d->hostField()->text(), "127.0.0.1");
    SettingsAnswer::press(d, QDialogButtonBox::Cancel);
  });
  menuItem(tools, "Mail Settings…")->trigger();
  EXPECT_EQ(settings.shown, 1);
  EXPECT_EQ(settings.reasons, QStringList{QString()});
}

TEST_F(MailSheet, OpensOnlyWhenConfiguredAndCopiesTheMemoSelectionAtTheInsertionPoint) {
  selectInMemo("memo text here", 5, 9);
  configure();
  SheetCanOpen = 0;
  sheet().openMailSheetAction();
  SheetCanOpen = 1;
  EXPECT_FALSE(sheet().mailSheetView()->isVisible());

  sheet().textField()->setPlainText("Dear ,");
  QTextCursor at(sheet().textField()->document());
  at.setPosition(5);
  sheet().textField()->setTextCursor(at);
  sheet().openMailSheetAction();
  EXPECT_TRUE(sheet().mailSheetView()->isVisible());
  EXPECT_EQ(toggle_, CalMail::kToggleNumber);
  EXPECT_EQ(sheet().textField()->toPlainText(), "Dear text,");
  sheet().openMailSheetAction();  // open: closes every side view
  EXPECT_FALSE(sheet().mailSheetView()->isVisible());
  EXPECT_EQ(closes_, 2);
  memo_.moveCursor(QTextCursor::End);  // no selection: the body stays
  sheet().openMailSheetAction();
  EXPECT_EQ(sheet().textField()->toPlainText(), "Dear text,");
}

TEST_F(MailSheet, TwoSendsToOneAddresseeArriveAndLeaveItOnceAndFirst) {
  configure();
  ASSERT_TRUE(mail::writeAddressList({"bob@example.org", "ann@example.org"}).ok);
  sheet().textField()->setPlainText(QString::fromUtf8("こんにちは"));
  ASSERT_TRUE(send("bob@example.org", "First", "hidden@example.org"));
  ASSERT_TRUE(send("carol@example.org", "Second"));
  ASSERT_TRUE(send("bob@example.org", "Third"));
  EXPECT_EQ(sounds_, (QStringList{"Ping", "Ping", "Ping"}));
  EXPECT_EQ(dialogs_->asked.count("Mail delvery succeeded !: "), 3);
  EXPECT_EQ(mail::readAddressList(), (QStringList{"ann@example.org", "carol@example.org", "bob@example.org"}));
  ASSERT_EQ(sheet().numberOfItemsInComboBox(), 3);
  EXPECT_EQ(sheet().mailToField()->itemText(0), "bob@example.org");
  EXPECT_EQ(sheet().comboBoxObjectValueForItemAtIndex(2), "ann@example.org");
  EXPECT_EQ(sheet().mailToField()->currentText(), "bob@example.org");  // the fields keep their text

  const QStringList stored = server_->messages();
  ASSERT_EQ(stored.size(), 3);
  EXPECT_EQ(LoopbackSmtp::recipientsOf(stored.first()), (QStringList{"bob@example.org", "hidden@example.org"}));
  const QByteArray first = LoopbackSmtp::read(stored.first());
  EXPECT_TRUE(first.contains("\r\nTo: bob@example.org\r\n"));
  EXPECT_TRUE(first.contains("\r\nSubject: First\r\n"));
  EXPECT_FALSE(first.contains("hidden"));
  EXPECT_TRUE(first.contains(QString::fromUtf8("こんにちは\r\n").toUtf8().toBase64()));
}

TEST_F(MailSheet, ARefusedSendAlertsAndStoresNothing) {
  configure();
  ASSERT_FALSE(send("refuse@example.org", "No"));
  EXPECT_EQ(sounds_, QStringList{"Basso"});
  ASSERT_EQ(dialogs_->asked.size(), 1);
  EXPECT_TRUE(dialogs_->asked.first().startsWith("Mail delver failed !: Sorry !\n"));
  EXPECT_TRUE(server_->messages().isEmpty());
  EXPECT_FALSE(QFileInfo::exists(mail::addressListPath()));
  EXPECT_EQ(sheet().numberOfItemsInComboBox(), 0);
  EXPECT_EQ(sheet().mailToField()->currentText(), "refuse@example.org");
}

TEST_F(MailSheet, ALineBreakInAHeaderFieldSendsNothingAndNamesTheField) {
  configure();
  const struct {
    const char* to;
    const char* subject;
    const char* bcc;
    const char* named;
  } cases[] = {
      {"ann@example.org\nBcc: evil@example.org", "s", "", "The To field"},
      {"ann@example.org", "Hi\r\nX-Injected: yes", "", "The Subject field"},
      {"ann@example.org", "s", "b@example.org\rRCPT TO:<evil@example.org>", "The Bcc field"},
  };
  for (const auto& c : cases) {
    dialogs_->asked.clear();
    EXPECT_FALSE(send(c.to, c.subject, c.bcc)) << c.named;
    EXPECT_FALSE(sheet().sending());
    ASSERT_EQ(dialogs_->asked.size(), 1);
    EXPECT_TRUE(dialogs_->asked.first().startsWith("Mail delver failed !: Sorry !\n"));
    EXPECT_TRUE(dialogs_->asked.first().contains(c.named)) << dialogs_->asked.first().toStdString();
  }
  EXPECT_EQ(sounds_, (QStringList{"Basso", "Basso", "Basso"}));
  // A good send afterwards is the first and only message the server holds.
  ASSERT_TRUE(send("ann@example.org", "Fine"));
  const QStringList stored = server_->messages();
  ASSERT_EQ(stored.size(), 1);
  EXPECT_FALSE(LoopbackSmtp::read(stored.first()).contains("evil"));
  EXPECT_EQ(mail::readAddressList(), QStringList{"ann@example.org"});
}

TEST_F(MailSheet, TheSettingsDialogWritesWhatItChecks) {
  MailSettingsDialog dialog;
  dialog.hostField()->setText("smtp.example.org/x");
  dialog.senderField()->setText("me@example.org");
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  ASSERT_EQ(dialogs_->asked.size(), 1);
  EXPECT_FALSE(QFileInfo::exists(mail::settingsPath()));

  dialog.hostField()->setText(" smtp.example.org ");
  dialog.portField()->setValue(2525);
  dialog.securityField()->setCurrentIndex(int(mail::Security::None));
  dialog.userField()->setText("me");
  dialog.passwordField()->setText("secret");
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  const mail::MailSettings s = mail::readMailSettings();
  EXPECT_EQ(s.host, "smtp.example.org");
  EXPECT_EQ(s.port, 2525);
  EXPECT_EQ(s.security, mail::Security::None);
  EXPECT_EQ(s.password, "secret");
  EXPECT_EQ(modeOf(mail::passwordPath()), 0600u);
  MailSettingsDialog again;
  again.setSettings(s);
  EXPECT_EQ(again.settings().sender, "me@example.org");
  EXPECT_EQ(again.settings().user, "me");
}

}  // namespace

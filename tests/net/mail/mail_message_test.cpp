// The mail sheet's own MIME text, its header checks, its settings and its address list.

#include "net/mail/mail_message.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "net/mail/address_list.h"
#include "net/mail/mail_settings.h"
#include "support/encoded_words.h"
#include "platform/property_list.h"

using namespace pravella::mail;

#include <sys/stat.h>

namespace {

unsigned modeOf(const QString& path) {
  struct stat info {};
  return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 0777 : 01000;
}

// A header's value unfolded, its encoded words decoded (adjacent words join without a blank).
QString decodedHeader(const QByteArray& value) {
  QByteArray unfolded = value;
  unfolded.replace("\r\n ", " ");
  return test_support::decodeEncodedWords(QString::fromUtf8(unfolded));
}

QByteArray headerBlock(const QByteArray& message) { return message.left(message.indexOf("\r\n\r\n") + 2); }

// The value of one header, still folded.
QByteArray header(const QByteArray& message, const QByteArray& name) {
  const QByteArray block = "\r\n" + headerBlock(message);
  const qsizetype start = block.indexOf("\r\n" + name + ": ");
  if (start < 0) return "<none>";
  qsizetype end = start + 2;
  do end = block.indexOf("\r\n", end + 1);
  while (end >= 0 && end + 2 < block.size() && block.at(end + 2) == ' ');
  return block.mid(start + 4 + name.size(), end - start - 4 - name.size());
}

TEST(MailMessage, AFieldWithALineBreakIsNamed) {
  const struct {
    MailFields fields;
    const char* named;
  } cases[] = {
      {{"a@x", "c@x", "b@x", "Hello"}, ""},
      {{"a@x\nBcc: evil@y", "", "", ""}, "To"},
      {{"a@x", "c@x\r", "", ""}, "Cc"},
      {{"a@x", "", "b@x\r\nRCPT TO:<y>", ""}, "Bcc"},
      {{"a@x", "", "", "Hi\nX-Evil: 1"}, "Subject"},
  };
  for (const auto& c : cases) EXPECT_EQ(fieldWithLineBreak(c.fields), QString::fromLatin1(c.named)) << c.named;
}

TEST(MailMessage, AddressesComeOutOfNamesQuotesAndSeparators) {
  EXPECT_EQ(mailboxAddresses(" a@x.org, Bee <b@y.org>; \"Doe, Jo\" <j@z.org> ,, "),
            (QStringList{"a@x.org", "b@y.org", "j@z.org"}));
  EXPECT_TRUE(mailboxAddresses("  ").isEmpty());
  EXPECT_EQ(recipients({"a@x", "c@x", "Hidden <h@x>", ""}), (QStringList{"a@x", "c@x", "h@x"}));
}

TEST(MailMessage, HeadersAreEncodedWordsWithinTheLineWidthAndBccIsNoHeader) {
  const QString subject = QString::fromUtf8("会議の議事録と来週の予定についてのお知らせ（第二版）ですのでご確認ください");
  const MailFields fields{QString::fromUtf8("山田 太郎 <taro@example.org>, plain@example.org"), "cc@example.org",
                          "secret@example.org", subject};
  const QByteArray m =
      buildMimeMessage("Me <me@example.org>", fields, "body", QDateTime(QDate(2026, 12, 10), QTime(4, 5, 6), Qt::UTC));
  const QByteArray headers = headerBlock(m);
  for (const QByteArray& line : headers.split('\n')) {
    EXPECT_LE(line.size(), 79) << line.constData();  // 78 and the CR
    for (char c : line) EXPECT_TRUE(c > 0) << "not ASCII: " << line.constData();
  }
  EXPECT_EQ(decodedHeader(header(m, "Subject")), subject);
  EXPECT_EQ(decodedHeader(header(m, "To")), QString::fromUtf8("山田 太郎 <taro@example.org>, plain@example.org"));
  EXPECT_EQ(header(m, "Cc"), "cc@example.org");
  EXPECT_EQ(header(m, "From"), "Me <me@example.org>");
  EXPECT_EQ(header(m, "Bcc"), "<none>");
  EXPECT_FALSE(m.contains("secret"));
  EXPECT_EQ(header(m, "Content-Type"), "text/plain; charset=UTF-8");
  EXPECT_TRUE(header(m, "Message-ID").endsWith("@example.org>"));
  // An empty copy field leaves no header; an ASCII body goes as it is.
  const QByteArray ascii = buildMimeMessage("me@x", {"a@x", " ", "", "Hi"}, "one\ntwo", QDateTime::currentDateTime());
  EXPECT_EQ(header(ascii, "Cc"), "<none>");
  EXPECT_EQ(header(ascii, "Content-Transfer-Encoding"), "7bit");
  EXPECT_TRUE(ascii.endsWith("\r\n\r\none\r\ntwo\r\n"));
}

// Long plain text is folded before blanks; a word too long for any line makes the value
// encoded words, which can be cut anywhere. Unfolded and decoded, the value is what was typed.
TEST(MailMessage, LongHeadersAreFoldedWithinTheLineLimits) {
  const struct {
    QString subject;
    int longest;  // the longest header line allowed, its CR not counted
  } cases[] = {
      {QString("word ").repeated(240).trimmed(), 78},         {QString(1200, 'x'), 78},
      {"short " + QString(900, 'y') + " end", 998},           {"  leading and trailing  ", 78},
      {"many   blanks " + QString("a    ").repeated(60), 78},
  };
  for (const auto& c : cases) {
    const QByteArray m =
        buildMimeMessage("me@x.org", {"a@x.org", "", "", c.subject}, "b", QDateTime::currentDateTime());
    for (const QByteArray& line : headerBlock(m).split('\n')) {
      EXPECT_LE(line.size(), c.longest + 1) << line.left(40).constData();
      EXPECT_FALSE(line.trimmed().isEmpty() && !line.isEmpty() && line != "\r") << "a line of blanks only";
    }
    EXPECT_EQ(decodedHeader(header(m, "Subject")), c.subject);
  }
  // A display name too long for a line, quoted with a comma in it, stays one mailbox.
  const QString name = "\"Long, " + QString("name ").repeated(220) + "\"";
  const QString to = name + " <ann@x.org>, b@x.org";
  const QByteArray m = buildMimeMessage("me@x.org", {to, "", "", "s"}, "b", QDateTime::currentDateTime());
  for (const QByteArray& line : headerBlock(m).split('\n')) EXPECT_LE(line.size(), 999);
  EXPECT_EQ(decodedHeader(header(m, "To")), to);
  const QString noBlanks = "\"" + QString(1100, 'n') + "\" <ann@x.org>";
  const QByteArray encoded =
      buildMimeMessage("me@x.org", {noBlanks, "", "", "s"}, "b", QDateTime::currentDateTime());
  for (const QByteArray& line : headerBlock(encoded).split('\n')) EXPECT_LE(line.size(), 79);
  EXPECT_EQ(decodedHeader(header(encoded, "To")), QString(1100, 'n') + " <ann@x.org>");
}

TEST(MailMessage, EnvelopeAddressesAreBareAddressesOnly) {
  const struct {
    QString address;
    bool ok;
  } cases[] = {
      {"ann@example.org", true},
      {"o'neil+tag@mail.example.org", true},
      {"x@[127.0.0.1]", true},
      {QString::fromUtf8("太郎@例え.jp"), true},
      {"", false},
      {"ann", false},
      {"@example.org", false},
      {"ann@", false},
      {"a@b@example.org", false},
      {"ann @example.org", false},
      {"ann@example.org NOTIFY=SUCCESS", false},
      {"<ann@example.org>", false},
      {"ann@example.org\r\nDATA", false},
      {"\"a b\"@example.org", false},
      {"a,b@example.org", false},
      {QString(250, 'a') + "@x.org", false},
      {QString(240, 'a') + "@x.org", true},
  };
  for (const auto& c : cases) EXPECT_EQ(isEnvelopeAddress(c.address), c.ok) << c.address.toStdString();
  EXPECT_EQ(settingsProblem({"smtp.example.org", "me@example.org> SIZE=1", 0, Security::None, "", ""}),
            "The sender is not one mail address.");
}

TEST(MailMessage, AnEncodedWordNeverSplitsACharacter) {
  // Four-byte characters after an odd start: every word must decode to whole characters.
  const QString text = "x" + QString::fromUtf8("😀").repeated(40);
  const QByteArray value = encodeHeaderText(text, 9);
  static const QRegularExpression kWord(QStringLiteral("=\\?UTF-8\\?B\\?([A-Za-z0-9+/=]*)\\?="));
  int words = 0;
  for (auto it = kWord.globalMatch(QString::fromLatin1(value)); it.hasNext(); ++words) {
    const auto m = it.next();
    EXPECT_LE(m.capturedLength(), 75);
    const QByteArray bytes = QByteArray::fromBase64(m.captured(1).toLatin1());
    EXPECT_EQ(QString::fromUtf8(bytes).toUtf8(), bytes);
    EXPECT_FALSE(QString::fromUtf8(bytes).contains(QChar::ReplacementCharacter));
  }
  EXPECT_GT(words, 2);
  EXPECT_EQ(decodedHeader(value), text);
  // No room left on the header's line: the first word starts the next one.
  EXPECT_TRUE(encodeHeaderText(QString::fromUtf8("é"), 70).startsWith("\r\n =?UTF-8?B?"));
}

TEST(MailMessage, PlainTextThatAReaderWouldChangeIsEncoded) {
  // What looks like an encoded word is decoded by readers, and blanks at either end of a
  // value are dropped: such text goes in encoded words so that it reads back as it was.
  for (const QString& text : {QString("=?UTF-8?B?VFQ=?="), QString("see =?utf-8?q?x?= here"),
                              QString(" lead"), QString("trail ")}) {
    const QByteArray value = encodeHeaderText(text, 9);
    EXPECT_TRUE(value.startsWith("=?UTF-8?B?")) << value.constData();
    EXPECT_EQ(decodedHeader(value), text);
  }
  // Ordinary ASCII, an "=" or a "?" alone, stays plain.
  for (const QString& text : {QString("Re: a = b?"), QString("x?=y")})
    EXPECT_EQ(encodeHeaderText(text, 9), text.toLatin1());
}

TEST(MailMessage, ABodyThatIsNotAsciiGoesAsBase64Utf8) {
  const QByteArray m = buildMimeMessage("me@x", {"a@x", "", "", "s"}, QString::fromUtf8("日本語\n二行目"),
                                        QDateTime::currentDateTime());
  EXPECT_EQ(header(m, "Content-Transfer-Encoding"), "base64");
  const QByteArray body = m.mid(m.indexOf("\r\n\r\n") + 4);
  EXPECT_EQ(QByteArray::fromBase64(body), QString::fromUtf8("日本語\r\n二行目\r\n").toUtf8());
}

TEST(MailSettingsFile, HostAndSenderMakeItConfiguredAndThePasswordStaysPrivate) {
  EXPECT_FALSE(readMailSettings().configured());
  MailSettings s;
  s.host = "smtp.example.org";
  s.sender = "Me <me@example.org>";
  s.port = 2525;
  s.security = Security::Tls;
  s.user = "me";
  s.password = "pa ss";
  ASSERT_TRUE(writeMailSettings(s).ok);
  const MailSettings back = readMailSettings();
  EXPECT_TRUE(back.configured());
  EXPECT_EQ(back.host, s.host);
  EXPECT_EQ(back.sender, s.sender);
  EXPECT_EQ(back.port, 2525);
  EXPECT_EQ(back.security, Security::Tls);
  EXPECT_EQ(back.user, "me");
  EXPECT_EQ(back.password, "pa ss");
  EXPECT_EQ(modeOf(passwordPath()), 0600u);
  EXPECT_FALSE(pravella::plist::readFile(settingsPath())->toMap().contains("password"));
  // A password file that was opened up is made private again.
  QFile(passwordPath()).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
  ASSERT_TRUE(writeMailSettings(s).ok);
  EXPECT_EQ(modeOf(passwordPath()), 0600u);
  s.password.clear();
  ASSERT_TRUE(writeMailSettings(s).ok);
  EXPECT_FALSE(QFileInfo::exists(passwordPath()));

  EXPECT_EQ(settingsProblem(s), "");
  s.host = "evil.org/path";
  EXPECT_NE(settingsProblem(s), "");
  s.host = "[::1]";
  EXPECT_EQ(settingsProblem(s), "");
  s.sender = "two@x, three@y";
  EXPECT_NE(settingsProblem(s), "");
  s.sender = "me@x\r\nBcc: y";
  EXPECT_NE(settingsProblem(s), "");
}

TEST(MailAddressList, AnAddressIsKeptOnceAsTheNewest) {
  EXPECT_TRUE(readAddressList().isEmpty());
  QStringList list = withAddress({"a@x", "b@x", "a@x"}, "a@x");
  EXPECT_EQ(list, (QStringList{"b@x", "a@x", "a@x"}));  // only the first copy goes
  ASSERT_TRUE(writeAddressList({"b@x", "a@x"}).ok);
  EXPECT_EQ(readAddressList(), (QStringList{"b@x", "a@x"}));
}

}  // namespace

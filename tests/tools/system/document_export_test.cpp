// The document converter and the HTML export, read back from what they write.

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextDocument>
#include <QUrl>

#include <functional>

#include "platform/paths.h"
#include "platform/rich_text_file.h"
#include "support/folder_snapshot.h"
#include "support/test_home.h"
#include "tools/system/html_export.h"
#include "tools/system/japanese_memo.h"
#include "tools/text_converter.h"

namespace {

using namespace pravella;

QByteArray slurp(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// pandoc's reading of a file in `format` as `to`.
QString pandocReads(const QString& path, const QString& format, const QString& to = QStringLiteral("plain")) {
  QProcess pandoc;
  pandoc.start(QStringLiteral("pandoc"), {"-f", format, "-t", to, "--", path});
  if (!pandoc.waitForFinished(60000)) return {};
  return QString::fromUtf8(pandoc.readAllStandardOutput());
}

QString htmlText(const QByteArray& html) {
  QTextDocument doc;
  doc.setHtml(QString::fromUtf8(html));
  return doc.toPlainText();
}

// Every file of a folder with its content's digest.
QMap<QString, QByteArray> digests(const QString& folder) {
  QMap<QString, QByteArray> out;
  QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    out.insert(path, QCryptographicHash::hash(slurp(path), QCryptographicHash::Sha256));
  }
  return out;
}

struct MimePart {
  QMap<QString, QString> headers;
  QByteArray body;  // decoded
};

// The parts of an MHTML file, their base64 bodies decoded.
QList<MimePart> mimeParts(const QByteArray& archive) {
  const QRegularExpression boundaryPattern(QStringLiteral("boundary=\"([^\"]+)\""));
  const QRegularExpressionMatch m = boundaryPattern.match(QString::fromLatin1(archive));
  if (!m.hasMatch()) return {};
  const QByteArray boundary = "--" + m.captured(1).toLatin1();
  QList<MimePart> parts;
  const QList<QByteArray> pieces = archive.split('\n');
  QByteArray joined = archive;
  qsizetype at = joined.indexOf(boundary + "\r\n");
  while (at >= 0) {
    const qsizetype start = at + boundary.size() + 2;
    const qsizetype next = joined.indexOf("\r\n" + boundary, start);
    if (next < 0) break;
    const QByteArray part = joined.mid(start, next - start);
    const qsizetype split = part.indexOf("\r\n\r\n");
    MimePart p;
    for (const QByteArray& line : part.left(split).split('\n')) {
      const qsizetype colon = line.indexOf(':');
      if (colon > 0) p.headers.insert(QString::fromLatin1(line.left(colon)), QString::fromUtf8(line.mid(colon + 1).trimmed()));
    }
    p.body = QByteArray::fromBase64(part.mid(split + 4));
    parts << p;
    at = joined.indexOf(boundary + "\r\n", next + 2);
  }
  return parts;
}

bool officeInstalled() {
  return !QStandardPaths::findExecutable("soffice").isEmpty() || !QStandardPaths::findExecutable("libreoffice").isEmpty();
}

class DocumentExport : public testing::Test {
 protected:
  void SetUp() override { memo = test::writeJapaneseMemo(test::home() + "/day"); }
  QString memo;
};

TEST_F(DocumentExport, TheJapaneseMemoSurvivesEveryFormat) {
  // How each format's output is read back, and whether it kept the picture.
  struct Case {
    QString format;
    std::function<QString(const QString&)> text;
    std::function<bool(const QString&)> picture;
  };
  const auto pandocImage = [](const QString& format) {
    return [format](const QString& path) { return pandocReads(path, format, "html").contains("<img"); };
  };
  const Case cases[] = {
      {"txt", [](const QString& p) { return QString::fromUtf8(slurp(p)); }, {}},
      {"rtf", [](const QString& p) { return plainTextOfRichTextFile(p); },
       [](const QString& p) { return plainTextOfRichTextFile(p).contains(QChar::ObjectReplacementCharacter); }},
      {"html", [](const QString& p) { return htmlText(slurp(p)); },
       [](const QString& p) {
         return slurp(p).contains("src=\"./Memo_files/picture001.jpg\"") &&
                QImage(QFileInfo(p).absolutePath() + "/Memo_files/picture001.jpg").size() == QSize(40, 20);
       }},
      {"odt", [](const QString& p) { return pandocReads(p, "odt"); }, pandocImage("odt")},
      {"docx", [](const QString& p) { return pandocReads(p, "docx"); }, pandocImage("docx")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format.toStdString());
    const ConversionResult r = convertOntoDesktop(c.format, memo);
    ASSERT_TRUE(r.ok) << r.reason.toStdString();
    EXPECT_EQ(r.output, paths::desktop() + "/Memo." + c.format);
    EXPECT_TRUE(c.text(r.output).contains(test::kJapaneseLine)) << c.text(r.output).toStdString();
    if (c.picture) {
      EXPECT_TRUE(c.picture(r.output));
    }
  }
  EXPECT_FALSE(slurp(paths::desktop() + "/Memo.txt").contains("\xEF\xBF\xBC"));  // no picture placeholder
}

TEST_F(DocumentExport, TheWebArchiveHoldsThePageAndItsPicture) {
  const ConversionResult r = convertOntoDesktop("webarchive", memo);
  ASSERT_TRUE(r.ok) << r.reason.toStdString();
  const QByteArray archive = slurp(r.output);
  EXPECT_TRUE(archive.startsWith("From: ")) << archive.left(200).toStdString();
  EXPECT_TRUE(archive.contains("MIME-Version: 1.0\r\n"));
  const QList<MimePart> parts = mimeParts(archive);
  ASSERT_EQ(parts.size(), 2);
  EXPECT_TRUE(parts[0].headers["Content-Type"].startsWith("text/html"));
  EXPECT_TRUE(htmlText(parts[0].body).contains(test::kJapaneseLine));
  EXPECT_EQ(parts[1].headers["Content-Type"], "image/jpeg");
  EXPECT_EQ(QImage::fromData(parts[1].body).size(), QSize(40, 20));
  // The page names the picture by the identifier its part carries.
  const QRegularExpression src(QStringLiteral("src=\"cid:([^\"]+)\""));
  const QRegularExpressionMatch m = src.match(QString::fromUtf8(parts[0].body));
  ASSERT_TRUE(m.hasMatch());
  EXPECT_EQ("<" + m.captured(1) + ">", parts[1].headers["Content-ID"]);
}

TEST_F(DocumentExport, OfficeFormatsNeedLibreOfficeAndSaySo) {
  for (const QString format : {"doc", "wordml"}) {
    SCOPED_TRACE(format.toStdString());
    const ConversionResult r = convertOntoDesktop(format, memo);
    if (officeInstalled()) {
      EXPECT_TRUE(r.ok) << r.reason.toStdString();
      EXPECT_GT(QFileInfo(r.output).size(), 0);
    } else {
      EXPECT_FALSE(r.ok);
      EXPECT_TRUE(r.reason.contains("LibreOffice")) << r.reason.toStdString();
      EXPECT_FALSE(QFileInfo::exists(r.output));
    }
  }
}

// The Desktop is the user's: an export never writes over what is there (an earlier export, a
// file of the user's that has the name, a page's picture folder) but takes a free name, and a
// failed one changes nothing at all.
TEST_F(DocumentExport, AnExportTakesAFreeNameAndAFailureChangesNothing) {
  QDir().mkpath(paths::desktop() + "/Memo_files");
  for (const QString name : {"Memo.docx", "Memo_files/mine.txt"}) {
    QFile file(paths::desktop() + "/" + name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("the user's");
  }
  auto before = test::FolderSnapshot::of(paths::desktop());
  int started = 0;
  ConversionResult r = convertOntoDesktop("docx", memo, [&] { ++started; });
  ASSERT_TRUE(r.ok) << r.reason.toStdString();
  EXPECT_EQ(started, 1);
  EXPECT_EQ(r.output, paths::desktop() + "/Memo-2.docx");
  EXPECT_TRUE(slurp(r.output).startsWith("PK"));  // a zip
  EXPECT_TRUE(before.changedOnly({"Memo-2.docx"}));
  // A page and its picture folder: both names free.
  r = convertOntoDesktop("html", memo);
  ASSERT_TRUE(r.ok) << r.reason.toStdString();
  EXPECT_EQ(r.output, paths::desktop() + "/Memo-2.html");
  EXPECT_TRUE(before.changedOnly({"Memo-2.docx", "Memo-2.html", "Memo-2_files"}));

  before = test::FolderSnapshot::of(paths::desktop());
  const QByteArray path = qgetenv("PATH");
  qputenv("PATH", "/nonexistent-folder");
  r = convertOntoDesktop("docx", memo);
  qputenv("PATH", path);
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(r.reason.contains("pandoc")) << r.reason.toStdString();
  r = convertOntoDesktop("pdf", memo);
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(r.reason.contains("pdf"));
  EXPECT_TRUE(before.unchanged());
}

TEST_F(DocumentExport, PlainTextInputsAreUtf8OrShiftJis) {
  const QString folder = test::home() + "/texts";
  QDir().mkpath(folder);
  const struct {
    QString name;
    QByteArray bytes;
  } inputs[] = {
      {"utf8.txt", QString::fromUtf8("あいう 日本語\n").toUtf8()},
      {"sjis.txt", QByteArray("\x82\xa0\x82\xa2\x82\xa4 \x93\xfa\x96\x7b\x8c\xea\n")},
  };
  for (const auto& input : inputs) {
    QFile file(folder + "/" + input.name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(input.bytes);
    file.close();
    const ConversionResult r = convertOntoDesktop("rtf", file.fileName());
    ASSERT_TRUE(r.ok) << r.reason.toStdString();
    EXPECT_EQ(plainTextOfRichTextFile(r.output), test::kJapaneseLine + "\n") << input.name.toStdString();
  }
}

TEST_F(DocumentExport, TheHtmlExportReplacesItsFolderAndLeavesTheMemoAlone) {
  const QMap<QString, QByteArray> before = digests(memo);
  HtmlExportResult r = exportHtmlFolder(memo);
  ASSERT_TRUE(r.ok) << r.reason.toStdString();
  EXPECT_EQ(r.page, paths::desktop() + "/vkHTML_folder/Memo.htmld/index.html");
  QFile stale(r.folder + "/stale.txt");
  ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
  stale.close();

  r = exportHtmlFolder(memo);
  ASSERT_TRUE(r.ok) << r.reason.toStdString();
  EXPECT_EQ(QDir(r.folder).entryList(QDir::Files, QDir::Name), QStringList({"index.html", "memoPicture001.jpg"}));
  const QByteArray page = slurp(r.page);
  EXPECT_FALSE(page.contains("file:///"));
  EXPECT_TRUE(page.contains("tmp/notes.txt"));  // the link, without its scheme
  EXPECT_TRUE(page.contains("src=\"./memoPicture001.jpg\""));
  EXPECT_TRUE(htmlText(page).contains(test::kJapaneseLine));
  const QImage picture(r.folder + "/memoPicture001.jpg");
  ASSERT_EQ(picture.size(), QSize(40, 20));
  EXPECT_GT(qRed(picture.pixel(5, 10)), 200);
  EXPECT_GT(qBlue(picture.pixel(35, 10)), 200);
  EXPECT_EQ(digests(memo), before);
}

TEST(FileSchemeRemoval, ScansLeftToRightAndLeavesAnOversizedPageAlone) {
  const struct {
    QString page, expected;
  } cases[] = {
      {"<a href=\"file:///tmp/a\">", "<a href=\"tmp/a\">"},
      {"file:///file:///x", "x"},
      {"file://file:///x", "file://x"},
      {"no scheme", "no scheme"},
  };
  for (const auto& c : cases) EXPECT_EQ(withoutFileScheme(c.page), c.expected) << c.page.toStdString();
  const QString huge = "file:///" + QString(8'000'000, u'x');
  EXPECT_EQ(withoutFileScheme(huge), huge);
}

}  // namespace

#include "editors/ui/cal_text.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMainWindow>
#include <QTest>
#include <QTextEdit>

#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/rich_text_file.h"
#include "support/test_home.h"

namespace {

QByteArray contents(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return "<missing>";
  return f.readAll();
}

void writeFile(const QString& path, const QByteArray& data) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(data);
}

class TextExport : public testing::Test {
 protected:
  void SetUp() override {
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    dayFolder = pravella::paths::dayFolder(2008, 5, 1);
    QDir().mkpath(dayFolder);
    CalText::Host host;
    host.save = [this] {
      ++saves;
      return saveResult;
    };
    host.nowDisplayedDocument = [this] { return shown; };
    host.selectedDay = [] { return QDate(2008, 5, 1); };
    host.showDiaryFiles = [this] { ++relists; };
    host.playSound = [this](const char* name) { sounds += name; };
    host.reportFailure = [this](const QString& why) { failures += why; };
    controller = std::make_unique<CalText>(&memo, &window, host);
    controller->awakeFromNib();
  }
  void post(const char* name) { pravella::NotificationCenter::defaultCenter().post(name); }

  QMainWindow window;
  QTextEdit memo;
  std::unique_ptr<CalText> controller;
  QString dayFolder;
  QString shown;
  bool saveResult = true;
  int saves = 0;
  int relists = 0;
  QStringList sounds;
  QStringList failures;
};

TEST_F(TextExport, ExportInPlaceWritesShiftJisBesideTheDocument) {
  shown = dayFolder + "/notes.rtfd";
  QTextDocument doc;
  doc.setPlainText("x");
  ASSERT_TRUE(pravella::writeRtfdFile(shown, doc));
  memo.setPlainText(QString::fromUtf8("\xE6\x97\xA5\xE8\xA8\x98 line 1\nline 2 \xF0\x9F\x98\x8A"));
  post("cal_saveText");
  EXPECT_EQ(saves, 1);
  // The character Shift-JIS cannot hold is replaced, not dropped.
  EXPECT_EQ(contents(dayFolder + "/notes.txt"), QByteArray("\x93\xFA\x8B\x4C line 1\nline 2 ?"));
  EXPECT_EQ(relists, 1);
  EXPECT_EQ(sounds, QStringList{"Tink"});
}

TEST_F(TextExport, NothingToExportOrAFailedSave) {
  // No document shown: only "Basso".
  post("cal_saveText");
  EXPECT_EQ(sounds, QStringList{"Basso"});
  // Export with a name does nothing at all then.
  post("cal_saveAsText");
  EXPECT_EQ(controller->sheet(), nullptr);
  EXPECT_EQ(sounds, QStringList{"Basso"});
  // A failed save of the document stops both, silently.
  shown = dayFolder + "/a.rtfd";
  QDir().mkpath(shown);
  saveResult = false;
  post("cal_saveText");
  post("cal_saveAsText");
  EXPECT_EQ(sounds, QStringList{"Basso"});
  EXPECT_FALSE(QFile::exists(dayFolder + "/a.txt"));
}

TEST_F(TextExport, AFailedWriteIsReported) {
  shown = dayFolder + "/a.rtfd";
  QDir().mkpath(shown);
  QDir().mkpath(dayFolder + "/a.txt");  // a folder in the way of the text file
  memo.setPlainText("text");
  post("cal_saveText");
  EXPECT_EQ(failures.size(), 1);
  EXPECT_EQ(sounds, QStringList{"Basso"});
  EXPECT_EQ(relists, 0);
}

TEST_F(TextExport, ExportWithANameProposesTheDayFolderAndRequiresTxt) {
  shown = dayFolder + "/plan.vk.rtfd";
  QDir().mkpath(shown);
  memo.setPlainText("abc");
  post("cal_saveAsText");
  QFileDialog* sheet = controller->sheet();
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(sheet->windowTitle(), "Export Text");
  EXPECT_EQ(sheet->acceptMode(), QFileDialog::AcceptSave);
  EXPECT_EQ(sheet->directory().absolutePath(), dayFolder);
  EXPECT_EQ(sheet->selectedFiles().value(0), dayFolder + "/plan.vk.txt");
  static_cast<QDialog*>(sheet)->accept();
  EXPECT_EQ(contents(dayFolder + "/plan.vk.txt"), "abc");
  EXPECT_EQ(sounds, QStringList{"Tink"});
  EXPECT_EQ(relists, 1);

  // A name without the extension gets it; cancelling plays "Basso".
  controller->didEndSaveTextSheet(1, dayFolder + "/other");
  EXPECT_EQ(contents(dayFolder + "/other.txt"), "abc");
  post("cal_saveAsText");
  ASSERT_NE(controller->sheet(), nullptr);
  controller->sheet()->reject();
  EXPECT_EQ(sounds.last(), "Basso");
}

TEST_F(TextExport, ImportInsertsATextFileAtTheSelection) {
  memo.setPlainText("before  after");
  QTextCursor c = memo.textCursor();
  c.setPosition(7);
  memo.setTextCursor(c);
  const QString file = pravella::test::home() + "/in.txt";
  writeFile(file, "\x82\xA0\x82\xA2\nnext");  // Shift-JIS
  post("cal_loadText");
  QFileDialog* sheet = controller->sheet();
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(sheet->windowTitle(), "Select TextFile");
  EXPECT_EQ(sheet->directory().absolutePath(), pravella::paths::home());
  EXPECT_EQ(sheet->fileMode(), QFileDialog::ExistingFile);
  auto* name = sheet->findChild<QLineEdit*>("fileNameEdit");
  ASSERT_NE(name, nullptr);
  name->setText(file);  // whole: key by key, the completer's popup would take the Return
  QTest::keyClick(name, Qt::Key_Return);
  EXPECT_EQ(memo.toPlainText(), QString::fromUtf8("before \xE3\x81\x82\xE3\x81\x84\nnext after"));
  EXPECT_EQ(sounds, QStringList{"Tink"});

  post("cal_loadText");
  ASSERT_NE(controller->sheet(), nullptr);
  controller->sheet()->reject();
  EXPECT_EQ(sounds, (QStringList{"Tink", "Basso"}));
}

}  // namespace

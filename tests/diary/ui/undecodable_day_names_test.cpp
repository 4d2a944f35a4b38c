// Day documents named with bytes that are no UTF-8, as another program may leave them: the
// day list shows each with its bad bytes as "\xHH" (numbered or shortened when that name is
// taken or too long), a click opens it by its kind, a name typed into its row gives it a UTF-8
// name with its content, and a name it cannot take is said in the window.

#include "day_documents_fixture.h"

#include <sys/stat.h>

#include <QStatusBar>
#include <cstdio>

#include "support/private_mounts.h"

namespace {

using namespace day_documents_test;

class UndecodableDayNames : public DayDocuments {
 protected:
  // A memo, a memo package named in Latin-1 and a text named with a byte UTF-8 never uses.
  void SetUp() override {
    writeRtfd(day() + "/a.rtfd", "alpha");
    writeRtfd(day() + "/made.rtfd", "beta");
    ASSERT_EQ(std::rename(s(day() + "/made.rtfd").c_str(), raw("memo\xE9.rtfd").constData()), 0);
    writeFile(day() + "/made.txt", "plain words");
    ASSERT_EQ(std::rename(s(day() + "/made.txt").c_str(), raw("note\xFF.txt").constData()), 0);
  }
  QByteArray raw(const QByteArray& name) { return QFile::encodeName(day()) + '/' + name; }
  bool rawExists(const QByteArray& name) {
    struct stat st;
    return ::lstat(raw(name).constData(), &st) == 0;
  }
};

TEST_F(UndecodableDayNames, ListedEscapedAndOpenedByTheirKind) {
  start();
  EXPECT_EQ(rows(), QStringList({"a", "memo\\xE9", "note\\xFF.txt"}));
  EXPECT_EQ(header(), "2008/02/28 (3)");

  // Opened, the package takes the name it is shown with, and its edits are saved there.
  clickRow(1);
  EXPECT_EQ(memo()->toPlainText(), "beta");
  EXPECT_EQ(calendar->nowDisplayedDocument(), day() + "/memo\\xE9.rtfd");
  EXPECT_FALSE(rawExists("memo\xE9.rtfd"));
  type("new ");
  QTest::keyClick(memo(), Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(textOf(day() + "/memo\\xE9.rtfd"), "new beta");

  clickRow(2);
  EXPECT_EQ(memo()->toPlainText(), "plain words");
  EXPECT_EQ(rows(), QStringList({"a", "memo\\xE9", "note\\xFF.txt"}));
}

TEST_F(UndecodableDayNames, ANameTypedIntoTheRowReplacesTheBytes) {
  start();
  clickRow(1);
  QTest::keyClick(table(), Qt::Key_Tab);  // from the number to the name
  QTest::keyClick(table(), Qt::Key_F2);
  // The row's own editor, opened by the key.
  auto* editor = table()->viewport()->findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  ASSERT_TRUE(editor->isVisible());
  EXPECT_EQ(editor->text(), "memo\\xE9");
  QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(editor, "renamed");
  QTest::keyClick(editor, Qt::Key_Return);

  EXPECT_EQ(textOf(day() + "/renamed.rtfd"), "beta");
  EXPECT_FALSE(rawExists("memo\xE9.rtfd"));
  EXPECT_FALSE(QFileInfo::exists(day() + "/memo\\xE9.rtfd"));
  EXPECT_EQ(rows(), QStringList({"a", "note\\xFF.txt", "renamed"}));
  // The text never shown keeps its bytes until it is opened or renamed.
  EXPECT_TRUE(rawExists("note\xFF.txt"));
}

TEST_F(UndecodableDayNames, ALongNameAndANameTakenAreListedAndOpen) {
  // 120 bytes that start no character: too long for a name once escaped.
  writeRtfd(day() + "/made.rtfd", "long");
  ASSERT_EQ(std::rename(s(day() + "/made.rtfd").c_str(), raw(QByteArray(120, '\xFF') + ".rtfd").constData()),
            0);
  // A UTF-8 name that is the Latin-1 memo's escaped name.
  writeRtfd(day() + "/memo\\xE9.rtfd", "real");
  start();
  const QString shortened = QString("\\xFF").repeated(62);
  EXPECT_EQ(rows(), QStringList({shortened, "a", "memo\\xE9.001", "memo\\xE9", "note\\xFF.txt"}));

  clickRow(0);
  EXPECT_EQ(memo()->toPlainText(), "long");
  EXPECT_EQ(calendar->nowDisplayedDocument(), day() + "/" + shortened + ".rtfd");
  type("more ");
  QTest::keyClick(memo(), Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(textOf(day() + "/" + shortened + ".rtfd"), "more long");
  clickRow(3);
  EXPECT_EQ(memo()->toPlainText(), "real");
  clickRow(2);
  EXPECT_EQ(memo()->toPlainText(), "beta");
  EXPECT_EQ(calendar->nowDisplayedDocument(), day() + "/memo\\xE9.001.rtfd");
  EXPECT_EQ(textOf(day() + "/memo\\xE9.rtfd"), "real");
  EXPECT_EQ(rows(), QStringList({shortened, "a", "memo\\xE9.001", "memo\\xE9", "note\\xFF.txt"}));
}

TEST_F(UndecodableDayNames, ANameThatCannotBeTakenIsSaidInTheWindow) {
  start();
  clickRow(0);
  ASSERT_EQ(memo()->toPlainText(), "alpha");
  pravella::test::PrivateMounts mounts;
  if (!mounts.readOnly(day())) GTEST_SKIP() << s(mounts.why());
  clickRow(1);
  EXPECT_EQ(window->statusBar()->currentMessage(),
            "The document memo\\xE9.rtfd cannot be given that name: Read-only file system");
  EXPECT_EQ(sounds.value(sounds.size() - 1), "Basso");
  // The memo still shows what it showed: nothing typed now can land in a new memo unawares.
  EXPECT_EQ(memo()->toPlainText(), "alpha");
  EXPECT_EQ(calendar->nowDisplayedDocument(), day() + "/a.rtfd");
  EXPECT_TRUE(rawExists("memo\xE9.rtfd"));
}

}  // namespace

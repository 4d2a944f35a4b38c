// Renaming the shown document by its name field (and its row): it keeps its kind and
// extension, so that it can still be saved, and its tables and HTML pages go along with it,
// or nothing moves and the user is told why.

#include "day_documents_fixture.h"

#include <cstdio>
#include <functional>

#include "support/folder_snapshot.h"

namespace {

using namespace day_documents_test;

class DocumentRenames : public DayDocuments {
 protected:
  void renameInField(const QString& name) {
    nameField()->setFocus();
    QTest::keyClick(nameField(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(nameField(), name);
    QTest::keyClick(nameField(), Qt::Key_Return);
  }
  QStringList entries() {
    return QDir(day()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
  }
  // A document put in the day under the bytes `raw`, as another program may name it.
  void moveToRawName(const QString& made, const QByteArray& raw) {
    ASSERT_EQ(
        std::rename(QFile::encodeName(made).constData(), (QFile::encodeName(day()) + '/' + raw).constData()),
        0);
  }
};

TEST_F(DocumentRenames, AnRtfDocumentKeepsItsKindAndIsSavedAfterwards) {
  for (const QByteArray& raw : {QByteArray("plain.rtf"), QByteArray("plain\xE9.rtf")}) {
    SCOPED_TRACE(raw.toStdString());
    QTextDocument words;
    words.setPlainText("words");
    QDir().mkpath(day());
    ASSERT_TRUE(pravella::writeRtfFile(day() + "/made.rtf", words).ok);
    moveToRawName(day() + "/made.rtf", raw);
    start();
    clickRow(0);
    ASSERT_EQ(memo()->toPlainText(), "words");

    renameInField("renamed one");
    EXPECT_EQ(entries(), QStringList{"renamed one.rtf"});
    EXPECT_TRUE(QFileInfo(day() + "/renamed one.rtf").isFile());
    EXPECT_EQ(textOf(day() + "/renamed one.rtf"), "words");
    EXPECT_EQ(calendar->nowDisplayedDocument(), day() + "/renamed one.rtf");
    EXPECT_EQ(nameField()->text(), "renamed one");

    // Edited and saved as any rich text is: into a package of that name, beside the file.
    type("edit ");
    QTest::keyClick(memo(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(window->isWindowModified());
    EXPECT_TRUE(alerts.isEmpty()) << s(alertMessages.join(" / "));
    EXPECT_EQ(textOf(day() + "/renamed one.rtfd"), "edit words");
    EXPECT_EQ(entries(), QStringList({"renamed one.rtf", "renamed one.rtfd"}));
    EXPECT_EQ(calendar->nowDisplayedDocument(), day() + "/renamed one.rtfd");
    TearDown();
    QDir(day()).removeRecursively();
  }
}

TEST_F(DocumentRenames, TablesAndPagesGoAlongOrNothingMoves) {
  writeRtfd(day() + "/Tables.rtfd", "see <prices>");
  writeFile(day() + "/Tables.tbld/prices.dat", "the prices");
  writeFile(day() + "/Tables.htmld/index.html", "the page");
  writeFile(day() + "/Taken.tbld/other.dat", "another memo's");
  start();
  clickRow(0);
  ASSERT_EQ(calendar->nowDisplayedDocument(), day() + "/Tables.rtfd");

  auto before = pravella::test::FolderSnapshot::of(day());
  renameInField("Tables2");
  EXPECT_EQ(entries(), QStringList({"Tables2.htmld", "Tables2.rtfd", "Tables2.tbld", "Taken.tbld"}));
  EXPECT_TRUE(before.changedOnly(
      {"Tables.rtfd", "Tables.tbld", "Tables.htmld", "Tables2.rtfd", "Tables2.tbld", "Tables2.htmld"}));
  EXPECT_EQ(textOf(day() + "/Tables2.rtfd"), "see <prices>");
  EXPECT_TRUE(QFileInfo(day() + "/Tables2.tbld/prices.dat").isFile());
  EXPECT_TRUE(QFileInfo(day() + "/Tables2.htmld/index.html").isFile());

  // A name whose tables folder is taken: refused with the reason, and nothing moves.
  alertAnswer = 0;
  before = pravella::test::FolderSnapshot::of(day());
  renameInField("Taken");
  EXPECT_TRUE(before.unchanged());
  EXPECT_EQ(alerts, QStringList{"Can't rename the document !"});
  EXPECT_EQ(alertMessages.value(0),
            "\"Tables2\" is not moved: its tables cannot follow it, because \"Taken.tbld\" already exists.");
  EXPECT_EQ(entries(), QStringList({"Tables2.htmld", "Tables2.rtfd", "Tables2.tbld", "Taken.tbld"}));
  EXPECT_EQ(calendar->nowDisplayedDocument(), day() + "/Tables2.rtfd");
  EXPECT_EQ(nameField()->text(), "Tables2");
  EXPECT_EQ(rows(), QStringList{"Tables2"});

  // The row's own editor renames through the same move.
  QTest::keyClick(table(), Qt::Key_Tab);
  QTest::keyClick(table(), Qt::Key_F2);
  auto* editor = table()->viewport()->findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(editor, "Tables3");
  QTest::keyClick(editor, Qt::Key_Return);
  EXPECT_EQ(entries(), QStringList({"Tables3.htmld", "Tables3.rtfd", "Tables3.tbld", "Taken.tbld"}));
  EXPECT_EQ(calendar->nowDisplayedDocument(), day() + "/Tables3.rtfd");
}

// "plain.rtf" and "plain.rtfd", where its edits were saved, share the tables "plain.tbld":
// renaming or deleting the RTF file leaves them to the package. A renamed one takes a copy.
TEST_F(DocumentRenames, TablesStayWithAnotherDocumentOfTheName) {
  struct Case {
    const char* how;
    std::function<void()> act;
    QStringList changed;  // in the day folder
    QStringList trashed;
    QStringList asked;  // the alerts
  };
  const std::vector<Case> cases{
      {"name field",
       [this] {
         clickRow(static_cast<int>(calendar->diaryFiles().indexOf("plain.rtf")));
         ASSERT_EQ(calendar->nowDisplayedDocument(), day() + "/plain.rtf");
         renameInField("renamed");
       },
       {"plain.rtf", "renamed.rtf", "renamed.tbld"},
       {},
       {}},
      {"row",
       [this] {
         table()->setFocus();
         table()->setCurrentCell(static_cast<int>(calendar->diaryFiles().indexOf("plain.rtf")), 1);
         QTest::keyClick(table(), Qt::Key_F2);
         auto* editor = table()->viewport()->findChild<QLineEdit*>();
         ASSERT_NE(editor, nullptr);
         QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
         QTest::keyClicks(editor, "renamed.rtf");
         QTest::keyClick(editor, Qt::Key_Return);
       },
       {"plain.rtf", "renamed.rtf", "renamed.tbld"},
       {},
       {}},
      {"Delete key",
       [this] {
         table()->selectRow(static_cast<int>(calendar->diaryFiles().indexOf("plain.rtf")));
         alertAnswer = 2;  // "Delete"
         table()->setFocus();
         QTest::keyClick(table(), Qt::Key_Delete);
       },
       {"plain.rtf"},
       {"plain.rtf"},
       {"Delete : plain.rtf"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    QTextDocument words;
    words.setPlainText("words");
    QDir().mkpath(day());
    ASSERT_TRUE(pravella::writeRtfFile(day() + "/plain.rtf", words).ok);
    writeRtfd(day() + "/plain.rtfd", "saved edit");
    writeFile(day() + "/plain.tbld/prices.dat", "the prices");
    start();
    const auto before = pravella::test::FolderSnapshot::of(day());
    c.act();
    EXPECT_TRUE(before.changedOnly(c.changed));
    EXPECT_EQ(alerts, c.asked) << s(alertMessages.join(" / "));
    EXPECT_EQ(textOf(day() + "/plain.rtfd"), "saved edit");
    for (const QString& name : c.changed)
      EXPECT_EQ(QFileInfo::exists(day() + "/" + name), name != "plain.rtf") << s(name);
    if (c.changed.contains("renamed.tbld")) {
      QFile copy(day() + "/renamed.tbld/prices.dat");
      ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
      EXPECT_EQ(copy.readAll(), "the prices");
    }
    EXPECT_EQ(QDir(paths::trash() + "/files").entryList(QDir::AllEntries | QDir::NoDotAndDotDot), c.trashed);
    TearDown();
    QDir(day()).removeRecursively();
    QDir(paths::trash()).removeRecursively();
    alerts.clear();
    alertMessages.clear();
    alertAnswer = -1;
  }
}

}  // namespace

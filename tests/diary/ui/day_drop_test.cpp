// Files dropped on the day's document list become links in the day's folder; the finder
// sheet's text takes the menu commands while it has the focus.

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QStatusBar>
#include <QTextEdit>
#include <QUrl>

#include "day_documents_fixture.h"
#include "support/folder_snapshot.h"

namespace day_documents_test {
namespace {

class DayDrop : public DayDocuments {
 protected:
  QMimeData* files(const QStringList& paths) {
    auto* mime = new QMimeData;
    QList<QUrl> urls;
    for (const QString& p : paths) urls << QUrl::fromLocalFile(p);
    mime->setUrls(urls);
    return mime;
  }
};

TEST_F(DayDrop, DroppedFilesBecomeLinksAndAnExistingNameIsSkipped) {
  start();
  const QString from = pravella::test::home() + "/elsewhere";
  for (const char* name : {"a.txt", "b.pdf", "c.png", "mine.txt"}) writeFile(from + "/" + name, name);
  writeFile(day() + "/mine.txt", "kept");
  QObject context;
  int relisted = 0;
  pravella::NotificationCenter::defaultCenter().addObserver("showDiaryFiles", &context,
                                                            [&](auto&) { ++relisted; });

  auto* table = static_cast<getKeyOnTable*>(this->table());
  std::unique_ptr<QMimeData> mime(
      files({from + "/a.txt", from + "/b.pdf", from + "/c.png", from + "/mine.txt"}));
  const QPoint at = table->viewport()->rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction | Qt::LinkAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(table->viewport(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  EXPECT_TRUE(table->nowDrag());  // the red frame is up
  sounds.clear();
  QDropEvent drop(at, Qt::CopyAction | Qt::LinkAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(table->viewport(), &drop);
  EXPECT_FALSE(table->nowDrag());

  for (const char* name : {"a.txt", "b.pdf", "c.png"}) {
    EXPECT_EQ(QFileInfo(day() + "/" + name).symLinkTarget(), from + "/" + name) << name;
    EXPECT_TRUE(rows().contains(name)) << name;
  }
  EXPECT_FALSE(QFileInfo(day() + "/mine.txt").isSymLink());
  QFile mine(day() + "/mine.txt");
  ASSERT_TRUE(mine.open(QIODevice::ReadOnly));
  EXPECT_EQ(mine.readAll(), "kept");
  EXPECT_EQ(relisted, 1);
  EXPECT_EQ(sounds, QStringList({"Tink", "Tink", "Tink"}));
}

// A memo dragged to another day brings its tables along, or stays where it is with the reason.
TEST_F(DayDrop, AMemoDroppedOnAnotherDayBringsItsTablesOrIsRefused) {
  writeRtfd(day(27) + "/Tables.rtfd", "see <prices>");
  writeFile(day(27) + "/Tables.tbld/prices.dat", "the prices");
  writeRtfd(day(27) + "/Two.rtfd", "two");
  writeFile(day(27) + "/Two.tbld/t.dat", "its own");
  writeFile(day() + "/Two.tbld/other.dat", "another memo's");
  // Another document of the name keeps the tables where they are: a link takes nothing away.
  writeFile(day(27) + "/Tables.rtf", "{\\rtf1 the first words}");
  start();
  const auto source = pravella::test::FolderSnapshot::of(day(27));
  const auto target = pravella::test::FolderSnapshot::of(day());
  auto* table = static_cast<getKeyOnTable*>(this->table());
  std::unique_ptr<QMimeData> mime(files({day(27) + "/Tables.rtfd", day(27) + "/Two.rtfd"}));
  const QPoint at = table->viewport()->rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction | Qt::LinkAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(table->viewport(), &enter);
  sounds.clear();
  QDropEvent drop(at, Qt::CopyAction | Qt::LinkAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(table->viewport(), &drop);

  EXPECT_EQ(rows(), QStringList{"Tables"});
  EXPECT_EQ(QFileInfo(day() + "/Tables.tbld").symLinkTarget(), day(27) + "/Tables.tbld");
  EXPECT_TRUE(QFileInfo(day() + "/Tables.tbld/prices.dat").isFile());
  EXPECT_FALSE(QFileInfo(day() + "/Two.rtfd").exists());
  EXPECT_EQ(window->statusBar()->currentMessage(),
            "\"Two\" is not linked: its tables cannot follow it, because \"Two.tbld\" already exists.");
  EXPECT_EQ(sounds, QStringList({"Tink", "Basso"}));
  EXPECT_TRUE(source.unchanged());
  EXPECT_TRUE(target.changedOnly({"Tables.rtfd", "Tables.tbld"}));
}

TEST_F(DayDrop, TheFinderTextTakesTheMenuCommandsWhileFocused) {
  start();
  QTextEdit finderText(window.get());
  finderText.show();
  calendar->setFinderTextView(&finderText);
  QObject context;
  QStringList posted;
  auto& center = pravella::NotificationCenter::defaultCenter();
  for (const char* name : {"saveTextOnFinderSheet", "newTextOnFinderSheet", "pasteDateInFinderText",
                           "pasteDateTimeInFinderText", "deletetOnFinderSheet", "openWithDocumentOfBrowser"})
    center.addObserver(name, &context, [&](auto& n) { posted << n.name; });

  finderText.setFocus();
  ASSERT_EQ(window->focusWidget(), &finderText);
  calendar->saveDocAction();
  calendar->newFileAction();
  calendar->pasteDateAction();
  calendar->pasteDateTimeAction();
  for (const char* item : {"deleteFileAction", "openWithAction"})
    window->findChild<QAction*>(item)->trigger();
  EXPECT_EQ(posted,
            QStringList({"saveTextOnFinderSheet", "newTextOnFinderSheet", "pasteDateInFinderText",
                         "pasteDateTimeInFinderText", "deletetOnFinderSheet", "openWithDocumentOfBrowser"}));

  posted.clear();
  memo()->setFocus();
  calendar->pasteDateAction();
  EXPECT_TRUE(posted.isEmpty());
}

}  // namespace
}  // namespace day_documents_test

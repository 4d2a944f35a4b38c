// Links made from the main memo's selection, and symbolic links put into day folders.

#include "day_documents_fixture.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QListView>
#include <QTextBlock>
#include <QUrl>

#include "diary/diary_globals.h"
#include "editors/web_launch.h"

namespace {

using namespace day_documents_test;

class LinkMaking : public DayDocuments {
 protected:
  void SetUp() override { openDocumentOnMemoStatus = 0; }
  void TearDown() override {
    DayDocuments::TearDown();
    openDocumentOnMemoStatus = 1;
  }
  void showMemo(const QString& text, bool realPanel = false) {
    writeRtfd(day() + "/A.rtfd", text);
    start();
    if (!realPanel)
      calendar->setOpenPanel([this](const QString& title, const QString& folder, bool folders) {
        panels.append(title + (folders ? " (folders) in " : " in ") + folder);
        return openAnswer;
      });
    calendar->selectDiaryFileFromNameAction("A.rtfd");
    memo()->setFocus();
    sounds.clear();
  }
  void select(int from, int to) {
    QTextCursor c(memo()->document());
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    memo()->setTextCursor(c);
  }
  QTextCharFormat formatAt(int position) {
    QTextCursor c(memo()->document());
    c.setPosition(position + 1);
    return c.charFormat();
  }
  QColor colourAt(int position) { return formatAt(position).foreground().color(); }
  QString hrefAt(int position) { return formatAt(position).anchorHref(); }
  void triggerLinks(const char* name) {
    QAction* action = window->findChild<QAction*>(QString::fromLatin1(name));
    ASSERT_NE(action, nullptr) << name;
    action->trigger();
  }

  QString openAnswer;
};

const QColor kRed = QColor::fromRgbF(1, 0, 0);
const QColor kOrange = QColor::fromRgbF(1, 0.5, 0);
const QColor kBracket = QColor::fromRgbF(0.15f, 0.15f, 0.6f);

QString host(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

TEST_F(LinkMaking, TheSelectionBecomesAProgramEncyclopediaOrSearchLink) {
  showMemo("run Ab 1 here");
  QApplication::clipboard()->setText("!vkx = 1");
  struct Case {
    const char* action;
    QString value;
    QColor colour;
  } cases[] = {
      {"programLinkDocumentAction", "!vkx = 1", kRed},
      {"wikiLinkDocumentAction", host(pravella::kEncyclopediaArticlePrefix) + "%41%62%20%31", kOrange},
      {"nullLinkDocumentAction", host(pravella::kWebSearchHost) + "/search?q=Ab%201", kOrange},
  };
  for (const Case& c : cases) {
    select(4, 8);
    sounds.clear();
    triggerLinks(c.action);
    for (int i = 4; i < 8; ++i) {
      EXPECT_EQ(hrefAt(i), c.value) << c.action;
      EXPECT_EQ(colourAt(i), c.colour) << c.action;
      EXPECT_TRUE(formatAt(i).fontUnderline()) << c.action;
    }
    EXPECT_EQ(hrefAt(3), "") << c.action;
    EXPECT_EQ(hrefAt(8), "") << c.action;
    EXPECT_EQ(sounds, QStringList{"Tink"}) << c.action;
  }
  EXPECT_TRUE(window->isWindowModified());
}

TEST_F(LinkMaking, NoSelectionOrAnEmptyClipboardMakesNoLink) {
  showMemo("plain");
  QApplication::clipboard()->setText("");
  select(0, 5);
  calendar->programLinkDocumentAction();
  select(2, 2);
  calendar->wikiLinkDocumentAction();
  calendar->nullLinkDocumentAction();
  EXPECT_EQ(sounds, QStringList({"Basso", "Basso", "Basso"}));
  for (int i = 0; i < 5; ++i) EXPECT_EQ(hrefAt(i), "");
}

TEST_F(LinkMaking, AChosenDocumentBecomesABracketedLinkOrTheSelectionsTarget) {
  writeRtfd(day() + "/B.rtfd", "bee");
  writeRtfd(paths::dayFolder(2008, 5, 1) + "/N.rtfd", "en");
  writeFile(paths::home() + "/files/a #b.pdf", "pdf");
  showMemo("0123456789");
  struct Case {
    QString chosen;
    int from, to;
    QString text;  // the memo afterwards
  } cases[] = {
      {day() + "/B.rtfd", 2, 2, "01 [B] 23456789"},
      {paths::dayFolder(2008, 5, 1) + "/N.rtfd", 2, 2, "01 [2008/05/01/N] 23456789"},
      {paths::home() + "/files/a #b.pdf", 2, 2, "01 a #b.pdf 23456789"},
      {paths::home() + "/files/a #b.pdf", 2, 5, "0123456789"},
  };
  for (const Case& c : cases) {
    memo()->setPlainText("0123456789");
    select(c.from, c.to);
    openAnswer = c.chosen;
    panels.clear();
    sounds.clear();
    triggerLinks("linkDocumentAction");
    EXPECT_EQ(panels, QStringList{"Select Document in " + day()});
    EXPECT_EQ(memo()->toPlainText(), c.text) << s(c.chosen);
    EXPECT_EQ(sounds, QStringList{"Tink"});
  }
  // The bracketed text is coloured inside its brackets; the caret stands behind it.
  memo()->setPlainText("");
  openAnswer = day() + "/B.rtfd";
  calendar->linkDocumentAction();
  EXPECT_EQ(memo()->toPlainText(), " [B] ");
  EXPECT_NE(colourAt(1), kBracket);
  EXPECT_EQ(colourAt(2), kBracket);
  EXPECT_NE(colourAt(3), kBracket);
  EXPECT_EQ(memo()->textCursor().position(), 5);
  // A file outside the diary: its name links to it.
  memo()->setPlainText("");
  openAnswer = paths::home() + "/files/a #b.pdf";
  calendar->linkDocumentAction();
  EXPECT_EQ(hrefAt(1), QUrl::fromLocalFile(openAnswer).toString());
  EXPECT_EQ(colourAt(1), kOrange);
  // The selection: a file link to the chosen document, nothing inserted.
  memo()->setPlainText("0123456789");
  select(2, 5);
  calendar->linkDocumentAction();
  EXPECT_EQ(hrefAt(2), QUrl::fromLocalFile(openAnswer).toString());
  EXPECT_EQ(hrefAt(5), "");
  // A cancelled panel does nothing.
  openAnswer.clear();
  sounds.clear();
  memo()->setPlainText("x");
  calendar->linkDocumentAction();
  EXPECT_EQ(memo()->toPlainText(), "x");
  EXPECT_TRUE(sounds.isEmpty());
}

TEST_F(LinkMaking, TheShownDocumentIsLinkedIntoTodaysFolderOnce) {
  writeRtfd(paths::dayFolder(2008, 1, 5) + "/Trip.rtfd", "trip");
  start(QDate(2008, 3, 2));  // today has no folder yet
  calendar->setSelectedDay(QDate(2008, 1, 5));
  calendar->refreshCalendar();
  calendar->selectDayAction2(5);
  calendar->selectDiaryFileFromNameAction("Trip.rtfd");
  ASSERT_EQ(calendar->nowDisplayedDocument(), paths::dayFolder(2008, 1, 5) + "/Trip.rtfd");
  QDir().rmpath(paths::dayFolder(2008, 3, 2));
  window->symbLinkHeaderField()->setText("see-");
  sounds.clear();
  triggerLinks("symbolicLinkCurrentDisplayedDocumentToTodayFolder");
  const QString link = paths::dayFolder(2008, 3, 2) + "/see-Trip(2008-01-05).rtfd";
  EXPECT_EQ(QFileInfo(link).symLinkTarget(), paths::dayFolder(2008, 1, 5) + "/Trip.rtfd");
  EXPECT_EQ(sounds, QStringList{"Tink"});
  sounds.clear();
  calendar->symbolicLinkCurrentDisplayedDocumentToTodayFolder();  // the name is taken
  EXPECT_EQ(sounds, QStringList{"Basso"});
}

TEST_F(LinkMaking, ALinkIsMadeToTheEndOfTheShownDocumentsChain) {
  const QString original = paths::dayFolder(2008, 1, 5) + "/Trip.rtfd";
  writeRtfd(original, "trip");
  // A relative link in the selected day, to the document of another day.
  QDir().mkpath(day());
  ASSERT_TRUE(QFile::link("../../01/05/Trip.rtfd", day() + "/T.rtfd"));
  start(QDate(2008, 3, 2));
  calendar->setSelectedDay(QDate(2008, 2, 28));
  calendar->refreshCalendar();
  calendar->selectDayAction2(28);
  calendar->selectDiaryFileFromNameAction("T.rtfd");
  ASSERT_EQ(calendar->nowDisplayedDocument(), day() + "/T.rtfd");
  EXPECT_EQ(calendar->orijinalFilePath(day() + "/T.rtfd"), original);
  sounds.clear();
  calendar->symbolicLinkCurrentDisplayedDocumentToTodayFolder();
  EXPECT_EQ(QFileInfo(paths::dayFolder(2008, 3, 2) + "/Trip(2008-01-05).rtfd").symLinkTarget(), original);
  EXPECT_EQ(sounds, QStringList{"Tink"});
}

TEST_F(LinkMaking, DanglingOrLoopingChainsAndDocumentsOfTodayLinkNothing) {
  QDir().mkpath(day());
  ASSERT_TRUE(QFile::link(day() + "/loop2.rtfd", day() + "/loop1.rtfd"));
  ASSERT_TRUE(QFile::link(day() + "/loop1.rtfd", day() + "/loop2.rtfd"));
  showMemo("today's");
  EXPECT_EQ(calendar->orijinalFilePath(day() + "/loop1.rtfd"), "");
  EXPECT_EQ(calendar->orijinalFilePath(day() + "/A.rtfd"), day() + "/A.rtfd");
  calendar->symbolicLinkCurrentDisplayedDocumentToTodayFolder();  // A lies in today's folder
  EXPECT_EQ(sounds, QStringList{"Basso"});
  EXPECT_EQ(QDir(day()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::System).size(), 3);
}

TEST_F(LinkMaking, FilesAndFoldersChosenInAPanelAreLinkedIntoTheSelectedDay) {
  const QString pictures = paths::home() + "/Pictures/Summer";
  const QString movies = paths::home() + "/Movies/Run";
  const QString file = paths::home() + "/files/report.pdf";
  QDir().mkpath(pictures);
  QDir().mkpath(movies);
  writeFile(file, "pdf");
  showMemo("x");
  window->symbLinkHeaderField()->setText("L-");
  struct Case {
    const char* command;
    QString chosen, panel, link;
  } cases[] = {
      {"cal_symbolicLinkDocument", file, "Set SymbolicLink File in ", "L-report.pdf"},
      {"cal_symbolicLinkGraph", pictures, "Set SymbolicLink Graph Folder (folders) in ", "L-Summer.pictd"},
      {"cal_symbolicLinkMovie", movies, "Set SymbolicLink Movie Folder (folders) in ", "L-Run.movd"},
  };
  auto& center = pravella::NotificationCenter::defaultCenter();
  for (const Case& c : cases) {
    openAnswer = c.chosen;
    panels.clear();
    center.post(QString::fromLatin1(c.command));
    EXPECT_EQ(panels, QStringList{c.panel + paths::home()});
    EXPECT_EQ(QFileInfo(day() + "/" + c.link).symLinkTarget(), c.chosen) << c.command;
    EXPECT_TRUE(rows().contains(pravella::documentDisplayName(c.link))) << c.command;
  }
  // A name that is taken, a cancelled panel: nothing new.
  openAnswer = file;
  sounds.clear();
  calendar->symbolicLinkAction();
  EXPECT_EQ(sounds, QStringList{"Basso"});
  openAnswer.clear();
  calendar->symbolicLinkToGraphAction();
  EXPECT_EQ(QDir(day()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System).size(), 4);
}

// The open panel itself, answered as a user would: a document of the day is an RTFD package,
// a folder on disk, and is chosen as one file, by a double click on it or by its typed name.
TEST_F(LinkMaking, ThePanelChoosesADocumentPackageAsOneFile) {
  writeRtfd(day() + "/B.rtfd", "bee");
  showMemo("0123456789", true);
  // Acts once the panel lists the package; a panel still open two seconds after the answer has
  // walked into the package instead: it is cancelled and the test fails.
  const auto answerWith = [](std::function<void(QFileDialog*, QListView*, const QModelIndex&)> act) {
    auto waited = std::make_shared<int>(-1);
    return [act, waited](QDialog* dialog) {
      auto* panel = qobject_cast<QFileDialog*>(dialog);
      if (*waited < 0) {
        auto* list = panel->findChild<QListView*>(QStringLiteral("listView"));
        const QModelIndexList found =
            list->model()->match(list->model()->index(0, 0, list->rootIndex()), Qt::DisplayRole,
                                 QStringLiteral("B.rtfd"), 1, Qt::MatchExactly);
        if (found.isEmpty()) return false;
        act(panel, list, found.first());
        *waited = 0;
        return false;
      }
      if (++*waited < 40) return false;
      ADD_FAILURE() << "the panel kept running; it shows " << panel->directory().path().toStdString();
      dialog->reject();
      return true;
    };
  };
  const struct {
    const char* way;
    std::function<void(QFileDialog*, QListView*, const QModelIndex&)> act;
  } ways[] = {
      {"a double click",
       [](QFileDialog*, QListView* list, const QModelIndex& item) {
         const QPoint at = list->visualRect(item).center();
         QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
         QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
       }},
      {"the typed name",
       [](QFileDialog* panel, QListView*, const QModelIndex&) {
         auto* name = panel->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
         name->setFocus();
         QTest::keyClicks(name, QStringLiteral("B.rtfd"));
         QTest::keyClick(name, Qt::Key_Return);
       }},
  };
  for (const auto& way : ways) {
    memo()->setPlainText("0123456789");
    select(2, 2);
    watchdog.answerDialog(QStringLiteral("pravella::PackageOpenPanel"), answerWith(way.act));
    triggerLinks("linkDocumentAction");
    EXPECT_EQ(memo()->toPlainText(), "01 [B] 23456789") << way.way;
  }
}

}  // namespace

// The finder sheet on real widgets: opening from a program's command, the buttons, the
// previews by kind, the character-code switch, saving, renaming, new documents and stamps.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "diary/diary_globals.h"
#include "editors/text_services.h"
#include "lang/builtins/startup.h"
#include "platform/notification_center.h"
#include "platform/rich_text_file.h"
#include "platform/text_encoding.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/sound_player.h"
#include "support/command_program.h"
#include "support/non_regular_files.h"
#include "support/recording_opener.h"
#include "support/test_home.h"
#include "support/test_movie.h"
#include "support/wait_for.h"
#include "tools/finder/ui/cal_finder.h"
#include "tools/finder/ui/finder_text_view.h"
#include "tools/finder/ui/fs_browser.h"
#include "tools/ui/media_movie_view.h"

namespace {

using pravella::NotificationCenter;
using pravella::test::becomesTrue;
using pravella::test::home;

void writeFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

QByteArray readFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString plainTextOf(const QString& path) {
  QTextDocument doc;
  EXPECT_TRUE(pravella::readRichTextFile(path, doc)) << path.toStdString();
  return doc.toPlainText();
}

class FinderSheet : public testing::Test {
 protected:
  void SetUp() override {
    pravella::DeskToolHost host;
    host.closeAllToggleView = [this] {
      ++closes;
      if (sheet) sheet->finderDrawer()->hide();
    };
    host.setToggleStatus = [this](int s) { return std::exchange(toggle, s); };
    host.toggleStatus = [this] { return toggle; };
    host.playSound = [this](const char* name) { sounds.emplace_back(name); };
    host.documentView = &memo;
    sheet = std::make_unique<CalFinder>(host);
    sheet->setAlert([this](const QString& title, const QString&) { alerts << title; });
    sheet->awakeFromNib();
  }
  void TearDown() override { SheetCanOpen = 1; }

  // A click on the item at `path`.
  void click(const QString& path) {
    ASSERT_TRUE(sheet->fsBrowser()->setPath(path)) << path.toStdString();
    sheet->browserSingleClick();
  }
  QString shownText() const { return sheet->finderTextView()->toPlainText(); }
  void rename(const QString& name) {
    sheet->fileNameField()->setText(name);
    sheet->saveDocument();
  }
  void type(const QString& text) {
    sheet->finderTextView()->setFocus();
    sheet->finderTextView()->textCursor().insertText(text);
  }
  // Another program makes and then removes a file in `dir`, shown with a file chosen in it: the
  // column shows each change, and the chosen file stays chosen.
  void expectColumnToFollowItsFolder(const QString& dir) {
    QDir().mkpath(dir);
    writeFile(dir + "/b.txt", "b");
    sheet->toggleFinderView();
    click(dir + "/b.txt");
    FSColumnModel* column = sheet->fsBrowser()->columnModel(sheet->fsBrowser()->columnCount() - 1);
    ASSERT_EQ(column->folder(), dir);
    writeFile(dir + "/a.txt", "a");  // sorts before the chosen one
    EXPECT_TRUE(becomesTrue([&] { return column->rowOf("a.txt") >= 0; }));
    EXPECT_EQ(sheet->fsBrowser()->path(), dir + "/b.txt");
    QFile::remove(dir + "/a.txt");
    EXPECT_TRUE(becomesTrue([&] { return column->rowOf("a.txt") < 0; }));
    EXPECT_EQ(sheet->fsBrowser()->path(), dir + "/b.txt");
  }

  QTextEdit memo;
  std::unique_ptr<CalFinder> sheet;
  int closes = 0;
  int toggle = 0;
  std::vector<std::string> sounds;
  QStringList alerts;
};

// The browser lists nothing before the sheet first shows it: what was made in the home folder
// since start is in its column then.
TEST_F(FinderSheet, TheBrowserListsTheHomeFolderWhenTheSheetFirstShowsIt) {
  QDir().mkpath(home() + "/made-after-start");
  sheet->toggleFinderView();
  ASSERT_TRUE(sheet->isOpen());
  FSColumnModel* homeColumn = sheet->fsBrowser()->columnModel(sheet->fsBrowser()->columnCount() - 1);
  ASSERT_NE(homeColumn, nullptr);
  EXPECT_EQ(homeColumn->folder(), home());
  EXPECT_GE(homeColumn->rowOf("made-after-start"), 0);
}

TEST_F(FinderSheet, AProgramOpensTheSheetOnATildePath) {
  QDir().mkpath(home() + "/Documents/inner");
  EXPECT_EQ(sheet->fsBrowser()->path(), home());  // where it starts
  EXPECT_FALSE(sheet->isOpen());
  NotificationCenter::defaultCenter().post("cal_openFinderSheetWithPath", "~/Documents");
  EXPECT_TRUE(sheet->isOpen());
  EXPECT_EQ(toggle, CalFinder::kToggleNumber);
  EXPECT_EQ(sheet->fsBrowser()->path(), home() + "/Documents");
  // The last column lists the folder.
  FSColumnModel* last = sheet->fsBrowser()->columnModel(sheet->fsBrowser()->columnCount() - 1);
  EXPECT_EQ(last->folder(), home() + "/Documents");
  EXPECT_EQ(last->rowOf("inner"), 0);

  NotificationCenter::defaultCenter().post("cal_toggleFinderSheet", " ");
  EXPECT_FALSE(sheet->isOpen());
  SheetCanOpen = 0;
  NotificationCenter::defaultCenter().post("cal_toggleFinderSheet", " ");
  EXPECT_FALSE(sheet->isOpen());
}

TEST_F(FinderSheet, ProgramCommandsReachTheSheet) {
  vkStartUp();
  QDir().mkpath(home() + "/Documents");
  CommandProgram open;
  open.text("~/Documents");
  EXPECT_EQ(open.call("cal_openFinderSheetWithPath", 1), 1);
  EXPECT_TRUE(sheet->isOpen());
  EXPECT_EQ(sheet->fsBrowser()->path(), home() + "/Documents");

  CommandProgram button;  // the short name maps onto the button command
  button.number(3);
  button.text("Run");
  button.text("run.rtf");
  EXPECT_EQ(button.call("cal_setFinderSheet", 3), 1);
  EXPECT_EQ(sheet->finderButtons()->button(2)->text(), "Run");
  EXPECT_EQ(sheet->scriptFileName()[2], "run.rtf");

  CommandProgram toggle;
  EXPECT_EQ(toggle.trigger("cal_toggleFinderSheet"), 1);
  EXPECT_FALSE(sheet->isOpen());
}

TEST_F(FinderSheet, ButtonNumbersOneToTenSetTheirCell) {
  auto& center = NotificationCenter::defaultCenter();
  const QString before0 = sheet->finderButtons()->button(0)->text();
  center.post("cal_setFinderSheetButton", "0\tNo\tx.rtf");
  center.post("cal_setFinderSheetButton", "11\tNo\tx.rtf");
  center.post("cal_setFinderSheetButton", "3\tCalc\tcalc.rtf");
  EXPECT_EQ(sheet->finderButtons()->button(0)->text(), before0);
  EXPECT_EQ(sheet->finderButtons()->button(2)->text(), "Calc");
  EXPECT_EQ(sheet->scriptFileName()[2], "calc.rtf");
  for (int i : {0, 1, 3, 4, 5, 6, 7, 8, 9}) EXPECT_EQ(sheet->scriptFileName()[std::size_t(i)], "") << i;
}

TEST_F(FinderSheet, ButtonsGoToFoldersOrRunTheirScripts) {
  QDir().mkpath(home() + "/Pictures");
  sheet->setOrgPathAction(3);
  EXPECT_EQ(sheet->fsBrowser()->path(), home() + "/Pictures");
  sheet->setOrgPathAction(8);
  EXPECT_EQ(sheet->fsBrowser()->path(), home());

  QStringList memoMenu, editModule;
  QObject context;
  auto& center = NotificationCenter::defaultCenter();
  center.addObserver("calculationOnMemoMenu", &context, [&](auto& n) { memoMenu << n.text; });
  center.addObserver("calculationOnEditModule", &context, [&](auto& n) { editModule << n.text; });
  QTextDocument script;
  script.setPlainText("a=1+2");
  QDir().mkpath(home() + "/Documents/diary/vkPreferences/Command");
  ASSERT_TRUE(pravella::writeRtfFile(home() + "/Documents/diary/vkPreferences/Command/s.rtf", script));
  center.post("cal_setFinderSheetButton", "6\tS\ts.rtf");
  center.post("cal_setFinderSheetButton", "7\tP\tb=2");
  center.post("cal_setFinderSheetButton", "8\tOne\tx");  // one character: a folder button
  sheet->setOrgPathAction(5);
  sheet->setOrgPathAction(6);
  sheet->setOrgPathAction(7);
  EXPECT_EQ(memoMenu, QStringList({"a=1+2"}));
  EXPECT_EQ(editModule, QStringList({"b=2"}));
  EXPECT_EQ(sheet->fsBrowser()->path(), home());
}

TEST_F(FinderSheet, EachKindShowsItsPreview) {
  const QString dir = home() + "/kinds";
  writeFile(dir + "/a.txt", "plain words");
  writeFile(dir + "/b.bin", "\x01\x02");
  QImage image(8, 6, QImage::Format_RGB32);
  image.fill(Qt::blue);
  QDir().mkpath(dir);
  ASSERT_TRUE(image.save(dir + "/c.PNG", "PNG"));
  QTextDocument doc;
  doc.setPlainText("rich words");
  ASSERT_TRUE(pravella::writeRtfFile(dir + "/d.rtf", doc));
  ASSERT_TRUE(pravella::writeRtfdFile(dir + "/e.rtfd", doc));
  QDir().mkpath(dir + "/f");

  click(dir + "/a.txt");
  EXPECT_EQ(shownText(), "plain words");
  EXPECT_TRUE(sheet->finderTextView()->isReadOnly());
  EXPECT_EQ(sheet->fileNameField()->text(), "a.txt");
  EXPECT_EQ(sheet->nowDisplayedDocumentPath(), dir + "/a.txt");

  click(dir + "/b.bin");
  EXPECT_EQ(shownText(), "0000\t01\t02\t\n");

  click(dir + "/c.PNG");
  EXPECT_EQ(sheet->dispStatus(), CalFinder::kDispPicture);
  EXPECT_FALSE(sheet->pictView()->pixmap().isNull());

  click(dir + "/d.rtf");
  EXPECT_EQ(sheet->dispStatus(), CalFinder::kDispText);
  EXPECT_EQ(shownText(), "rich words");
  EXPECT_FALSE(sheet->finderTextView()->isReadOnly());
  EXPECT_EQ(sheet->fileNameField()->text(), "d.rtf");

  click(dir + "/e.rtfd");  // a document, never entered as a folder
  EXPECT_EQ(shownText(), "rich words");
  EXPECT_EQ(sheet->fileNameField()->text(), "e");
  EXPECT_EQ(sheet->fsBrowser()->columnModel(sheet->fsBrowser()->columnCount() - 1)->folder(), dir);

  writeFile(dir + "/g.rtf", "not rich text at all");  // shown, never edited over
  click(dir + "/g.rtf");
  EXPECT_EQ(shownText(), "< Could not encord this file ! >");
  EXPECT_TRUE(sheet->finderTextView()->isReadOnly());

  click(dir + "/f");
  EXPECT_EQ(shownText(), "");
  EXPECT_EQ(sheet->fileNameField()->text(), "f");
  EXPECT_EQ(sheet->nowDisplayedDocumentPath(), dir + "/f");
}

TEST_F(FinderSheet, CodeSwitchRedecodesOnlyWithinTheSizeLimit) {
  const QString text = QString::fromUtf8("漢字かな");
  const QByteArray sjis = pravella::encoding::encode(text, pravella::encoding::kShiftJIS);
  writeFile(home() + "/small.bin", sjis);
  writeFile(home() + "/large.bin", sjis + QByteArray(200 * 1024, ' '));

  click(home() + "/small.bin");
  ASSERT_TRUE(shownText().startsWith("0000\t"));
  sheet->charCodeSwitch()->button(2)->setChecked(true);
  sheet->charCodeAction();
  EXPECT_EQ(shownText(), text);
  sheet->charCodeSwitch()->button(0)->setChecked(true);
  sheet->charCodeAction();
  EXPECT_EQ(shownText(), "< Could not encord this file ! >");

  // Beyond the limit the switch previews the file again as a click does: still a dump.
  click(home() + "/large.bin");
  sheet->charCodeSwitch()->button(2)->setChecked(true);
  sheet->charCodeAction();
  EXPECT_TRUE(shownText().startsWith("0000\t")) << shownText().left(20).toStdString();
}

TEST_F(FinderSheet, TheCodeSwitchWritesAnEditedDocumentBeforeReplacingItsText) {
  QTextDocument doc;
  doc.setPlainText("body");
  ASSERT_TRUE(pravella::writeRtfFile(home() + "/edited.rtf", doc));
  click(home() + "/edited.rtf");
  type("new ");
  sheet->charCodeSwitch()->button(1)->setChecked(true);
  sheet->charCodeAction();
  EXPECT_EQ(plainTextOf(home() + "/edited.rtf"), "new body");
  EXPECT_TRUE(shownText().startsWith("{\\rtf")) << shownText().left(10).toStdString();
  EXPECT_TRUE(sheet->finderTextView()->isReadOnly());
}

// A folder button shows its folder as a click on it would: its name in the field, its mark on
// the switch, nothing left of the item shown before.
TEST_F(FinderSheet, AFolderButtonShowsItsFolderInTheFieldAndTheMark) {
  const QString dir = home() + "/shown";
  QDir().mkpath(dir);
  QTextDocument doc;
  doc.setPlainText("n");
  ASSERT_TRUE(pravella::writeRtfdFile(dir + "/n.rtfd", doc).ok);
  sheet->toggleFinderView();
  click(dir + "/n.rtfd");
  QTest::mouseClick(sheet->markSwitch(), Qt::LeftButton);
  ASSERT_TRUE(sheet->markSwitch()->isChecked());
  ASSERT_EQ(sheet->fileNameField()->text(), "n");

  QAbstractButton* homeButton = sheet->finderButtons()->button(1);
  ASSERT_EQ(homeButton->text(), "Home");
  QTest::mouseClick(homeButton, Qt::LeftButton);
  EXPECT_EQ(sheet->fsBrowser()->path(), home());
  EXPECT_EQ(sheet->fileNameField()->text(), QFileInfo(home()).fileName());
  EXPECT_FALSE(sheet->markSwitch()->isChecked());
  EXPECT_EQ(sheet->nowDisplayedDocumentPath(), home());
  EXPECT_TRUE(shownText().isEmpty());
}

// What another program or view makes or removes in a shown column's folder shows there without
// leaving it; the item chosen stays chosen.
TEST_F(FinderSheet, AShownColumnFollowsItsFolderOnDisk) { expectColumnToFollowItsFolder(home() + "/live"); }

// A folder shown in another column that never stops changing (a busy parent folder, /tmp on a
// loaded machine) does not hold back what changes in the chosen column's folder.
TEST_F(FinderSheet, AShownColumnFollowsItsFolderWhileAnotherKeepsChanging) {
  // Another program that answers each change in the home folder with another one.
  int changes = 0;
  const QString busy = home() + "/busy";
  const auto change = [&] {
    ++changes;
    if (QFileInfo::exists(busy))
      QFile::remove(busy);
    else
      writeFile(busy, "x");
  };
  QFileSystemWatcher otherProgram({home()});
  QObject::connect(&otherProgram, &QFileSystemWatcher::directoryChanged, change);
  change();
  ASSERT_TRUE(becomesTrue([&] { return changes >= 3; }));
  expectColumnToFollowItsFolder(home() + "/quiet");
}

// A shown folder that another program removes and makes again at once keeps its column, and
// the column goes on following the new folder.
TEST_F(FinderSheet, AShownColumnFollowsItsFolderMadeAgain) {
  const QString dir = home() + "/again";
  QDir().mkpath(dir);
  writeFile(dir + "/b.txt", "b");
  writeFile(dir + "/c.txt", "c");
  sheet->toggleFinderView();
  click(dir + "/b.txt");
  FSColumnModel* column = sheet->fsBrowser()->columnModel(sheet->fsBrowser()->columnCount() - 1);
  ASSERT_EQ(column->folder(), dir);
  ASSERT_TRUE(QDir(dir).removeRecursively());
  QDir().mkpath(dir);
  writeFile(dir + "/b.txt", "b");
  ASSERT_TRUE(becomesTrue([&] { return column->rowOf("c.txt") < 0; }));  // the removal was seen
  writeFile(dir + "/a.txt", "a");
  EXPECT_TRUE(becomesTrue([&] { return column->rowOf("a.txt") >= 0; }));
  EXPECT_EQ(sheet->fsBrowser()->path(), dir + "/b.txt");
}

TEST_F(FinderSheet, RenamesThroughTheNameField) {
  const QString dir = home() + "/names";
  QTextDocument doc;
  doc.setPlainText("n");
  QDir().mkpath(dir);
  for (const char* typed : {"m", "m.rtf"}) {
    ASSERT_TRUE(pravella::writeRtfFile(dir + "/n.rtf", doc));
    click(dir + "/n.rtf");
    rename(typed);
    EXPECT_TRUE(QFileInfo::exists(dir + "/m.rtf")) << typed;
    EXPECT_FALSE(QFileInfo::exists(dir + "/n.rtf")) << typed;
    EXPECT_EQ(sheet->nowDisplayedDocumentPath(), dir + "/m.rtf");
    EXPECT_EQ(sheet->fsBrowser()->path(), dir + "/m.rtf");
    QFile::remove(dir + "/m.rtf");
  }

  writeFile(dir + "/a.txt", "a");
  writeFile(dir + "/b.txt", "b");
  click(dir + "/a.txt");
  rename("b.txt");
  EXPECT_EQ(alerts, QStringList({"Same Name !"}));
  EXPECT_EQ(sheet->fileNameField()->text(), "a.txt");
  EXPECT_EQ(readFile(dir + "/b.txt"), "b");
  rename("c.txt");
  EXPECT_EQ(readFile(dir + "/c.txt"), "a");

  rename("../escaped.txt");
  EXPECT_EQ(alerts.last(), "Particular Name !");
  EXPECT_TRUE(QFileInfo::exists(dir + "/c.txt"));
}

TEST_F(FinderSheet, TheDesktopFolderIsNeverRenamedWhateverItsCase) {
  for (const char* onDisk : {"Desktop", "desktop", "DESKTOP"}) {
    alerts.clear();
    QDir().mkpath(home() + "/" + onDisk);
    click(home() + "/" + onDisk);
    rename("Elsewhere");
    EXPECT_EQ(alerts, QStringList({"Particular Name !"})) << onDisk;
    EXPECT_EQ(sheet->fileNameField()->text(), onDisk);
    EXPECT_TRUE(QFileInfo(home() + "/" + onDisk).isDir()) << onDisk;
    QDir(home() + "/" + onDisk).removeRecursively();
  }
}

TEST_F(FinderSheet, AnEditedDocumentIsSavedOnTheWayOut) {
  QTextDocument doc;
  doc.setPlainText("old");
  ASSERT_TRUE(pravella::writeRtfFile(home() + "/memo.rtf", doc));
  click(home() + "/memo.rtf");
  type("new ");
  EXPECT_TRUE(sheet->durtySwitch()->isChecked());
  EXPECT_TRUE(sheet->saveButton()->isEnabled());
  sheet->setOrgPathAction(1);  // leaving through a folder button
  EXPECT_EQ(plainTextOf(home() + "/memo.rtf"), "new old");
  EXPECT_FALSE(sheet->durtySwitch()->isChecked());
  EXPECT_FALSE(sheet->saveButton()->isEnabled());
}

TEST_F(FinderSheet, AFailedWriteSaysSoAndKeepsTheEdits) {
  QTextDocument doc;
  doc.setPlainText("old");
  for (const char* name : {"gone/memo.rtf", "gone/memo.rtfd"}) {
    const QString path = home() + "/" + name;
    QDir().mkpath(home() + "/gone");
    ASSERT_TRUE(QString(name).endsWith("d") ? pravella::writeRtfdFile(path, doc).ok
                                            : pravella::writeRtfFile(path, doc).ok);
    click(path);
    type("edit ");
    // The folder becomes a plain file: no write can succeed, whoever runs the test.
    ASSERT_TRUE(QDir(home() + "/gone").removeRecursively());
    writeFile(home() + "/gone", "a file now");
    sounds.clear();
    sheet->saveDocument();
    EXPECT_EQ(sounds, std::vector<std::string>({"Basso"})) << name;
    EXPECT_TRUE(sheet->durtySwitch()->isChecked()) << name;
    EXPECT_TRUE(sheet->saveButton()->isEnabled()) << name;
    EXPECT_EQ(shownText(), "edit old") << name;
    QFile::remove(home() + "/gone");
  }
}

TEST_F(FinderSheet, AMouseClickAwayFromAnEditedDocumentSavesItAndShowsTheClickedItem) {
  const QString dir = home() + "/deep/er";
  writeFile(dir + "/other.txt", "other");
  sheet->finderDrawer()->resize(700, 500);
  sheet->finderDrawer()->show();
  ASSERT_TRUE(sheet->fsBrowser()->setPath(dir));
  sheet->newAction();
  type("typed");
  // Saving moves the browser back to the document while the click is still being handled.
  FSBrowser* browser = sheet->fsBrowser();
  const int column = browser->columnCount() - 1;
  QListView* view = browser->columnView(column);
  const QModelIndex other = view->model()->index(browser->columnModel(column)->rowOf("other.txt"), 0);
  view->scrollTo(other);
  QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, view->visualRect(other).center());
  EXPECT_EQ(plainTextOf(dir + "/untitled.rtfd"), "typed");
  EXPECT_EQ(shownText(), "other");
  EXPECT_EQ(sheet->nowDisplayedDocumentPath(), dir + "/other.txt");
  QCoreApplication::processEvents();
}

TEST_F(FinderSheet, APipeOrADeviceIsNamedWithItsKindAndNeverRead) {
  const QString dir = home() + "/special";
  QDir().mkpath(dir);
  ASSERT_TRUE(pravella::test::makeFifo(dir + "/pipe.txt"));
  ASSERT_TRUE(pravella::test::makeFifo(dir + "/pipe.png"));
  ASSERT_TRUE(pravella::test::makeFifo(dir + "/pipe.bin"));
  ASSERT_TRUE(pravella::test::makeLink("/dev/zero", dir + "/zero.txt"));
  ASSERT_TRUE(pravella::test::makeLink("/dev/zero", dir + "/zero.bin"));
  writeFile(dir + "/plain.txt", "plain words");
  sheet->finderDrawer()->resize(700, 500);
  sheet->finderDrawer()->show();
  ASSERT_TRUE(sheet->fsBrowser()->setPath(dir));
  FSBrowser* browser = sheet->fsBrowser();
  const int column = browser->columnCount() - 1;
  QListView* view = browser->columnView(column);
  auto clickOn = [&](const QString& name) {
    const QModelIndex index = view->model()->index(browser->columnModel(column)->rowOf(name), 0);
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, view->visualRect(index).center());
  };
  const struct {
    const char* name;
    const char* kind;
  } cases[] = {{"pipe.txt", "named pipe"},
               {"pipe.png", "named pipe"},
               {"pipe.bin", "named pipe"},
               {"zero.txt", "character device"},
               {"zero.bin", "character device"}};
  pravella::test::HangGuard guard({dir + "/pipe.txt", dir + "/pipe.png", dir + "/pipe.bin"});
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    sounds.clear();
    clickOn(c.name);
    EXPECT_EQ(shownText(), QString("%1 is a %2, which is not opened.").arg(c.name, c.kind));
    EXPECT_EQ(sheet->fileNameField()->text(), c.name);
    EXPECT_EQ(sounds, std::vector<std::string>{"Basso"});
  }
  clickOn("plain.txt");  // and the sheet still answers
  EXPECT_EQ(shownText(), "plain words");
}

TEST_F(FinderSheet, NewDocumentsNeverReplaceOneAndRtfdRenamesAtTheNextSave) {
  const QString dir = home() + "/new";
  QTextDocument doc;
  doc.setPlainText("keep me");
  QDir().mkpath(dir);
  ASSERT_TRUE(pravella::writeRtfdFile(dir + "/untitled.rtfd", doc));
  sheet->fsBrowser()->setPath(dir);
  sheet->newAction();
  EXPECT_EQ(sheet->nowDisplayedDocumentPath(), dir + "/untitled.001.rtfd");
  EXPECT_EQ(sheet->fileNameField()->text(), "untitled.001");
  EXPECT_TRUE(QFileInfo(dir + "/untitled.001.rtfd").isDir());
  EXPECT_EQ(plainTextOf(dir + "/untitled.rtfd"), "keep me");
  EXPECT_EQ(sheet->fsBrowser()->path(), dir + "/untitled.001.rtfd");

  type("body");
  sheet->fileNameField()->setText("note");
  sheet->saveDocument();  // writes; the name waits
  EXPECT_EQ(plainTextOf(dir + "/untitled.001.rtfd"), "body");
  EXPECT_FALSE(QFileInfo::exists(dir + "/note.rtfd"));
  sheet->saveDocument();
  EXPECT_EQ(plainTextOf(dir + "/note.rtfd"), "body");
  EXPECT_FALSE(QFileInfo::exists(dir + "/untitled.001.rtfd"));
  EXPECT_EQ(sheet->nowDisplayedDocumentPath(), dir + "/note.rtfd");
}

TEST_F(FinderSheet, AStampAtTenColoursTheDate) {
  sheet->fsBrowser()->setPath(home());
  sheet->newAction();
  sheet->finderTextView()->setPlainText("0123456789abcdef");
  QTextCursor at(sheet->finderTextView()->document());
  at.setPosition(10);
  sheet->finderTextView()->setTextCursor(at);
  NotificationCenter::defaultCenter().post("pasteDateInFinderText");
  const QString text = shownText();
  EXPECT_EQ(text.mid(10, 2), " [");
  EXPECT_EQ(text.mid(22, 2), "] ");
  const QColor stamp = QColor::fromRgbF(dateFontColor[0], dateFontColor[1], dateFontColor[2]);
  auto colourAt = [&](int position) {
    QTextCursor c(sheet->finderTextView()->document());
    c.setPosition(position + 1);  // the format of the character before the cursor
    return c.charFormat().foreground().color().rgb();
  };
  for (int i = 12; i <= 21; ++i) EXPECT_EQ(colourAt(i), stamp.rgb()) << i;
  EXPECT_NE(colourAt(11), stamp.rgb());
  EXPECT_NE(colourAt(22), stamp.rgb());
  EXPECT_EQ(sounds.back(), "Tink");
}

TEST_F(FinderSheet, CopiesToAndFromTheMainMemo) {
  memo.setPlainText("memo text");
  sheet->fsBrowser()->setPath(home());
  sheet->newAction();
  sheet->finderTextView()->setPlainText("finder text");
  memo.moveCursor(QTextCursor::End);  // pasted at the memo's insertion point
  sheet->toMemoAction();
  EXPECT_EQ(memo.toPlainText(), "memo textfinder text");
  memo.setPlainText("from memo");
  sheet->finderTextView()->moveCursor(QTextCursor::End);
  sheet->fromMemoAction();
  EXPECT_EQ(shownText(), "finder textfrom memo");
}

TEST_F(FinderSheet, DoubleClickOpensWithTheDesktop) {
  pravella::test::RecordingOpener opener;
  writeFile(home() + "/open.txt", "x");
  ASSERT_TRUE(sheet->fsBrowser()->setPath(home() + "/open.txt"));
  sheet->browserDoubleClick();
  EXPECT_EQ(opener.recorded(), "1\n" + home() + "/open.txt\n");
  EXPECT_EQ(shownText(), "x");
}

TEST_F(FinderSheet, HandOffsPostTheBrowsedPath) {
  writeFile(home() + "/pics/p.png", "x");
  QObject context;
  QStringList posted;
  auto& center = NotificationCenter::defaultCenter();
  for (const char* name : {"pictFolderPathFromFinderSheet", "openMedImageWithPath",
                           "cal_openImageSegmentSheetWithPath", "setImageFilePath"})
    center.addObserver(name, &context, [&](auto& n) { posted << n.name + "=" + n.text; });
  ASSERT_TRUE(sheet->fsBrowser()->setPath(home() + "/pics/p.png"));
  sheet->gotoPictViewer();
  sheet->openROISheet();
  sheet->openImageSegSheet();
  const QString p = home() + "/pics/p.png";
  EXPECT_EQ(posted,
            QStringList({"pictFolderPathFromFinderSheet=" + home() + "/pics", "openMedImageWithPath=" + p,
                         "cal_openImageSegmentSheetWithPath=" + p, "setImageFilePath=" + p}));
}

TEST_F(FinderSheet, BrowserMarksLinksAndListsPackagesAsLeaves) {
  const QString dir = home() + "/browse";
  QDir().mkpath(dir + "/doc.rtfd");
  QDir().mkpath(dir + "/sub");
  writeFile(dir + "/file.txt", "x");
  ASSERT_TRUE(QFile::link(dir + "/file.txt", dir + "/link.txt"));
  ASSERT_TRUE(sheet->fsBrowser()->setPath(dir));
  FSBrowser* browser = sheet->fsBrowser();
  FSColumnModel* column = browser->columnModel(browser->columnCount() - 1);
  ASSERT_EQ(column->rowCount(), 4);
  const QModelIndex link = column->index(column->rowOf("link.txt"));
  EXPECT_TRUE(column->data(link, Qt::FontRole).value<QFont>().underline());
  EXPECT_FALSE(
      column->data(column->index(column->rowOf("file.txt")), Qt::FontRole).value<QFont>().underline());

  const int before = browser->columnCount();
  browser->clickRow(before - 1, column->rowOf("doc.rtfd"));
  EXPECT_EQ(browser->columnCount(), before);
  EXPECT_EQ(browser->path(), dir + "/doc.rtfd");
  browser->clickRow(before - 1, browser->columnModel(before - 1)->rowOf("sub"));
  EXPECT_EQ(browser->columnCount(), before + 1);
  EXPECT_EQ(browser->pathToColumn(before), dir + "/sub");
}

TEST_F(FinderSheet, AMoviePreviewLoadsAndABrokenOneLeavesThePreviewCleared) {
  const QString movie = home() + "/clip.AVI";
  ASSERT_TRUE(pravella::test::writeGreyMovie(movie, 10));
  sheet->openFinderView();
  click(movie);
  EXPECT_EQ(sheet->dispStatus(), CalFinder::kDispMovie);
  EXPECT_EQ(sheet->fileNameField()->text(), "clip.AVI");
  EXPECT_EQ(sheet->movieView()->file(), movie);
  ASSERT_TRUE(becomesTrue([&] { return sheet->movieView()->isLoaded(); }, 10000));
  EXPECT_EQ(sheet->movieView()->loopMode(), 1);
  sheet->durtySwitch()->click();
  EXPECT_EQ(sheet->movieView()->loopMode(), 2);

  writeFile(home() + "/broken.mov", "not a movie");
  click(home() + "/broken.mov");
  ASSERT_TRUE(becomesTrue([&] { return sheet->movieView()->file().isEmpty(); }, 10000));
  EXPECT_EQ(sheet->fileNameField()->text(), "");
  EXPECT_NE(sheet->nowDisplayedDocumentPath(), home() + "/broken.mov");
}

// The Delete buttons never take away the home, the diary's tree or a standard folder (they
// failed to only because the Trash lies inside home); the question lists what is marked.
TEST_F(FinderSheet, DeleteButtonsRefuseTheFoldersTheDiaryAndTheDesktopNeed) {
  const QString home = pravella::test::home();
  for (const char* folder : {"Documents/diary/2026/12", "Documents/diary/Preferences", "Music", "docs"})
    QDir().mkpath(home + "/" + folder);
  QFile note(home + "/docs/note.txt");
  ASSERT_TRUE(note.open(QIODevice::WriteOnly));
  note.close();
  auto panels = std::make_shared<pravella::dialogs::Scripted>();
  pravella::dialogs::setHandler(panels);
  QStringList played;
  pravella::setSoundRecorder([&](const QString& s) { played << s; });
  sheet->openFinderSheetWithPath_X(home);
  sheet->finderDrawer()->show();
  auto button = [&](const char* text) -> QPushButton* {
    for (QPushButton* b : sheet->finderDrawer()->findChildren<QPushButton*>())
      if (b->text() == text) return b;
    ADD_FAILURE() << "no button " << text;
    return nullptr;
  };
  for (const char* folder : {"", "Documents", "Documents/diary", "Documents/diary/2026",
                             "Documents/diary/2026/12", "Documents/diary/Preferences", "Music"}) {
    const QString path = folder[0] ? home + "/" + folder : home;
    ASSERT_TRUE(sheet->fsBrowser()->setPath(path)) << folder;
    panels->asked.clear();
    played.clear();
    panels->alertAnswers = {pravella::dialogs::kOther};  // "Delete", were it asked
    QTest::mouseClick(button("Delete"), Qt::LeftButton);
    EXPECT_TRUE(QFileInfo(path).isDir()) << folder;
    ASSERT_EQ(panels->asked.size(), 1) << folder;
    EXPECT_TRUE(panels->asked[0].contains("nothing was done")) << panels->asked[0].toStdString();
    EXPECT_EQ(played, QStringList{"Basso"}) << folder;
  }

  // Marked with a file, the diary's year folder refuses the whole deletion.
  sheet->operations().addMarkWithPath(home + "/docs/note.txt");
  sheet->operations().addMarkWithPath(home + "/Documents/diary/2026");
  panels->asked.clear();
  QTest::mouseClick(button("Delete Marked"), Qt::LeftButton);
  EXPECT_TRUE(QFileInfo::exists(home + "/docs/note.txt"));
  EXPECT_TRUE(QFileInfo(home + "/Documents/diary/2026").isDir());
  ASSERT_EQ(panels->asked.size(), 1);
  EXPECT_TRUE(panels->asked[0].endsWith(home + "/Documents/diary/2026")) << panels->asked[0].toStdString();
  // Without it, the question names what goes.
  sheet->operations().deleteMarkWithPath(home + "/Documents/diary/2026");
  panels->asked.clear();
  panels->alertAnswers = {pravella::dialogs::kOther};
  QTest::mouseClick(button("Delete Marked"), Qt::LeftButton);
  ASSERT_EQ(panels->asked.size(), 1);
  EXPECT_EQ(panels->asked[0], "Delete: Do you want to delete All Marked Files?\n" + home + "/docs/note.txt");
  EXPECT_FALSE(QFileInfo::exists(home + "/docs/note.txt"));
  pravella::setSoundRecorder(nullptr);
  pravella::dialogs::setHandler(nullptr);
}

}  // namespace

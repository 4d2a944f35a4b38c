// The day's documents driven through the main window: typing, saving, auto-saving, renaming,
// deleting and opening, with the files checked on disk.

#include "day_documents_fixture.h"

#include <QFontInfo>
#include <QStatusBar>

#include <cerrno>
#include <cstring>

#include "editors/plain_text_export.h"
#include "lang/builtins/startup.h"
#include "lang/executor.h"
#include "platform/save_steps.h"
#include "platform/text_encoding.h"
#include "platform/ui/status_line.h"
#include "support/recording_opener.h"
#include "support/wait_for.h"

namespace {

using namespace day_documents_test;

TEST_F(DayDocuments, ANewMemoIsSavedUnderItsFirstLine) {
  start();
  EXPECT_TRUE(calendar->nowDisplayedDocument().isEmpty());
  EXPECT_FALSE(window->isWindowModified());
  EXPECT_FALSE(memoButton(1)->isEnabled());  // the save function

  type("Shopping");
  QTest::keyClick(memo(), Qt::Key_Return);
  type("milk");
  EXPECT_TRUE(window->isWindowModified());
  EXPECT_TRUE(memoButton(1)->isEnabled());
  QTest::mouseClick(memoButton(1), Qt::LeftButton);  // "Save": cal_saveDocument

  const QString path = day() + "/Shopping.rtfd";
  EXPECT_TRUE(QFileInfo(path + "/TXT.rtf").isFile());
  EXPECT_EQ(textOf(path), "Shopping\nmilk");
  EXPECT_EQ(calendar->numOfTextSizeField()->text(), "13");
  EXPECT_EQ(calendar->nowDisplayedDocument(), path);
  EXPECT_FALSE(window->isWindowModified());
  EXPECT_FALSE(memoButton(1)->isEnabled());
  // The save redrew the month; the selected day is still the bold one.
  EXPECT_TRUE(window->dayCell(28 + calendar->startOffset() - 1)->font().bold());
  EXPECT_EQ(nameField()->text(), "Shopping");
  EXPECT_EQ(rows(), QStringList{"Shopping"});
  EXPECT_EQ(header(), "2008/02/28 (1)");
  EXPECT_EQ(table()->currentRow(), 0);
  EXPECT_EQ(calendar->history().paths(), QStringList{path});
  EXPECT_EQ(calendar->recentMemo(), QStringList{path});
  EXPECT_TRUE(sounds.contains("Tink"));
  EXPECT_TRUE(alerts.isEmpty());
  // Nothing but the document in the day folder: no temporary leftovers.
  EXPECT_EQ(QDir(day()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{"Shopping.rtfd"});

  // Edits of a saved document go back into the same package.
  QTextCursor end(memo()->document());
  end.movePosition(QTextCursor::End);
  memo()->setTextCursor(end);
  type(" and eggs");
  ASSERT_TRUE(calendar->save());
  EXPECT_EQ(textOf(path), "Shopping\nmilk and eggs");
}

// A program still running when the memo changes to another day's document belongs to the
// document it was started in: its output must not go into the next one, which would then be
// saved with it, but into the document it came from.
TEST_F(DayDocuments, ARunGoingOnWhenTheDayChangesLeavesTheNextDocumentAlone) {
  ASSERT_EQ(vkStartUp(), 1);
  writeRtfd(day(29) + "/next.rtfd", "next day");
  start();
  memo()->awakeFromNib();
  type("i = 0; while (1) i = i + 1;");
  QTest::keyClick(memo(), Qt::Key_Enter, Qt::KeypadModifier);
  ASSERT_TRUE(memo()->isRunning());

  calendar->calendarIncDay();
  ASSERT_EQ(calendar->nowDisplayedDocument(), day(29) + "/next.rtfd");
  // The run ends (broken as by the held mouse button) while the next day's document is shown.
  vkButtonDownSinceMs.store(1);
  memo()->waitForRuns();
  vkButtonDownSinceMs.store(0);
  EXPECT_EQ(s(memo()->toPlainText()), "next day");
  EXPECT_FALSE(window->isWindowModified());
  ASSERT_TRUE(calendar->save());
  EXPECT_EQ(s(textOf(day(29) + "/next.rtfd")), "next day");
  // The code was saved with its day before the change, and the run's result went into that
  // document's file when the run ended.
  EXPECT_EQ(s(textOf(day() + "/i = 0; while (1) i = i + 1;.rtfd")),
            "i = 0; while (1) i = i + 1;\n...<Error>...**** BREAK *****\n.NO.\n");
  EXPECT_TRUE(alerts.isEmpty());
}

TEST_F(DayDocuments, AutoSaveComes300SecondsAfterTheLastEdit) {
  start();
  type("Groceries");
  ASSERT_TRUE(timer->isActive());
  EXPECT_EQ(timer->lastSeconds, 300);
  const int starts = timer->starts;
  type("!");
  EXPECT_EQ(timer->starts, starts + 1);  // each edit starts the wait again
  EXPECT_FALSE(QFileInfo::exists(day() + "/Groceries!.rtfd"));
  timer->fire();
  EXPECT_EQ(textOf(day() + "/Groceries!.rtfd"), "Groceries!");
  EXPECT_FALSE(window->isWindowModified());
  EXPECT_FALSE(timer->isActive());

  // "Not dirty" drops the mark and the waiting save.
  type("x");
  ASSERT_TRUE(timer->isActive());
  pravella::NotificationCenter::defaultCenter().post("cal_noDurty");
  EXPECT_FALSE(timer->isActive());
  EXPECT_FALSE(window->isWindowModified());
}

TEST_F(DayDocuments, NamesOfNewMemos) {
  start();
  // A first line of 51 characters: the time of the save.
  type(QString(51, 'a'));
  ASSERT_TRUE(calendar->save());
  EXPECT_TRUE(QFileInfo::exists(day() + "/20080228-131415.rtfd"));

  // A first line beginning with "." must not make a document no list shows.
  calendar->newDocument();
  type(".secret");
  ASSERT_TRUE(calendar->save());
  EXPECT_TRUE(QFileInfo::exists(day() + "/_secret.rtfd"));
  EXPECT_TRUE(rows().contains("_secret"));

  // A typed name with "/" and ":" is cleaned.
  calendar->newDocument();
  nameField()->setText("a/b:c");
  type("text");
  ASSERT_TRUE(calendar->save());
  EXPECT_TRUE(QFileInfo::exists(day() + "/a_b;c.rtfd"));

  // A first line of "■ " alone gives no name: the auto-save asks with the panel.
  calendar->newDocument();
  memo()->insertPlainText(QStringLiteral("\u25A0 "));  // (no key of the test keyboard types it)
  timer->fire();
  EXPECT_EQ(panels, QStringList{"Diary New Document Save:"});
  EXPECT_TRUE(window->isWindowModified());
  panels.clear();

  // A name already taken asks with the save panel; cancelling keeps the memo edited.
  nameField()->clear();
  memo()->clear();
  window->setWindowModified(false);
  calendar->newDocument();
  type("Shopping");
  writeRtfd(day() + "/Shopping.rtfd", "older");
  EXPECT_FALSE(calendar->save());
  EXPECT_EQ(panels, QStringList{"Diary New Document Save:Shopping"});
  EXPECT_TRUE(window->isWindowModified());
  panelAnswer = "Shopping 2";
  ASSERT_TRUE(calendar->save());
  EXPECT_EQ(textOf(day() + "/Shopping 2.rtfd"), "Shopping");
  EXPECT_EQ(textOf(day() + "/Shopping.rtfd"), "older");
  EXPECT_EQ(calendar->nowDisplayedDocument(), day() + "/Shopping 2.rtfd");

  // So does a taken name given with its ".rtfd", typed or as the first line: the document
  // there is never written over.
  panels.clear();
  panelAnswer.clear();
  calendar->newDocument();
  nameField()->setText("Shopping.rtfd");
  type("other list");
  EXPECT_FALSE(calendar->save());
  EXPECT_EQ(panels, QStringList{"Diary New Document Save:Shopping.rtfd"});
  EXPECT_EQ(textOf(day() + "/Shopping.rtfd"), "older");
  EXPECT_TRUE(window->isWindowModified());
  panels.clear();
  nameField()->clear();
  memo()->clear();
  window->setWindowModified(false);
  calendar->newDocument();
  type("Shopping.rtfd");
  EXPECT_FALSE(calendar->save());
  EXPECT_EQ(panels, QStringList{"Diary New Document Save:Shopping.rtfd"});
  EXPECT_EQ(textOf(day() + "/Shopping.rtfd"), "older");
}

// A document made read-only (its folder 555) in a day folder that is not: the save is refused
// and says why, the document on disk stays as it was and the memo keeps its edits.
TEST_F(DayDocuments, AReadOnlyDocumentStaysAsItIsAndTheSaveSaysWhy) {
  const QString path = day() + "/a.rtfd";
  const auto readOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                        QFile::ReadOther | QFile::ExeOther;
  // The package made read-only (555), or only its text file (444) inside a writable package:
  // the read-only mode is the document's either way.
  const struct {
    const char* what;
    QString lockedPath;
    QFile::Permissions locked;
  } cases[] = {
      {"package", path, readOnly},
      {"text file", path + "/TXT.rtf", QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    writeRtfd(path, "first");
    QFile::setPermissions(c.lockedPath, c.locked);
    start();
    ASSERT_EQ(calendar->nowDisplayedDocument(), path);
    type("edited ");
    alerts.clear();
    alertMessages.clear();
    alertAnswer = 0;
    QTest::mouseClick(memoButton(1), Qt::LeftButton);  // "Save"
    EXPECT_EQ(alerts, QStringList{"Can't save the document !"});
    EXPECT_EQ(alertMessages, QStringList{"Cannot save \"" + path + "\": Permission denied"});
    EXPECT_TRUE(window->isWindowModified());
    EXPECT_EQ(textOf(path), "first");
    EXPECT_EQ(QFileInfo(c.lockedPath).permissions() & ~QFile::Permissions(0x0700), c.locked);
    EXPECT_EQ(memo()->toPlainText(), "edited first");
    QFile::setPermissions(c.lockedPath, c.locked | QFile::WriteOwner);
    TearDown();
  }
}

// After the new version took the document's place, a folder that cannot be synced leaves the
// document saved: the memo counts as saved and the status line says what is in doubt.
TEST_F(DayDocuments, AFolderThatCannotBeSyncedAfterTheSaveIsAWarningNotAFailure) {
  const QString path = day() + "/a.rtfd";
  writeRtfd(path, "first");
  start();
  type("edited ");
  static QString dayFolder;
  dayFolder = day();
  pravella::save_steps::setFolderSyncHook(
      [](const QString& folder) { return folder == dayFolder ? EIO : 0; });
  QTest::keyClick(memo(), Qt::Key_S, Qt::ControlModifier);
  pravella::save_steps::setFolderSyncHook(nullptr);
  EXPECT_TRUE(alerts.isEmpty()) << s(alerts.join(";"));
  EXPECT_FALSE(window->isWindowModified());
  EXPECT_EQ(textOf(path), "edited first");
  const QString outcome = "\" was saved, but its folder could not be synced (" +
                          QString::fromLocal8Bit(std::strerror(EIO)) + ").";
  EXPECT_EQ(window->statusBar()->currentMessage(),
            "The save may not survive a power cut: \"" + path + outcome);
  // What the line draws keeps the point whole: a cut goes into the path first, then the end
  // goes, with "…".
  auto* line = qobject_cast<pravella::StatusLine*>(window->statusBar());
  ASSERT_TRUE(line);
  const QString shown = line->shownMessage();
  EXPECT_TRUE(shown.startsWith("The save may not survive a power cut: \"")) << s(shown);
  EXPECT_TRUE(shown.endsWith(outcome) || (shown.contains("\"\u2026\"") && shown.endsWith(QChar(0x2026))))
      << s(shown);
}

TEST_F(DayDocuments, AFailedWriteKeepsTheMemoAndSaysSo) {
  writeRtfd(day() + "/a.rtfd", "first");
  start();
  EXPECT_EQ(calendar->nowDisplayedDocument(), day() + "/a.rtfd");
  type("edited ");
  // The day folder becomes a file: nothing can be written there.
  QDir::setCurrent(paths::home());
  ASSERT_TRUE(QDir(day()).removeRecursively());
  writeFile(day(), "not a folder");
  alertAnswer = 0;
  EXPECT_FALSE(calendar->save());
  EXPECT_EQ(alerts, QStringList{"Can't save the document !"});
  EXPECT_TRUE(window->isWindowModified());
  EXPECT_EQ(memo()->toPlainText(), "edited first");
  EXPECT_FALSE(sounds.contains("Tink"));

  // A change of day is refused: the memo stays where it is.
  QTest::mouseClick(window->incMonthButton(), Qt::LeftButton);
  EXPECT_EQ(calendar->selectedDay(), QDate(2008, 2, 28));
  QTest::mouseClick(window->dayCell(3 + calendar->startOffset() - 1), Qt::LeftButton);
  EXPECT_EQ(calendar->selectedDay(), QDate(2008, 2, 28));
  EXPECT_EQ(window->dayCells()->checkedId(), 28 + calendar->startOffset() - 1);
  EXPECT_EQ(alerts.size(), 3);  // once for each refused change
  EXPECT_EQ(memo()->toPlainText(), "edited first");
}

TEST_F(DayDocuments, AnUncreatableDayFolderRefusesTheSave) {
  start();
  type("new memo");
  QDir::setCurrent(paths::home());
  ASSERT_TRUE(QDir(day()).removeRecursively());
  writeFile(day(), "not a folder");
  alertAnswer = 0;
  EXPECT_FALSE(calendar->save());
  EXPECT_EQ(alerts, QStringList{"Can't create a diary folder !"});
  EXPECT_TRUE(window->isWindowModified());
  EXPECT_EQ(memo()->toPlainText(), "new memo");
}

// A new memo after a plain text document (whose name is shown, not offered for renaming) takes
// the name the user types.
TEST_F(DayDocuments, ANewMemoAfterAPlainTextDocumentTakesATypedName) {
  writeFile(day() + "/notes.txt", "plain words");
  start();
  clickRow(static_cast<int>(calendar->diaryFiles().indexOf("notes.txt")));
  ASSERT_TRUE(nameField()->isReadOnly());
  calendar->newFileAction();
  EXPECT_FALSE(nameField()->isReadOnly());
  EXPECT_FALSE(memo()->isReadOnly());
  type("words");
  nameField()->setFocus();
  QTest::keyClicks(nameField(), "chosen");
  QTest::keyClick(nameField(), Qt::Key_Return);
  EXPECT_EQ(s(textOf(day() + "/chosen.rtfd")), "words");
  QFile plain(day() + "/notes.txt");
  ASSERT_TRUE(plain.open(QIODevice::ReadOnly));
  EXPECT_EQ(plain.readAll(), "plain words");
}

// A text file shows as its text whatever Japanese encoding it is in: the memo's own text export
// writes Shift JIS.
TEST_F(DayDocuments, APlainTextDocumentIsReadInItsEncoding) {
  const QString text = QStringLiteral("日本語のメモ\nかなとカナ");
  QDir().mkpath(day());
  ASSERT_TRUE(pravella::writeShiftJISText(day() + "/export.txt", text).ok);
  writeFile(day() + "/euc.txt", pravella::encoding::encode(text, pravella::encoding::kEucJP));
  writeFile(day() + "/utf8.txt", text.toUtf8());
  start();
  for (const char* name : {"export.txt", "euc.txt", "utf8.txt"}) {
    clickRow(static_cast<int>(calendar->diaryFiles().indexOf(name)));
    EXPECT_EQ(calendar->nowDisplayedDocument(), day() + "/" + name);
    EXPECT_EQ(memo()->toPlainText(), text) << name;
    EXPECT_TRUE(memo()->isReadOnly()) << name;
  }
}

TEST_F(DayDocuments, OpeningByKind) {
  writeRtfd(day() + "/a.rtfd", "package");
  writeFile(day() + "/notes.txt", "plain words");
  QTextDocument rtf;
  rtf.setPlainText("single file");
  ASSERT_TRUE(pravella::writeRtfFile(day() + "/r.rtf", rtf).ok);
  writeFile(day() + "/NOTES.RTF", "{\\rtf1 x}");
  QImage picture(4, 3, QImage::Format_RGB32);
  picture.fill(Qt::red);
  ASSERT_TRUE(picture.save(day() + "/photo.png"));
  writeFile(day() + "/x.tbld", "hidden kind");
  writeFile(day() + "/.hidden", "hidden name");
  QFile::link("gone.rtfd", day() + "/dangling.rtfd");
  start();
  QStringList names = calendar->diaryFiles();
  names.sort();
  EXPECT_EQ(names, QStringList({"NOTES.RTF", "a.rtfd", "dangling.rtfd", "notes.txt", "photo.png", "r.rtf"}));
  auto open = [&](const QString& name) {
    const qsizetype row = calendar->diaryFiles().indexOf(name);
    ASSERT_GE(row, 0) << s(name);
    clickRow(static_cast<int>(row));
  };

  open("notes.txt");
  EXPECT_EQ(memo()->toPlainText(), "plain words");
  EXPECT_EQ(nameField()->text(), "notes.txt");
  EXPECT_TRUE(nameField()->isReadOnly());
  EXPECT_TRUE(memo()->isReadOnly());
  EXPECT_FALSE(window->isWindowModified());

  open("a.rtfd");
  EXPECT_EQ(memo()->toPlainText(), "package");
  EXPECT_EQ(nameField()->text(), "a");
  EXPECT_FALSE(memo()->isReadOnly());
  EXPECT_TRUE(sounds.contains("Pop"));

  // The name of a plain text document is not offered for renaming.
  open("notes.txt");
  QTest::keyClick(nameField(), Qt::Key_Return);
  EXPECT_TRUE(QFileInfo(day() + "/notes.txt").isFile());

  // An .rtf document is saved as an .rtfd package beside it.
  open("r.rtf");
  EXPECT_EQ(memo()->toPlainText(), "single file");
  type("more ");
  ASSERT_TRUE(calendar->save());
  EXPECT_EQ(textOf(day() + "/r.rtfd"), "more single file");
  EXPECT_EQ(textOf(day() + "/r.rtf"), "single file");
  EXPECT_EQ(calendar->nowDisplayedDocument(), day() + "/r.rtfd");

  opened.clear();     // (the day's first row, whatever it is, opens at start)
  open("NOTES.RTF");  // not rich text by its upper-case extension: the desktop opens it
  EXPECT_EQ(opened, QStringList{"xdg-open " + day() + "/NOTES.RTF in 28"});
  EXPECT_EQ(calendar->nowDisplayedDocument(), day() + "/r.rtfd");

  open("photo.png");
  EXPECT_TRUE(calendar->pictureDrawer()->isVisible());
  EXPECT_EQ(calendar->toggleStatus(), 5);
  pravella::PictureDrawer* pictures = calendar->pictureDrawer();
  EXPECT_EQ(pictures->pictureView()->property("imageSize").toSize(), QSize(4, 3));
  pictures->pictMagField()->setValue(5);  // more than 3 times is shown at 3
  pictures->pictMagAction();
  EXPECT_EQ(pictures->magnification(), 3.0);
  EXPECT_EQ(pictures->pictureView()->property("imageSize").toSize(), QSize(12, 9));

  open("dangling.rtfd");  // a link to nothing: a new memo
  EXPECT_TRUE(calendar->nowDisplayedDocument().isEmpty());
  EXPECT_TRUE(memo()->toPlainText().isEmpty());
}

TEST_F(DayDocuments, OtherKindsGoToXdgOpenWithTheNameAsItsOnlyArgument) {
  // A recording xdg-open first on PATH.
  const QString bin = pravella::test::home() + "/bin";
  const QString record = pravella::test::home() + "/xdg-open.log";
  writeFile(bin + "/xdg-open",
            ("#!/bin/sh\nprintf '%s|%s\\n' \"$PWD\" \"$*\" >> '" + record + "'\n").toUtf8());
  QFile::setPermissions(bin + "/xdg-open", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  const QByteArray oldPath = qgetenv("PATH");
  qputenv("PATH", (bin + ":").toUtf8() + oldPath);
  writeFile(day() + "/a; rm -rf x.doc", "not for a shell");
  realOpener = true;
  start();  // start-up leaves it to the user's click
  clickRow(0);
  QFile log(record);
  for (int i = 0; i < 500 && !log.exists(); ++i) QTest::qWait(10);
  qputenv("PATH", oldPath);
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(log.readAll()), day() + "|" + day() + "/a; rm -rf x.doc\n");
}

TEST_F(DayDocuments, ANameLikeAnOptionReachesTheOpenerAsAnAbsolutePath) {
  for (const char* name : {"--version", "--help.zzz", "-x.odt"}) writeFile(day() + "/" + name, "a document");
  start();
  for (const char* name : {"--version", "--help.zzz", "-x.odt"}) {
    SCOPED_TRACE(name);
    opened.clear();
    clickRow(static_cast<int>(calendar->diaryFiles().indexOf(name)));
    EXPECT_EQ(opened, QStringList{"xdg-open " + day() + "/" + name + " in 28"});
  }
}

TEST_F(DayDocuments, EveryWayToADayShowsItsOwnKindsAndStartsNoOtherProgram) {
  const pravella::test::RecordingOpener opener;  // xdg-open first on PATH
  realOpener = true;
  writeFile(day(27) + "/$(touch x)", "a name an FTP Get brought");
  writeFile(day(28) + "/--help.zzz", "a kind nothing here shows");
  writeRtfd(day(28) + "/notes.rtfd", "my notes");
  writeFile(day(29) + "/$(touch x)", "another");
  writeFile(paths::dayFolder(2008, 3, 1) + "/-x.odt", "a kind nothing here shows");
  writeRtfd(paths::dayFolder(2008, 3, 1) + "/march.rtfd", "march");
  start();
  ASSERT_EQ(calendar->nowDisplayedDocument(), day() + "/notes.rtfd");
  // The bookmarks follow: the row the drawer selects is the shown document's, none for a new memo.
  QObject bookmarks;
  QString bookmarkRow = "(none posted)";
  pravella::NotificationCenter::defaultCenter().addObserver(
      "selectDocumentListOnBMTable", &bookmarks, [&](pravella::Notification& n) { bookmarkRow = n.text; });
  auto clickDay = [this](int d) {
    QTest::mouseClick(window->dayCell(d + calendar->startOffset() - 1), Qt::LeftButton);
  };
  auto key = [this](Qt::Key k) {
    table()->setFocus();
    QTest::keyClick(table(), k);
  };
  auto click = [](QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton); };
  // Each way to a day, and what it shows: the first document shown here, else a new memo.
  const std::vector<std::tuple<const char*, std::function<void()>, QString>> ways = {
      {"a click on a day", [&] { clickDay(27); }, QString()},
      {"the right arrow", [&] { key(Qt::Key_Right); }, day(28) + "/notes.rtfd"},
      {"the right arrow again", [&] { key(Qt::Key_Right); }, QString()},
      {"the next month", [&] { click(window->incMonthButton()); },
       paths::dayFolder(2008, 3, 1) + "/march.rtfd"},
      {"the month before", [&] { click(window->decMonthButton()); }, QString()},
      {"today", [&] { click(window->todayButton()); }, day(28) + "/notes.rtfd"},
      {"the left arrow", [&] { key(Qt::Key_Left); }, QString()},
  };
  for (const auto& [way, act, shown] : ways) {
    SCOPED_TRACE(way);
    act();
    EXPECT_EQ(calendar->nowDisplayedDocument(), shown);
    EXPECT_EQ(bookmarkRow, shown);
    if (shown.isEmpty()) {
      EXPECT_TRUE(memo()->toPlainText().isEmpty());
    }
  }
  pravella::NotificationCenter::defaultCenter().removeObservers(&bookmarks);
  EXPECT_TRUE(pravella::test::becomesEqual([&] { return opener.recordedWhenDone(); }, QString()));

  // The user's click on the document starts the desktop's opener, with that document alone.
  ASSERT_EQ(rows(), QStringList{"$(touch x)"});
  clickRow(0);
  EXPECT_TRUE(pravella::test::becomesEqual([&] { return opener.recordedWhenDone(); },
                                           "1\n" + day(27) + "/$(touch x)\n"));
}

TEST_F(DayDocuments, AWebArchiveOpensAsAFileAddressThatKeepsItsName) {
  start();
  opened.clear();
  calendar->openWebarchiveOnWebBrowserFromName(day() + "/a #1 %\u00e9?.webarchive");
  EXPECT_EQ(opened, QStringList{"xdg-open file://" + day() + "/a%20%231%20%25%C3%A9%3F.webarchive in 28"});
}

TEST_F(DayDocuments, AMedicalImageGoesToTheViewerWhenThereIsOne) {
  // An H4 file: 466,944 bytes and nothing else; the viewer is the test's observer.
  writeFile(day() + "/scan.h4", QByteArray(466944, '\0'));
  writeFile(day() + "/b.rtfd/TXT.rtf", "{\\rtf1 b}");
  start();
  auto open = [&](const QString& name) { clickRow(static_cast<int>(calendar->diaryFiles().indexOf(name))); };
  opened.clear();
  open("scan.h4");  // no viewer yet: the desktop opens it
  EXPECT_EQ(opened, QStringList{"xdg-open " + day() + "/scan.h4 in 28"});
  QStringList posted;
  auto& center = pravella::NotificationCenter::defaultCenter();
  const auto id = center.addObserver(
      "openMedImageAction", nullptr, [&](pravella::Notification& n) { posted << n.text; },
      pravella::Delivery::PostingThread);
  open("b.rtfd");
  open("scan.h4");
  center.removeObserver(id);
  EXPECT_EQ(posted, QStringList{day() + "/scan.h4"});
  EXPECT_EQ(opened, QStringList{"xdg-open " + day() + "/scan.h4 in 28"});
}

TEST_F(DayDocuments, ADicomFileOfAKindNotReadSaysSoInsteadOfGoingToTheDesktop) {
  // The file format's preamble and meta group (explicit VR little endian, as it always is),
  // naming an explicit VR data set; then one data-set element in that form.
  QByteArray meta;
  auto element = [](QByteArray& to, quint16 group, quint16 element, const char* vr, const QByteArray& value) {
    const char head[] = {char(group & 0xff),
                         char(group >> 8),
                         char(element & 0xff),
                         char(element >> 8),
                         vr[0],
                         vr[1],
                         char(value.size() & 0xff),
                         char(value.size() >> 8)};
    to.append(head, sizeof head).append(value);
  };
  element(meta, 0x0002, 0x0010, "UI", QByteArray("1.2.840.10008.1.2.1", 20));
  QByteArray file(128, '\0');
  file.append("DICM");
  const char groupLength[] = {char(meta.size()), 0, 0, 0};
  element(file, 0x0002, 0x0000, "UL", QByteArray(groupLength, 4));
  file.append(meta);
  element(file, 0x0028, 0x0010, "US", QByteArray("\x04\x00", 2));
  writeFile(day() + "/scan.dcm", file);
  writeFile(day() + "/b.rtfd/TXT.rtf", "{\\rtf1 b}");
  start();
  opened.clear();
  sounds.clear();
  clickRow(static_cast<int>(calendar->diaryFiles().indexOf("scan.dcm")));
  EXPECT_TRUE(opened.isEmpty());
  EXPECT_EQ(sounds, QStringList{"Basso"});
  EXPECT_EQ(
      window->statusBar()->currentMessage(),
      "scan.dcm is a DICOM explicit VR little endian file, which is not read: only ACR-NEMA and implicit VR "
      "little endian files are.");
}

TEST_F(DayDocuments, AnRtfDocumentNeverReplacesAPackageOfItsName) {
  QTextDocument rtf;
  rtf.setPlainText("from rtf");
  QDir().mkpath(day());
  ASSERT_TRUE(pravella::writeRtfFile(day() + "/r.rtf", rtf).ok);
  writeRtfd(day() + "/r.rtfd", "another document");
  start();
  clickRow(static_cast<int>(calendar->diaryFiles().indexOf("r.rtf")));
  ASSERT_EQ(calendar->nowDisplayedDocument(), day() + "/r.rtf");
  type("edited ");
  ASSERT_TRUE(calendar->save());
  EXPECT_EQ(textOf(day() + "/r.rtfd"), "another document");
  EXPECT_EQ(textOf(day() + "/r_1.rtfd"), "edited from rtf");
  EXPECT_EQ(calendar->nowDisplayedDocument(), day() + "/r_1.rtfd");
}

TEST_F(DayDocuments, ALinkedDocumentIsReadAndWrittenAtItsTarget) {
  writeRtfd(day(1) + "/real.rtfd", "linked text");
  QDir().mkpath(day());
  ASSERT_TRUE(QFile::link("../01/real.rtfd", day() + "/link.rtfd"));  // relative to its folder
  start();
  QDir::setCurrent(paths::home());
  clickRow(0);
  EXPECT_EQ(memo()->toPlainText(), "linked text");
  type("more ");
  ASSERT_TRUE(calendar->save());
  EXPECT_TRUE(QFileInfo(day() + "/link.rtfd").isSymLink());
  EXPECT_EQ(textOf(day(1) + "/real.rtfd"), "more linked text");
}

TEST_F(DayDocuments, RenamingMovesTheFileThenTheBookmarks) {
  writeRtfd(day() + "/a.rtfd", "alpha");
  writeRtfd(day() + "/taken.rtfd", "other");
  std::vector<QStringList> bookmarkMoves;
  QObject listening;  // ends the observer with the test: later tests move documents too
  pravella::NotificationCenter::defaultCenter().addObserver(
      "renameBookMarkPathName", &listening,
      [&](pravella::Notification& n) {
        // Told only once the file is where the bookmark will point.
        EXPECT_TRUE(QFileInfo::exists(n.strings.value(1)));
        bookmarkMoves.push_back(n.strings);
      },
      pravella::Delivery::PostingThread);
  start();
  clickRow(static_cast<int>(calendar->diaryFiles().indexOf("a.rtfd")));
  ASSERT_EQ(calendar->nowDisplayedDocument(), day() + "/a.rtfd");

  // By the name field, with an unsaved edit: the edit is saved, then the file moves.
  type("new ");
  nameField()->setText("b");
  QTest::keyClick(nameField(), Qt::Key_Return);
  EXPECT_FALSE(QFileInfo::exists(day() + "/a.rtfd"));
  EXPECT_EQ(textOf(day() + "/b.rtfd"), "new alpha");
  EXPECT_EQ(calendar->nowDisplayedDocument(), day() + "/b.rtfd");
  EXPECT_FALSE(calendar->history().paths().contains(day() + "/a.rtfd"));
  EXPECT_TRUE(calendar->history().paths().contains(day() + "/b.rtfd"));
  ASSERT_EQ(bookmarkMoves.size(), 1u);
  EXPECT_EQ(bookmarkMoves[0], QStringList({day() + "/a.rtfd", day() + "/b.rtfd"}));

  // Onto a name that is taken: nothing moves, and an alert says why.
  nameField()->setText("taken");
  alertAnswer = 0;
  QTest::keyClick(nameField(), Qt::Key_Return);
  EXPECT_EQ(alerts, QStringList{"Can't rename the document !"});
  EXPECT_TRUE(alertMessages.value(0).contains("\"taken\" already exists")) << s(alertMessages.value(0));
  EXPECT_EQ(textOf(day() + "/taken.rtfd"), "other");
  EXPECT_EQ(textOf(day() + "/b.rtfd"), "new alpha");
  EXPECT_EQ(bookmarkMoves.size(), 1u);
  // The field shows the name the document still has.
  EXPECT_EQ(nameField()->text(), "b");

  // By editing the row in the table: an rtfd package stays one.
  const int row = static_cast<int>(calendar->diaryFiles().indexOf("b.rtfd"));
  table()->item(row, 1)->setText("c");
  EXPECT_EQ(textOf(day() + "/c.rtfd"), "new alpha");
  EXPECT_EQ(calendar->nowDisplayedDocument(), day() + "/c.rtfd");
  EXPECT_EQ(nameField()->text(), "c");
  EXPECT_EQ(bookmarkMoves.size(), 2u);
  EXPECT_FALSE(calendar->history().paths().contains(day() + "/b.rtfd"));

  // A row renamed onto a taken name is refused with the same alert.
  table()->item(static_cast<int>(calendar->diaryFiles().indexOf("c.rtfd")), 1)->setText("taken");
  EXPECT_EQ(alerts, QStringList({"Can't rename the document !", "Can't rename the document !"}));
  EXPECT_EQ(textOf(day() + "/c.rtfd"), "new alpha");
  EXPECT_EQ(rows(), QStringList({"c", "taken"}));
  pravella::NotificationCenter::defaultCenter().removeObservers(nullptr, "renameBookMarkPathName");
}

TEST_F(DayDocuments, DeletingMovesExactlyTheChosenFileToTheTrash) {
  writeRtfd(day() + "/a.rtfd", "alpha");
  writeRtfd(day() + "/b.rtfd", "beta");
  writeFile(day() + "/b.tbld/table", "t");
  start();
  clickRow(static_cast<int>(calendar->diaryFiles().indexOf("a.rtfd")));
  type("unsaved ");
  // Another row chosen while the shown memo has unsaved edits.
  const int row = static_cast<int>(calendar->diaryFiles().indexOf("b.rtfd"));
  table()->selectRow(row);
  alertAnswer = 2;  // "Delete"
  table()->setFocus();
  QTest::keyClick(table(), Qt::Key_Delete);
  EXPECT_EQ(alerts, QStringList{"Delete : b.rtfd"});
  // The question names the tables that go along too.
  EXPECT_EQ(alertMessages, QStringList{"Do you want to delete this document, \"b\", with its tables \"b.tbld\"?"});
  const QString trash = paths::trash() + "/files";
  EXPECT_EQ(textOf(trash + "/b.rtfd"), "beta");
  EXPECT_TRUE(QFileInfo(trash + "/b.tbld").isDir());
  EXPECT_TRUE(QFileInfo(paths::trash() + "/info/b.rtfd.trashinfo").isFile());
  EXPECT_FALSE(QFileInfo::exists(day() + "/b.rtfd"));
  // The shown memo keeps its unsaved edits and its document.
  EXPECT_EQ(memo()->toPlainText(), "unsaved alpha");
  EXPECT_TRUE(window->isWindowModified());
  EXPECT_EQ(calendar->nowDisplayedDocument(), day() + "/a.rtfd");
  EXPECT_TRUE(QFileInfo::exists(day() + "/a.rtfd"));
  EXPECT_EQ(rows(), QStringList{"a"});

  // "Cancel" deletes nothing.
  alertAnswer = 0;
  table()->selectRow(0);
  calendar->deleteFileAction();
  EXPECT_TRUE(QFileInfo::exists(day() + "/a.rtfd"));

  // The shown document itself, when the Trash already holds one of its name.
  writeRtfd(trash + "/a.rtfd", "old trash");
  alertAnswer = 2;
  table()->selectRow(0);
  calendar->deleteFileAction();
  EXPECT_EQ(textOf(trash + "/a.001.rtfd"), "alpha");
  EXPECT_TRUE(calendar->nowDisplayedDocument().isEmpty());
  EXPECT_TRUE(memo()->toPlainText().isEmpty());
  EXPECT_FALSE(window->isWindowModified());
  EXPECT_TRUE(rows().isEmpty());
  EXPECT_FALSE(calendar->history().paths().contains(day() + "/a.rtfd"));
}

TEST_F(DayDocuments, HistoryBackAndForwardWithCursorMarks) {
  writeRtfd(day(1) + "/A.rtfd", "first document");
  writeRtfd(day(2) + "/B.rtfd", "second document");
  writeRtfd(day(3) + "/C.rtfd", "third document");
  start();
  for (int d : {1, 2, 3}) {
    QTest::mouseClick(window->dayCell(d + calendar->startOffset() - 1), Qt::LeftButton);
    ASSERT_EQ(calendar->nowDisplayedDocument(), day(d) + (d == 1   ? "/A.rtfd"
                                                          : d == 2 ? "/B.rtfd"
                                                                   : "/C.rtfd"));
  }
  EXPECT_EQ(calendar->history().size(), 3);
  EXPECT_TRUE(memoButton(2)->isEnabled());   // back
  EXPECT_FALSE(memoButton(3)->isEnabled());  // forward
  QTest::mouseClick(memoButton(2), Qt::LeftButton);
  EXPECT_EQ(calendar->nowDisplayedDocument(), day(2) + "/B.rtfd");
  QTextCursor left(memo()->document());
  left.setPosition(7);
  memo()->setTextCursor(left);
  QTest::mouseClick(memoButton(2), Qt::LeftButton);
  EXPECT_EQ(calendar->nowDisplayedDocument(), day(1) + "/A.rtfd");
  EXPECT_EQ(calendar->selectedDay(), QDate(2008, 2, 1));
  EXPECT_FALSE(memoButton(2)->isEnabled());
  QTest::mouseClick(memoButton(3), Qt::LeftButton);
  EXPECT_EQ(calendar->nowDisplayedDocument(), day(2) + "/B.rtfd");
  EXPECT_EQ(memo()->textCursor().position(), 7);

  // Jump marks inside the document come first.
  QTextCursor c(memo()->document());
  c.setPosition(3);
  memo()->setTextCursor(c);
  calendar->setDocJumpInDoc();
  c.setPosition(12);
  memo()->setTextCursor(c);
  calendar->beforeDocumentAction();
  EXPECT_EQ(memo()->textCursor().position(), 3);
  EXPECT_EQ(calendar->nowDisplayedDocument(), day(2) + "/B.rtfd");

  // Opening one again moves it to the end.
  QTest::mouseClick(window->dayCell(1 + calendar->startOffset() - 1), Qt::LeftButton);
  EXPECT_EQ(calendar->history().paths(),
            QStringList({day(2) + "/B.rtfd", day(3) + "/C.rtfd", day(1) + "/A.rtfd"}));
}

TEST_F(DayDocuments, RecentMemoMenus) {
  writeRtfd(day(1) + "/A.rtfd", "a");
  writeRtfd(day(2) + "/B.rtfd", "b");
  start();
  QTest::mouseClick(window->dayCell(1 + calendar->startOffset() - 1), Qt::LeftButton);
  QTest::mouseClick(window->dayCell(2 + calendar->startOffset() - 1), Qt::LeftButton);
  QStringList titles;
  for (QAction* a : calendar->recentMemoMenu()->actions())
    if (!a->isSeparator()) titles << a->text();
  EXPECT_EQ(titles, QStringList({"02/02/B", "02/01/A", "list_up all"}));
  EXPECT_EQ(calendar->recentMemoMenu2()->actions().size(), 4);

  QStringList posted;
  // Removed by its id: an observer without a context outlives the test otherwise.
  const pravella::ObserverId seen = pravella::NotificationCenter::defaultCenter().addObserver(
      "resultFromTextViewSearch", nullptr, [&](pravella::Notification& n) { posted = n.strings; },
      pravella::Delivery::PostingThread);
  calendar->recentMemoMenu()->actions().last()->trigger();
  EXPECT_EQ(posted, QStringList({"Recent Memo", day(2) + "/B.rtfd", day(1) + "/A.rtfd"}));
  pravella::NotificationCenter::defaultCenter().removeObserver(seen);

  calendar->recentMemoMenu()->actions().at(1)->trigger();  // 02/01/A
  EXPECT_EQ(calendar->nowDisplayedDocument(), day(1) + "/A.rtfd");
  EXPECT_EQ(calendar->selectedDay(), QDate(2008, 2, 1));

  // Rejected names leave the list at the next update.
  calendar->setRecentMemoRejectString("B");
  calendar->addDocumentToRireki(day(1) + "/A.rtfd");
  EXPECT_EQ(calendar->recentMemo(), QStringList{day(1) + "/A.rtfd"});
}

TEST_F(DayDocuments, TableColoursAndDrag) {
  writeRtfd(day() + "/a.rtfd", "a");
  writeRtfd(day() + "/b.rtfd", "b");
  start();
  pravella::NotificationCenter::defaultCenter().post("cal_changeFileTableForeColor", "2");
  EXPECT_EQ(table()->item(0, 1)->background().color(), QColor::fromRgbF(0.93f, 0.93f, 0.93f));
  EXPECT_EQ(table()->item(1, 1)->background().color(), QColor(Qt::white));
  calendar->toggleTableFontForeColor();
  EXPECT_EQ(calendar->tableFontColorMode(), 3);
  EXPECT_EQ(table()->item(0, 1)->foreground().color(), QColor::fromRgbF(0.5f, 0.1f, 0.2f));

  std::unique_ptr<QMimeData> drag(calendar->dragDataForRow(0));
  ASSERT_TRUE(drag);
  const QString name = calendar->diaryFiles()[0];
  EXPECT_EQ(drag->text(), " [" + pravella::documentDisplayName(name) + "] ");
  EXPECT_EQ(QString::fromUtf8(drag->data("MyCustomBookMarkFromDiaryPboardType")), day() + "/" + name);
}

// "maxRecentMemo" from a program: the calendar keeps at most that many and leaves out names
// that begin with a reject character.
TEST_F(DayDocuments, AProgramSetsTheRecentMemoLimitAndRejectCharacters) {
  writeRtfd(day(1) + "/_A.rtfd", "a");
  writeRtfd(day(2) + "/B.rtfd", "b");
  writeRtfd(day(3) + "/C.rtfd", "c");
  start();
  ASSERT_EQ(vkStartUp(), 1);
  ASSERT_EQ(pravella::runVkProgram("maxRecentMemo(1, \"_\");").output(), ".OK.\n");
  for (int d : {3, 2, 1}) QTest::mouseClick(window->dayCell(d + calendar->startOffset() - 1), Qt::LeftButton);
  EXPECT_EQ(calendar->nowDisplayedDocument(), day(1) + "/_A.rtfd");
  EXPECT_EQ(calendar->recentMemo(), QStringList{day(2) + "/B.rtfd"});
  ASSERT_EQ(pravella::runVkProgram("maxRecentMemo(20, \"\");").output(), ".OK.\n");
}

}  // namespace

namespace day_documents_test {
namespace {

// New memos start from the shipped template, which the start-up copies into the user's
// Preferences: a monospaced face (columns of a matrix line up) at a readable size.
TEST_F(DayDocuments, NewMemosTypeInTheTemplatesMonospacedFont) {
  start();
  const QString copied = paths::preferences() + "/template.rtf";
  ASSERT_TRUE(QFileInfo(copied).isFile());
  calendar->newDocument();
  type("|1| |22|");
  QTextCursor at(memo()->document());
  at.setPosition(2);
  const QFont font = at.charFormat().font();
  EXPECT_GE(font.pointSizeF(), 12.0);
  EXPECT_TRUE(QFontInfo(font).fixedPitch()) << s(QFontInfo(font).family());
  // The user's own copy is the one read.
  writeFile(copied, "{\\rtf1\\ansi{\\fonttbl\\f0\\fmodern Courier;}\\f0\\fs36 }");
  calendar->newDocument();
  type("y");
  at = QTextCursor(memo()->document());
  at.setPosition(1);
  EXPECT_EQ(at.charFormat().font().pointSizeF(), 18.0);
}

}  // namespace
}  // namespace day_documents_test

namespace day_documents_test {
namespace {

// New "Alpha", save, new "Beta", save, another day, new "Gamma", save: Back goes one document
// at a time, also when a second Back comes while the first is still opening its document (as
// from an event loop under load): the second waits for the first.
TEST_F(DayDocuments, BackGoesOneDocumentAtATimeInTheOrderAsked) {
  start();
  const auto newMemo = [&](const char* text) {
    QTest::mouseClick(memoButton(0), Qt::LeftButton);  // "New"
    type(text);
    QTest::mouseClick(memoButton(1), Qt::LeftButton);  // "Save"
  };
  newMemo("Alpha");
  newMemo("Beta");
  QTest::mouseClick(window->dayCell(27 + calendar->startOffset() - 1), Qt::LeftButton);
  newMemo("Gamma");
  const QString alpha = day() + "/Alpha.rtfd", beta = day() + "/Beta.rtfd", gamma = day(27) + "/Gamma.rtfd";
  ASSERT_EQ(calendar->history().paths(), QStringList({alpha, beta, gamma}));
  ASSERT_EQ(s(calendar->nowDisplayedDocument()), s(gamma));

  QTest::mouseClick(memoButton(2), Qt::LeftButton);  // "Back"
  EXPECT_EQ(s(calendar->nowDisplayedDocument()), s(beta));
  EXPECT_TRUE(memoButton(2)->isEnabled());
  EXPECT_TRUE(memoButton(3)->isEnabled());
  QTest::mouseClick(memoButton(2), Qt::LeftButton);
  EXPECT_EQ(s(calendar->nowDisplayedDocument()), s(alpha));
  EXPECT_FALSE(memoButton(2)->isEnabled());
  QTest::mouseClick(memoButton(3), Qt::LeftButton);  // "Next"
  EXPECT_EQ(s(calendar->nowDisplayedDocument()), s(beta));
  QTest::mouseClick(memoButton(3), Qt::LeftButton);
  EXPECT_EQ(s(calendar->nowDisplayedDocument()), s(gamma));
  EXPECT_EQ(calendar->history().now(), 3);

  // A second Back arriving while the first opens Beta: one step after the other.
  auto& center = pravella::NotificationCenter::defaultCenter();
  int posted = 0;
  const pravella::ObserverId id = center.addObserver(
      "dispSunAndMoonRiseSet", nullptr,
      [&](pravella::Notification&) {
        if (posted++ == 0) center.post("cal_beforeMemo");
      },
      pravella::Delivery::PostingThread);
  QTest::mouseClick(memoButton(2), Qt::LeftButton);
  center.removeObserver(id);
  EXPECT_EQ(s(calendar->nowDisplayedDocument()), s(alpha));
  EXPECT_EQ(calendar->history().now(), 1);
  EXPECT_FALSE(memoButton(2)->isEnabled());
  EXPECT_TRUE(memoButton(3)->isEnabled());
  QTest::mouseClick(memoButton(3), Qt::LeftButton);
  EXPECT_EQ(s(calendar->nowDisplayedDocument()), s(beta));
  EXPECT_EQ(calendar->history().now(), 2);
}

}  // namespace
}  // namespace day_documents_test

// The manual browser: categories and filters, type-ahead, the memo's function look-ups, the
// per-category history, edits written back in the document's own format, date stamps.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>

#include "diary/diary_globals.h"
#include "editors/text_services.h"
#include "platform/notification_center.h"
#include "platform/rich_text_file.h"
#include "tools/dictionaries/ui/cal_manual.h"

using namespace pravella;

namespace {

void writeDoc(const QString& path, const QString& text) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QTextDocument doc;
  doc.setPlainText(text);
  ASSERT_TRUE(manual::saveDocument(path, doc).ok);
}

QString docText(const QString& path) { return plainTextOfRichTextFile(path).trimmed(); }

struct Fixture {
  int toggle = 0;
  QStringList sounds;
  QStringList opened;
  std::unique_ptr<CalManual> tool;

  Fixture() {
    SheetCanOpen = 1;
    CalManual::Host host;
    host.closeAllToggleView = [] {};
    host.setToggleStatus = [this](int n) { return std::exchange(toggle, n); };
    host.toggleStatus = [this] { return toggle; };
    host.playSound = [this](const char* s) { sounds << s; };
    host.open = [this](const QString& p) {
      opened << p;
      return true;
    };
    tool = std::make_unique<CalManual>(host);
    tool->awakeFromNib();
  }
  QString shown() const { return QFileInfo(tool->nowDisplayedDocPath()).fileName(); }
  void post(const char* name, const QString& text = {}) {
    NotificationCenter::defaultCenter().post(QString::fromLatin1(name), text);
  }
};

void writeFunctions() {
  const QString f = manual::categoryFolder(2);
  writeDoc(f + "/cos.rtf", "Cosine of an angle");
  writeDoc(f + "/sign.rtf", "The sign of a number");
  writeDoc(f + "/sin.rtfd", "Sine of an angle");
  writeDoc(f + "/sinh.rtf", "hyperbolic");
  writeDoc(manual::categoryFolder(5) + "/cal_open.rtf", "opens");
  writeDoc(manual::categoryFolder(5) + "/cal_plot.rtf", "plots a graph");
}

}  // namespace

TEST(CalManual, OpensAsSideView17AndListsTheCategory) {
  writeFunctions();
  Fixture f;
  f.post("cal_toggleManualSheet");
  EXPECT_EQ(f.toggle, CalManual::kToggleNumber);
  EXPECT_TRUE(f.tool->manualList().isEmpty());  // category 0 has no folder
  EXPECT_TRUE(f.tool->manualDocField()->toPlainText().contains("Documents/diary/Manual"));
  EXPECT_EQ(f.tool->nowDisplayedDocPath(), "");
  EXPECT_EQ(f.sounds.last(), "Basso");

  f.tool->selectCategory(2);
  f.tool->selectCategoryAction();
  EXPECT_EQ(f.tool->manualList(), QStringList({"cos.rtf", "sign.rtf", "sin.rtfd", "sinh.rtf"}));
  EXPECT_EQ(f.tool->manualFileListField()->item(2, 0)->text(), "sin");
  EXPECT_EQ(f.shown(), "cos.rtf");

  f.post("cal_setFindStringForManualSheet", "ANGLE");  // capitals find small letters
  EXPECT_EQ(f.tool->manualList(), QStringList({"cos.rtf", "sin.rtfd"}));
  f.post("cal_setFindStringForManualSheet", "");
  EXPECT_EQ(f.tool->manualList().size(), 4);
}

TEST(CalManual, TypingFindsATitleAndAPauseStartsAnew) {
  writeFunctions();
  Fixture f;
  f.post("cal_toggleManualSheet");
  f.tool->selectCategory(2);
  f.tool->selectCategoryAction();
  qint64 now = 5000;
  f.tool->manualFileListField()->setClock([&now] { return now; });
  const struct {
    char key;
    qint64 after;
    const char* shown;
  } keys[] = {{'s', 0, "sign.rtf"}, {'i', 900, "sign.rtf"}, {'n', 900, "sin.rtfd"}, {'h', 900, "sinh.rtf"},
              {'c', 1500, "cos.rtf"}, {'z', 100, "cos.rtf"}};
  for (const auto& k : keys) {
    now += k.after;
    QTest::keyClick(f.tool->manualFileListField(), k.key);
    EXPECT_EQ(f.shown(), k.shown) << k.key;
  }
  // Type-ahead shows without recording: only the category's first document is in the history.
  EXPECT_EQ(f.tool->rireki(2).entries().size(), 1);
}

TEST(CalManual, FunctionLookUpsFromTheMemo) {
  writeFunctions();
  Fixture f;
  const struct {
    const char* name;
    int category;
    const char* shown;
  } cases[] = {{"cal_plot", 5, "cal_plot.rtf"}, {"sinh", 2, "sinh.rtf"}, {"cal_open", 5, "cal_open.rtf"},
               {"SIN", 2, "sin.rtfd"}};
  for (const auto& c : cases) {
    f.post("optionSearchManual", QString::fromLatin1(c.name));
    EXPECT_FALSE(f.tool->manualDrawer()->isHidden());
    EXPECT_EQ(f.tool->category(), c.category) << c.name;
    EXPECT_EQ(f.shown(), c.shown) << c.name;
  }
}

TEST(CalManual, HistoryPerCategory) {
  writeFunctions();
  Fixture f;
  f.post("cal_toggleManualSheet");
  f.tool->selectCategory(2);
  f.tool->selectCategoryAction();  // cos
  for (const int row : {1, 3}) {
    f.tool->manualFileListField()->setCurrentCell(row, 0);
    f.tool->selectManualAction();
  }
  const QString folder = manual::categoryFolder(2);
  EXPECT_EQ(f.tool->rireki(2).entries(), QStringList({folder + "/cos.rtf", folder + "/sign.rtf", folder + "/sinh.rtf"}));
  f.tool->beforeAction();
  EXPECT_EQ(f.shown(), "sign.rtf");
  EXPECT_EQ(f.tool->rireki(2).entries().size(), 3);  // the current entry is not reordered
  EXPECT_TRUE(f.tool->nextButton()->isEnabled());
  f.tool->beforeAction();
  f.tool->beforeAction();
  EXPECT_EQ(f.shown(), "cos.rtf");
  EXPECT_FALSE(f.tool->beforeButton()->isEnabled());

  // Another category keeps its own history; coming back shows the current entry.
  f.tool->selectCategory(5);
  f.tool->selectCategoryAction();
  EXPECT_EQ(f.tool->rireki(5).entries().size(), 1);
  f.tool->selectCategory(2);
  f.tool->selectCategoryAction();
  EXPECT_EQ(f.shown(), "cos.rtf");

  // Showing an older document moves it to the end.
  f.tool->manualFileListField()->setCurrentCell(3, 0);
  f.tool->selectManualAction();
  EXPECT_EQ(f.tool->rireki(2).entries().last(), folder + "/sinh.rtf");
  EXPECT_EQ(f.tool->rireki(2).entries().size(), 3);
}

TEST(CalManual, EditsAreWrittenBackInTheDocumentsOwnFormat) {
  writeFunctions();
  Fixture f;
  f.post("optionSearchManual", "cos");
  f.post("cal_editStateOfManualSheet", "1");
  EXPECT_FALSE(f.tool->manualDocField()->isReadOnly());
  EXPECT_EQ(f.tool->manualDocField()->palette().color(QPalette::Base), QColor::fromRgbF(1.0f, 1.0f, 0.95f));
  f.tool->manualDocField()->setPlainText("Cosine, edited");
  EXPECT_TRUE(f.tool->dirty());
  f.post("manualListDown");  // another document: the edited one is written first
  EXPECT_EQ(f.shown(), "sign.rtf");
  const QString cos = manual::categoryFolder(2) + "/cos.rtf";
  EXPECT_TRUE(QFileInfo(cos).isFile());  // still one RTF file, not a package
  EXPECT_EQ(docText(cos), "Cosine, edited");
  EXPECT_TRUE(f.tool->manualDocField()->isReadOnly());

  f.post("searchManual", "sin");
  f.post("cal_editStateOfManualSheet", "yes");
  f.tool->manualDocField()->setPlainText("Sine, edited");
  f.post("cal_editStateOfManualSheet", "0");  // turning editing off writes too
  EXPECT_EQ(docText(manual::categoryFolder(2) + "/sin.rtfd"), "Sine, edited");
  EXPECT_EQ(f.tool->manualDocField()->palette().color(QPalette::Base), QColor(Qt::white));
}

TEST(CalManual, FailedWriteKeepsTheEdit) {
  writeFunctions();
  Fixture f;
  f.post("optionSearchManual", "sinh");
  f.post("cal_editStateOfManualSheet", "1");
  const QString sinh = manual::categoryFolder(2) + "/sinh.rtf";
  // A folder in the document's place makes the write fail.
  QFile::remove(sinh);
  QDir().mkpath(sinh + "/blocked");
  f.tool->manualDocField()->setPlainText("unsaved work");
  f.sounds.clear();
  f.post("manualListUp");
  EXPECT_TRUE(f.sounds.contains("Basso"));
  EXPECT_TRUE(f.tool->dirty());
  EXPECT_EQ(f.shown(), "sinh.rtf");
  EXPECT_EQ(f.tool->manualDocField()->toPlainText(), "unsaved work");
}

TEST(CalManual, OpenElsewhereAndDateStamp) {
  writeFunctions();
  Fixture f;
  f.post("optionSearchManual", "cos");
  QTest::keyClick(f.tool->manualFileListField(), Qt::Key_Return);
  EXPECT_EQ(f.opened, QStringList({manual::categoryFolder(2) + "/cos.rtf"}));

  f.tool->manualDocField()->setPlainText("0123456789abcdefghij");
  QTextCursor c(f.tool->manualDocField()->document());
  c.setPosition(10);
  f.tool->manualDocField()->setTextCursor(c);
  f.tool->pasteDateTimeAction();
  const QColor date = QColor::fromRgbF(dateFontColor[0], dateFontColor[1], dateFontColor[2]);
  const QTextBlock block = f.tool->manualDocField()->document()->firstBlock();
  auto colourAt = [&](int pos) {
    QTextCursor at(f.tool->manualDocField()->document());
    at.setPosition(pos + 1);
    return at.charFormat().foreground().color();
  };
  for (int pos = 12; pos <= 30; ++pos) EXPECT_EQ(colourAt(pos), date) << pos;
  EXPECT_NE(colourAt(11), date);
  EXPECT_NE(colourAt(31), date);
  EXPECT_EQ(block.text().mid(10, 2), " [");
}

#include "diary/ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "diary/ui/cal_matrix.h"
#include "diary/ui/side_view_room.h"
#include "diary/ui/sun_moon_panel.h"
#include "editors/ui/main_text_view.h"
#include "platform/ui/button_focus.h"
#include "platform/ui/flow_layout.h"
#include "platform/ui/status_line.h"
#include "platform/ui/window_placement.h"

namespace pravella {
namespace {

QPushButton* stepButton(const QString& text, const QString& name, const QString& tip, QWidget* parent) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(name);
  b->setToolTip(tip);
  b->setAutoDefault(false);
  b->setFocusPolicy(Qt::NoFocus);
  return b;
}

// The calendar column: never narrower than its layout's natural width, so that its fixed
// fields (the sun and moon panel, the grid) keep the room their texts need. The user may
// still widen it by the splitter.
class CalendarColumn : public QWidget {
 public:
  using QWidget::QWidget;
  QSize minimumSizeHint() const override { return {sizeHint().width(), QWidget::minimumSizeHint().height()}; }
};

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("calendarWindow"));
  setWindowTitle(QStringLiteral("Pravella"));

  auto* splitter = new QSplitter(Qt::Horizontal, this);
  splitter->setObjectName(QStringLiteral("mainSplitter"));
  splitter->addWidget(buildCalendarColumn());
  splitter->addWidget(buildMemoColumn());
  splitter->setStretchFactor(0, 0);
  splitter->setStretchFactor(1, 1);
  // Neither column is dragged away: the calendar's fields need their width, the memo its.
  splitter->setChildrenCollapsible(false);
  setCentralWidget(splitter);
  // A window that finds no free side of this one may cover the memo's text, never the menu bar
  // or the controls.
  markLeastUsedPart(this, documentView_);
  sideViews_ = new SideViewRoom(this, documentView_);
  // A long message is cut where it says least (the middle of a quoted path), with "…".
  setStatusBar(new pravella::StatusLine(this));
  // The memo's bar, where long work of its runs shows.
  QProgressBar* bar = documentView_->progressBar();
  bar->setMaximumWidth(160);
  statusBar()->addPermanentWidget(bar);
  bar->show();

  buildMenus();
  resize(1100, 800);
  // A clicked button leaves the keyboard focus where it was, in the memo.
  clickedButtonsTakeNoFocus(this);
}

QWidget* MainWindow::buildCalendarColumn() {
  auto* column = new CalendarColumn(this);
  column->setObjectName(QStringLiteral("calendarColumn"));
  auto* layout = new QVBoxLayout(column);

  yearMonthField_ = new QLabel(column);
  yearMonthField_->setObjectName(QStringLiteral("YearManthField"));
  yearMonthField_->setAlignment(Qt::AlignCenter);
  QFont titleFont = yearMonthField_->font();
  titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
  titleFont.setBold(true);
  yearMonthField_->setFont(titleFont);
  layout->addWidget(yearMonthField_);

  auto* steps = new QHBoxLayout;
  lastYearButton_ =
      stepButton(QStringLiteral("<<"), QStringLiteral("lastYearButton"), tr("Previous year"), column);
  decMonthButton_ =
      stepButton(QStringLiteral("<"), QStringLiteral("decMonthButton"), tr("Previous month"), column);
  todayButton_ = stepButton(tr("Today"), QStringLiteral("todayButton"), tr("Go to today"), column);
  incMonthButton_ =
      stepButton(QStringLiteral(">"), QStringLiteral("incMonthButton"), tr("Next month"), column);
  nextYearButton_ =
      stepButton(QStringLiteral(">>"), QStringLiteral("nextYearButton"), tr("Next year"), column);
  for (QPushButton* b : {lastYearButton_, decMonthButton_, todayButton_, incMonthButton_, nextYearButton_})
    steps->addWidget(b);
  layout->addLayout(steps);

  calMatrix_ = new CalMatrix(column);
  auto* grid = new QGridLayout(calMatrix_);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(1);
  const QStringList weekdays = {tr("Sun"), tr("Mon"), tr("Tue"), tr("Wed"), tr("Thu"), tr("Fri"), tr("Sat")};
  for (int c = 0; c < 7; ++c) {
    auto* head = new QLabel(weekdays[c], calMatrix_);
    head->setAlignment(Qt::AlignCenter);
    grid->addWidget(head, 0, c);
  }
  dayCellGroup_ = new QButtonGroup(this);
  dayCellGroup_->setObjectName(QStringLiteral("dayFieldButtons"));
  dayCellGroup_->setExclusive(true);
  for (int i = 0; i < kDayCells; ++i) {
    auto* cell = new QToolButton(calMatrix_);
    cell->setObjectName(QStringLiteral("dayCell%1").arg(i));
    cell->setCheckable(true);
    cell->setAutoRaise(true);
    cell->setFixedSize(40, 34);
    cell->setFocusPolicy(Qt::NoFocus);
    dayCellGroup_->addButton(cell, i);
    dayCells_[i] = cell;
    grid->addWidget(cell, 1 + i / 7, i % 7);
  }
  layout->addWidget(calMatrix_);

  // The moon of the selected day with the day's rise and set times and the moon's age beside
  // it: one row, so that the column still fits a window 500 pixels high.
  auto* moon = new QHBoxLayout;
  moon->setSpacing(4);
  moonImageView_ = new QLabel(column);
  moonImageView_->setObjectName(QStringLiteral("moonImageView"));
  moonImageView_->setAlignment(Qt::AlignCenter);
  moonImageView_->setMinimumSize(32, 32);
  moon->addWidget(moonImageView_);
  sunMoonPanel_ = new SunMoonPanel(column);
  moon->addWidget(sunMoonPanel_, 1);
  layout->addLayout(moon);

  diaryFileField_ = new getKeyOnTable(column);
  diaryFileField_->setColumnCount(1);
  diaryFileField_->setObjectName(QStringLiteral("diaryFileField"));
  diaryFileField_->setAcceptDrops(true);  // files dropped here are linked into the day
  diaryFileField_->setHorizontalHeaderLabels({tr("Documents")});
  diaryFileField_->horizontalHeader()->setStretchLastSection(true);
  diaryFileField_->verticalHeader()->hide();
  diaryFileField_->setSelectionBehavior(QAbstractItemView::SelectRows);
  diaryFileField_->setSelectionMode(QAbstractItemView::SingleSelection);
  diaryFileField_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // A palette, not a style sheet: a style sheet puts the table and its children under a style
  // of its own, slower to make and to paint, and the list is made before the first frame.
  QPalette listColors = diaryFileField_->palette();
  listColors.setColor(QPalette::Base, QColor(250, 255, 255));
  diaryFileField_->setPalette(listColors);
  layout->addWidget(diaryFileField_, 1);

  editingDiaryFileName_ = new QLineEdit(column);
  editingDiaryFileName_->setObjectName(QStringLiteral("editingDiaryFileName"));
  editingDiaryFileName_->setPlaceholderText(tr("Document name"));
  // Beside the name, so that the column still fits a window 500 pixels high.
  symbLinkHeaderField_ = new QLineEdit(column);
  symbLinkHeaderField_->setObjectName(QStringLiteral("symbLinkHeaderField"));
  symbLinkHeaderField_->setPlaceholderText(tr("Link prefix"));
  symbLinkHeaderField_->setToolTip(tr("Put in front of the names of symbolic links made into a day"));
  auto* names = new QHBoxLayout;
  names->addWidget(editingDiaryFileName_, 3);
  names->addWidget(symbLinkHeaderField_, 1);
  layout->addLayout(names);
  // Room the list leaves when a layout hides it goes below the rows, not between them.
  layout->addStretch(0);

  return column;
}

QWidget* MainWindow::buildMemoColumn() {
  auto* column = new QWidget(this);
  column->setObjectName(QStringLiteral("memoColumn"));
  auto* layout = new QVBoxLayout(column);

  // The memo menu buttons are addressed by tag (their id in the group); controllers give them
  // their titles and functions.
  // The row is one widget, so that the layouts show and hide it whole while each button keeps
  // its own visibility (the spare ones stay hidden). Where the memo's column is narrower than
  // the row, the row wraps onto more lines: every title stays whole and the window's minimum
  // width is the widest button's, not the whole row's.
  buttonMenu_ = new QWidget(column);
  buttonMenu_->setObjectName(QStringLiteral("buttonMenu"));
  auto* buttons = new FlowLayout(buttonMenu_, 2);
  buttons->setContentsMargins(0, 0, 0, 0);
  memoMenuGroup_ = new QButtonGroup(this);
  memoMenuGroup_->setObjectName(QStringLiteral("memoMenuButtons"));
  memoMenuGroup_->setExclusive(false);
  for (int tag = 0; tag < kMemoMenuButtons; ++tag) {
    auto* b = new QToolButton(buttonMenu_);
    b->setObjectName(QStringLiteral("memoMenuButton%1").arg(tag));
    b->setFocusPolicy(Qt::NoFocus);
    b->setVisible(false);  // shown once a controller gives it a title
    memoMenuGroup_->addButton(b, tag);
    buttons->addWidget(b);
  }
  layout->addWidget(buttonMenu_);

  documentView_ = new mainTextView(column);
  layout->addWidget(documentView_, 1);
  return column;
}

void MainWindow::addSideView(QDockWidget* view) { sideViews_->add(view); }

void MainWindow::buildMenus() {
  QMenu* file = menuBar()->addMenu(tr("&File"));
  file->setObjectName(QStringLiteral("fileMenu"));
  importOldDiaryAction_ = file->addAction(tr("Import Old Diary..."));
  importOldDiaryAction_->setObjectName(QStringLiteral("importOldDiaryAction"));
  file->addSeparator();
  quitAction_ = file->addAction(tr("&Quit Pravella"));
  quitAction_->setObjectName(QStringLiteral("quitAction"));
  // Platform themes of the Windows keyboard scheme (the offscreen one among them) bind nothing
  // to Quit: Ctrl+Q is the key then.
  const QList<QKeySequence> quitKeys = QKeySequence::keyBindings(QKeySequence::Quit);
  quitAction_->setShortcuts(quitKeys.isEmpty() ? QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Q)}
                                               : quitKeys);
  quitAction_->setMenuRole(QAction::QuitRole);
  connect(quitAction_, &QAction::triggered, this, &QWidget::close);

  editMenu_ = menuBar()->addMenu(tr("&Edit"));
  editMenu_->setObjectName(QStringLiteral("editMenu"));

  QMenu* view = menuBar()->addMenu(tr("&View"));
  view->setObjectName(QStringLiteral("viewMenu"));
  // Cycles the calendar through no moons, moon pictures, and moon pictures with the days.
  moonAgeAction_ = view->addAction(tr("&Moon Age"));
  moonAgeAction_->setObjectName(QStringLiteral("moonAgeAction"));
}

}  // namespace pravella

#include "diary/ui/month_diary_drawer.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTableWidget>
#include <QTextEdit>
#include <QVBoxLayout>
#include <utility>

#include "diary/ui/get_key_on_month_table.h"
#include "editors/ui/memo_text_view.h"
#include "platform/ui/elided_label.h"

namespace pravella {

namespace {

template <typename T>
T* named(T* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

}  // namespace

MonthDiaryDrawer::MonthDiaryDrawer(QWidget* parent) : QDockWidget(tr("Month Diary"), parent) {
  setObjectName(QStringLiteral("monthDiaryView"));
  auto* body = new QWidget(this);
  auto* layout = new QVBoxLayout(body);

  auto* searchRow = new QHBoxLayout;
  searchTextField_ = named(new QComboBox(body), "searchTextField");
  searchTextField_->setEditable(true);
  // The history is the controller's list, newest first; typing never adds to it by itself.
  searchTextField_->setInsertPolicy(QComboBox::NoInsert);
  searchTextField_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  searchButton_ = named(new QPushButton(tr("Search"), body), "searchButton");
  searchButton_->setAutoDefault(false);
  searchRow->addWidget(searchTextField_, 1);
  searchRow->addWidget(searchButton_);
  layout->addLayout(searchRow);

  // The scope buttons are set one by one by the controller, so they are not exclusive.
  auto* scopeRow = new QHBoxLayout;
  oneMonthButton_ = named(new QRadioButton(tr("Month"), body), "oneMonthButton");
  twoMonthButton_ = named(new QRadioButton(tr("2 Months"), body), "twoMonthButton");
  allMemoButton_ = named(new QRadioButton(tr("All"), body), "allMemoButton");
  for (QRadioButton* b : {oneMonthButton_, twoMonthButton_, allMemoButton_}) {
    b->setAutoExclusive(false);
    scopeRow->addWidget(b);
  }
  scopeRow->addStretch(1);
  manualSWbutton_ = named(new QCheckBox(tr("Manual"), body), "manualSWbutton");
  searchFileNamebutton_ = named(new QCheckBox(tr("Name"), body), "searchFileNamebutton");
  scopeRow->addWidget(manualSWbutton_);
  scopeRow->addWidget(searchFileNamebutton_);
  layout->addLayout(scopeRow);

  auto* cells = new QGridLayout;
  cells->setSpacing(2);
  categories_ = new QButtonGroup(this);
  categories_->setObjectName(QStringLiteral("searchCategoryButton"));
  for (int tag = 0; tag < kCategoryCells; ++tag) {
    auto* b = new QPushButton(body);
    b->setObjectName(QStringLiteral("searchCategoryButton%1").arg(tag));
    b->setAutoDefault(false);
    b->setFocusPolicy(Qt::NoFocus);
    b->setMinimumWidth(1);
    categories_->addButton(b, tag);
    cells->addWidget(b, tag / 7, tag % 7);
  }
  layout->addLayout(cells);

  subTextSplit_ = named(new QSplitter(Qt::Vertical, body), "subTextSplit");
  monthDiaryField_ = named(new getKeyOnMonthTable(subTextSplit_), "monthDiaryField");
  monthDiaryField_->setColumnCount(2);
  monthDiaryField_->setHorizontalHeaderLabels({tr("Day"), tr("Document")});
  monthDiaryField_->horizontalHeaderItem(0)->setData(Qt::UserRole, QStringLiteral("day"));
  monthDiaryField_->horizontalHeaderItem(1)->setData(Qt::UserRole, QStringLiteral("diaryFiles"));
  monthDiaryField_->horizontalHeader()->setSectionsClickable(true);
  monthDiaryField_->horizontalHeader()->setStretchLastSection(true);
  monthDiaryField_->verticalHeader()->hide();
  monthDiaryField_->setSelectionBehavior(QAbstractItemView::SelectRows);
  monthDiaryField_->setSelectionMode(QAbstractItemView::SingleSelection);
  monthDiaryField_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  subTextView_ = named(new subMemoTextView(subTextSplit_), "subTextView");
  subTextView_->setAcceptRichText(true);
  subTextSplit_->addWidget(monthDiaryField_);
  subTextSplit_->addWidget(subTextView_);
  subTextSplit_->setChildrenCollapsible(true);
  layout->addWidget(subTextSplit_, 1);

  auto* memoRow = new QHBoxLayout;
  subViewSW_ = named(new QCheckBox(tr("Memo"), body), "subViewSW");
  kensakuHyoujiCheckButton_ = named(new QCheckBox(tr("Marks"), body), "kensakuHyoujiCheckButton");
  kensakuHyoujiCheckButton_->setChecked(true);
  durtyButton_ = named(new QCheckBox(tr("Changed"), body), "durtyButton");
  memoRow->addWidget(subViewSW_);
  memoRow->addWidget(kensakuHyoujiCheckButton_);
  memoRow->addWidget(durtyButton_);
  memoRow->addStretch(1);
  layout->addLayout(memoRow);
  auto* commandRow = new QHBoxLayout;
  const std::pair<const char*, QString> commands[] = {
      {"makeSearchDocument", tr("List")},      {"saveDocAction", tr("Save")},
      {"searchInternetAction", tr("Web")},     {"searchDicAction", tr("Dictionary")},
      {"toPalmBelowAction", tr("Handheld")},   {"pasteFromSelectedDocumentAction", tr("From Memo")},
      {"searchAllMemoDataBaseActionOnMonthSheet", tr("Memos")}};
  for (const auto& [name, title] : commands) {
    auto* b = named(new QPushButton(title, body), name);
    b->setAutoDefault(false);
    b->setFocusPolicy(Qt::NoFocus);  // the row memo view keeps its selection and focus
    commandRow->addWidget(b);
  }
  layout->addLayout(commandRow);
  progressBar_ = named(new QProgressBar(body), "progressBar");
  progressBar_->setTextVisible(false);
  progressBar_->setRange(0, 1);
  progressBar_->setValue(0);
  layout->addWidget(progressBar_);

  auto* statusRow = new QHBoxLayout;
  numOfFilesField_ = named(new QLabel(QStringLiteral("0"), body), "numOfFilesField");
  spinningIndicator_ = named(new QProgressBar(body), "SpinningIndicator");
  spinningIndicator_->setRange(0, 0);  // indeterminate
  spinningIndicator_->setMaximumWidth(60);
  spinningIndicator_->setTextVisible(false);
  spinningIndicator_->hide();
  searchProcessIndicator_ = named(new QProgressBar(body), "searchProcessIndicator");
  searchProcessIndicator_->setTextVisible(false);
  searchProcessIndicator_->setRange(0, 1);
  searchProcessIndicator_->setValue(0);
  statusRow->addWidget(numOfFilesField_);
  statusRow->addWidget(spinningIndicator_);
  statusRow->addWidget(searchProcessIndicator_, 1);
  layout->addLayout(statusRow);
  nowSearchFileNameField_ = named(new pravella::ElidedLabel(body), "nowSearchFileNameField");
  layout->addWidget(nowSearchFileNameField_);

  setWidget(body);
}

QPushButton* MonthDiaryDrawer::commandButton(const char* name) const {
  return findChild<QPushButton*>(QString::fromLatin1(name));
}

}  // namespace pravella

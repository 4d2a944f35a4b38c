#include "tools/dictionaries/ui/cal_dictionary.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

#include "diary/diary_globals.h"
#include "diary/word_separation.h"
#include "platform/notification_center.h"
#include "platform/text_encoding.h"
#include "platform/ui/selected_text.h"

using pravella::NotificationCenter;
namespace textdic = pravella::textdic;

namespace {


}  // namespace

void dicTableView::keyPressEvent(QKeyEvent* event) {
  auto& center = NotificationCenter::defaultCenter();
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      center.post(QStringLiteral("selectItemActionOnDictionary"));
      return;
    case Qt::Key_Up:
      center.post(QStringLiteral("dicFindListTableUp"));
      return;
    case Qt::Key_Down:
      center.post(QStringLiteral("dicFindListTableDown"));
      return;
    default:
      QTableWidget::keyPressEvent(event);
  }
}

CalDictionary::CalDictionary(Host host, QObject* parent) : QObject(parent), host_(std::move(host)) {
  drawer_ = new QDockWidget(QStringLiteral("Dictionary"));
  drawer_->setObjectName(QStringLiteral("DicDrawer"));
  auto* body = new QWidget;
  auto* layout = new QVBoxLayout(body);

  auto* searchRow = new QHBoxLayout;
  wordField_ = new QComboBox;
  wordField_->setEditable(true);
  wordField_->setInsertPolicy(QComboBox::NoInsert);
  wordField_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  hitCount_ = new QLabel;
  useInternet_ = new QCheckBox(QStringLiteral("use internet"));
  searchRow->addWidget(wordField_);
  searchRow->addWidget(hitCount_);
  searchRow->addWidget(useInternet_);
  layout->addLayout(searchRow);

  progress_ = new QProgressBar;
  progress_->setRange(0, 1);
  progress_->setValue(0);
  progress_->setTextVisible(false);
  layout->addWidget(progress_);

  table_ = new dicTableView(0, 3);
  table_->setHorizontalHeaderLabels({QStringLiteral("group"), QStringLiteral("dictionary"), QStringLiteral("Word")});
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setStretchLastSection(true);
  layout->addWidget(table_, 1);

  auto* locationRow = new QHBoxLayout;
  prev_ = new QPushButton(QStringLiteral("<"));
  next_ = new QPushButton(QStringLiteral(">"));
  location_ = new QLineEdit;
  location_->setReadOnly(true);
  locationRow->addWidget(prev_);
  locationRow->addWidget(next_);
  locationRow->addWidget(location_, 1);
  layout->addLayout(locationRow);

  honbun_ = new QTextEdit;
  honbun_->setReadOnly(true);
  layout->addWidget(honbun_, 1);

  // Hand-offs: the body's selection searched again here or on the web; the memo's selection
  // in the memo database.
  auto* handOffs = new QHBoxLayout;
  auto* again = new QPushButton(QStringLiteral("Search Selection"));
  auto* web = new QPushButton(QStringLiteral("Web"));
  auto* memos = new QPushButton(QStringLiteral("Memos"));
  handOffs->addWidget(again);
  handOffs->addWidget(web);
  handOffs->addWidget(memos);
  layout->addLayout(handOffs);
  connect(again, &QPushButton::clicked, this, &CalDictionary::searchSelectedItemAction);
  connect(web, &QPushButton::clicked, this, &CalDictionary::internetSearchAction);
  connect(memos, &QPushButton::clicked, this, [this] {
    searchAllMemoDataBaseAction(host_.mainMemoSelection ? host_.mainMemoSelection() : QString());
  });
  drawer_->setWidget(body);
  drawer_->hide();

  connect(wordField_->lineEdit(), &QLineEdit::returnPressed, this, &CalDictionary::goSearchAction);
  connect(wordField_, &QComboBox::activated, this, [this](int) { goSearchAction(); });
  connect(table_, &QTableWidget::cellClicked, this, [this](int, int) { selectItemAction(); });
  connect(prev_, &QPushButton::clicked, this, &CalDictionary::prevItemAction);
  connect(next_, &QPushButton::clicked, this, &CalDictionary::nextItemAction);
}

CalDictionary::~CalDictionary() {
  NotificationCenter::defaultCenter().removeObservers(this);
  delete drawer_;
}

void CalDictionary::awakeFromNib() {
  dicFiles_ = textdic::findDictionaryFiles();
  hitCount_->clear();
  location_->clear();
  adjustRireki();
  auto& center = NotificationCenter::defaultCenter();
  const auto on = [this, &center](const char* name, std::function<void(pravella::Notification&)> fn) {
    center.addObserver(QString::fromLatin1(name), this, std::move(fn));
  };
  on("dicFindListTableUp", [this](pravella::Notification&) { dicFindListTableUp(); });
  on("dicFindListTableDown", [this](pravella::Notification&) { dicFindListTableDown(); });
  on("selectItemActionOnDictionary", [this](pravella::Notification&) { selectItemAction(); });
  on("cal_toggleDicSheet", [this](pravella::Notification&) { toggleDicSheetAction(); });
  on("internetSearchOnDic", [this](pravella::Notification& n) { internetSearch(n.text); });
  if (host_.addSideView) host_.addSideView(drawer_);
}

void CalDictionary::sound(const char* name) {
  if (host_.playSound) host_.playSound(name);
}

void CalDictionary::goSearchAction() {
  const QString typed = wordField_->currentText();
  const QString word = textdic::han2zen(typed);
  wordField_->setEditText(word);
  if (word.isEmpty()) return;
  honbun_->clear();
  location_->clear();
  hits_.clear();
  table_->setRowCount(0);
  hitCount_->setText(QStringLiteral("0"));
  progress_->setRange(0, int(dicFiles_.size()));
  progress_->setValue(0);
  const textdic::SearchResult found = textdic::search(dicFiles_, word, [this](int n) { progress_->setValue(n); });
  hits_ = found.hits;
  progress_->setValue(0);
  table_->setRowCount(int(hits_.size()));
  for (int row = 0; row < hits_.size(); ++row) {
    const textdic::Hit& hit = hits_.at(row);
    table_->setItem(row, 0, new QTableWidgetItem(hit.group));
    table_->setItem(row, 1, new QTableWidgetItem(hit.dictionary));
    table_->setItem(row, 2, new QTableWidgetItem(hit.word));
  }
  if (found.tooMany) {
    honbun_->setPlainText(QString::fromLatin1(textdic::kTooManyItems));
  } else if (!hits_.isEmpty()) {
    addHistory(word);
    selectRow(0);
  }
  hitCount_->setText(QString::number(hits_.size()));
  if (hits_.isEmpty() && useInternet_->isChecked())
    NotificationCenter::defaultCenter().post(QStringLiteral("openWebSheetAndConnectURL_X"), typed);
}

void CalDictionary::addHistory(const QString& word) {
  words_.add(word);
  const QString shown = wordField_->currentText();
  wordField_->clear();
  wordField_->addItems(words_.newestFirst());
  wordField_->setEditText(shown);
}

void CalDictionary::selectRow(int row) {
  table_->selectRow(row);
  table_->scrollToItem(table_->item(row, 0));
  selectItemAction();
}

void CalDictionary::showRirekiHonbun(const QString& path, int line) {
  honbun_->setPlainText(textdic::entryText(path, line));
  honbun_->moveCursor(QTextCursor::Start);
  honbun_->ensureCursorVisible();
  location_->setText(textdic::historyEntry(line, path));
  sound("Pop");
}

void CalDictionary::selectItemAction() {
  const int row = table_->currentRow();
  if (row < 0 || row >= hits_.size()) return;
  const textdic::Hit& hit = hits_.at(row);
  const int line = hit.line.toInt();
  showRirekiHonbun(hit.path, line);
  rireki_.add(textdic::historyEntry(line, hit.path));
  adjustRireki();
}

void CalDictionary::adjustRireki() {
  prev_->setEnabled(rireki_.canGoBack());
  next_->setEnabled(rireki_.canGoForward());
}

void CalDictionary::prevItemAction() {
  const QString entry = rireki_.back();
  int line = 0;
  QString path;
  if (textdic::splitHistoryEntry(entry, &line, &path)) showRirekiHonbun(path, line);
  adjustRireki();
}

void CalDictionary::nextItemAction() {
  const QString entry = rireki_.forward();
  int line = 0;
  QString path;
  if (textdic::splitHistoryEntry(entry, &line, &path)) showRirekiHonbun(path, line);
  adjustRireki();
}

bool CalDictionary::drawerOpen() const {
  return drawer_->isVisible() && (!host_.toggleStatus || host_.toggleStatus() == kToggleNumber);
}

bool CalDictionary::openDrawer() {
  if (!SheetCanOpen) return false;
  if (!drawerOpen()) {
    if (host_.closeAllToggleView) host_.closeAllToggleView();
    drawer_->show();
    if (host_.setToggleStatus) host_.setToggleStatus(kToggleNumber);
  }
  return true;
}

// Words handed in from elsewhere: one of fewer than 2 characters opens the drawer unsearched.
void CalDictionary::searchWord(const QString& word) {
  if (word.size() < 2) return;
  wordField_->setEditText(word);
  goSearchAction();
}

void CalDictionary::openDicSheetAction() {
  if (openDrawer()) searchWord(host_.mainMemoSelection ? host_.mainMemoSelection() : QString());
}

void CalDictionary::closeDicSheetAction() {
  if (host_.closeAllToggleView) host_.closeAllToggleView();
  drawer_->hide();
}

void CalDictionary::toggleDicSheetAction() {
  if (!SheetCanOpen) return;
  const QString selected = host_.mainMemoSelection ? host_.mainMemoSelection() : QString();
  if (selected.size() <= 1 && drawerOpen()) closeDicSheetAction();
  else openDicSheetAction();
}

void CalDictionary::searchSelectedItemAction() {
  const QString selected = honbun_->textCursor().selectedText();
  if (openDrawer()) searchWord(selected);
}

void CalDictionary::dictionarySearch(const QString& word) {
  if (openDrawer()) searchWord(word);
}

void CalDictionary::searchAllMemoDataBaseAction(const QString& selection) {
  if (!selection.isEmpty()) NotificationCenter::defaultCenter().post(QStringLiteral("findAllMemoDatabase"), selection);
}

void CalDictionary::searchAllMemoDataBaseActionOnBookMarkSheet() {
  searchAllMemoDataBaseAction(pravella::selectedPlainText(host_.bookMarkTextView));
}

void CalDictionary::searchAllMemoDataBaseActionOnMonthSheet() {
  searchAllMemoDataBaseAction(pravella::selectedPlainText(host_.monthSheetTextView));
}

void CalDictionary::internetSearchAction() {
  QString text = honbun_->textCursor().selectedText();
  if (text.isEmpty()) return;
  if (host_.keyWordSearch && host_.keyWordSearch()) {
    const QString words = pravella::makeWordSeparetedString(text);
    if (!words.isEmpty()) text = words;
  }
  NotificationCenter::defaultCenter().post(QStringLiteral("openWebSheetAndConnectURL_X"), text);
}

void CalDictionary::internetSearch(const QString& text) {
  if (host_.launchURL) host_.launchURL(pravella::encoding::encodeLossy(text, pravella::encoding::kShiftJIS));
  sound("Ping");
}

void CalDictionary::dicFindListTableUp() {
  if (hits_.isEmpty()) return;
  const int row = table_->currentRow();
  selectRow(row <= 0 ? 0 : row - 1);
}

void CalDictionary::dicFindListTableDown() {
  if (hits_.isEmpty()) return;
  const int row = table_->currentRow();
  selectRow(std::min(row + 1, int(hits_.size()) - 1));
}

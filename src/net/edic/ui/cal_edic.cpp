#include "net/edic/ui/cal_edic.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include "editors/ui/clicked_link.h"
#include "net/edic/body_rendering.h"
#include "net/edic/body_text.h"
#include "net/edic/book_pictures.h"
#include "net/edic/dictionary_table.h"
#include "net/edic/reader_lock.h"
#include "net/web/web_sheet_requests.h"
#include "platform/atomic_file.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/text_encoding.h"
#include "platform/ui/dialogs.h"

using pravella::edic::BodyEntry;
using pravella::edic::SearchDirection;
using pravella::edic::SearchRow;

CalEDic* CalEDic_X = nullptr;
QString nowDictionaryName;

namespace {

constexpr int kEntryRole = Qt::UserRole + 1;

// Words shorter than this are not looked up.
constexpr int kMinimumWord = 2;

}  // namespace

// ---------------------------------------------------------------------------------------
// The headword table

getKeyOnEDicTable::getKeyOnEDicTable(CalEDic* controller, QWidget* parent)
    : QTableWidget(0, 2, parent), CalEDicControl(controller) {
  setHorizontalHeaderLabels({QStringLiteral("dic"), QStringLiteral("midashi")});
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setDragEnabled(true);
  setDragDropMode(QAbstractItemView::DragOnly);
  horizontalHeader()->setStretchLastSection(true);
  verticalHeader()->hide();
}

QStringList getKeyOnEDicTable::mimeTypes() const { return {QStringLiteral("text/plain")}; }

QMimeData* getKeyOnEDicTable::mimeData(const QList<QTableWidgetItem*>& items) const {
  if (items.isEmpty()) return nullptr;
  // Only the first dragged row counts.
  auto* data = new QMimeData;
  data->setText(pravella::edic::dragText(CalEDicControl->entryOfRow(items.front()->row())));
  return data;
}

void getKeyOnEDicTable::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Up) {
    CalEDicControl->tableUpSelection();
    return;
  }
  if (event->key() == Qt::Key_Down) {
    CalEDicControl->tableDownSelection();
    return;
  }
  QTableWidget::keyPressEvent(event);
}

// ---------------------------------------------------------------------------------------
// The body view

eDicTextView::eDicTextView(CalEDic* controller, QWidget* parent)
    : QTextBrowser(parent), CalEDicControl(controller) {
  setOpenLinks(false);
  setOpenExternalLinks(false);
  setReadOnly(true);
}

void eDicTextView::keyPressEvent(QKeyEvent* event) {
  // Return on a link reached with Tab follows it, with its target as the text holds it.
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && textCursor().hasSelection()) {
    QTextCursor end(document());
    end.setPosition(textCursor().selectionEnd());
    if (end.charFormat().isAnchor()) {
      CalEDicControl->textViewClickedOnLink(end.charFormat().anchorHref());
      return;
    }
  }
  QTextBrowser::keyPressEvent(event);
}

void eDicTextView::mouseDoubleClickEvent(QMouseEvent* event) {
  // The word the double click selects is looked up.
  CalEDicControl->nowDoubleClickStatus(1);
  QTextBrowser::mouseDoubleClickEvent(event);
}

void eDicTextView::contextMenuEvent(QContextMenuEvent* event) {
  QMenu* menu = createStandardContextMenu(event->pos());
  menu->addSeparator();
  menu->addAction(tr("Search in Dictionary"), CalEDicControl,
                  [c = CalEDicControl] { c->eDicSearchOnEDicHonbun(); });
  menu->addAction(tr("Google Search"), CalEDicControl,
                  [c = CalEDicControl] { c->GoogleSearchOnEDicHonbun(); });
  menu->addAction(tr("Wiki Search"), CalEDicControl, [c = CalEDicControl] { c->WikiSearchOnEDicHonbun(); });
  menu->exec(event->globalPos());
  delete menu;
}

// ---------------------------------------------------------------------------------------
// The controller

CalEDic::CalEDic(Host host, QObject* parent) : QObject(parent), host_(std::move(host)) {
  eDicDrawer_ = new QDockWidget(tr("Dictionary"));
  eDicDrawer_->setObjectName(QStringLiteral("eDicDrawer"));
  auto* panel = new QWidget;
  auto* layout = new QVBoxLayout(panel);
  auto* top = new QHBoxLayout;
  selectDicPopupButton_ = new QComboBox;
  searchStringField_ = new QComboBox;
  searchStringField_->setEditable(true);
  searchStringField_->setInsertPolicy(QComboBox::NoInsert);
  auto* forwardSearch = new QPushButton(tr("Search"));
  auto* backwardSearch = new QPushButton(tr("Ends with"));
  auto* folder = new QToolButton;
  folder->setText(tr("Folder..."));
  top->addWidget(selectDicPopupButton_);
  top->addWidget(searchStringField_, 1);
  top->addWidget(forwardSearch);
  top->addWidget(backwardSearch);
  top->addWidget(folder);
  layout->addLayout(top);
  midashiTable_ = new getKeyOnEDicTable(this);
  layout->addWidget(midashiTable_, 1);
  auto* steps = new QHBoxLayout;
  backButton_ = new QToolButton;
  backButton_->setArrowType(Qt::LeftArrow);
  forwardButton_ = new QToolButton;
  forwardButton_->setArrowType(Qt::RightArrow);
  auto* historyButton = new QToolButton;
  historyButton->setText(tr("History"));
  kensakurirekiMenu_ = new QMenu(historyButton);
  historyButton->setMenu(kensakurirekiMenu_);
  historyButton->setPopupMode(QToolButton::InstantPopup);
  steps->addWidget(backButton_);
  steps->addWidget(forwardButton_);
  steps->addWidget(historyButton);
  steps->addStretch(1);
  layout->addLayout(steps);
  honbunTextView_ = new eDicTextView(this);
  layout->addWidget(honbunTextView_, 2);
  eDicDrawer_->setWidget(panel);

  connect(forwardSearch, &QPushButton::clicked, this, &CalEDic::searchForward);
  connect(backwardSearch, &QPushButton::clicked, this, &CalEDic::searchBackward);
  connect(searchStringField_->lineEdit(), &QLineEdit::returnPressed, this, &CalEDic::searchForward);
  connect(selectDicPopupButton_, QOverload<int>::of(&QComboBox::activated), this,
          [this] { changeDicAction(); });
  connect(folder, &QToolButton::clicked, this, &CalEDic::setEdicDirectoryAction);
  connect(midashiTable_, &QTableWidget::itemSelectionChanged, this, [this] {
    if (!midashiTable_->selectedItems().isEmpty()) selectMidashiAction();
  });
  connect(backButton_, &QToolButton::clicked, this, &CalEDic::rirekiBackwardAction);
  connect(forwardButton_, &QToolButton::clicked, this, &CalEDic::rirekiForwardAction);
  // The link's target is read as the text holds it: made into a URL, a title in kana would
  // come out empty and an ASCII title before ":" would be taken for a scheme and lower-cased.
  pravella::followLinksOnClick(honbunTextView_,
                               [this](const QString& target) { textViewClickedOnLink(target); });
  connect(honbunTextView_, &QTextBrowser::selectionChanged, this, &CalEDic::selectionChangedInBody);
  repairKensakuRirekiMenu();
  updateButtons();
}

CalEDic::~CalEDic() {
  pravella::NotificationCenter::defaultCenter().removeObservers(this);
  if (CalEDic_X == this) CalEDic_X = nullptr;
  delete eDicDrawer_.data();
}

void CalEDic::awakeFromNib() {
  setEDicPath(pravella::edic::storedEDicFolder());
  Initialize_ZIP_Data();
  {
    pravella::edic::ReaderLock lock;
    pravella::edic::getEDictionaryPath(getEDicPath(), nullptr);
  }
  fillDicMenu();
  CalEDic_X = this;
  auto& center = pravella::NotificationCenter::defaultCenter();
  center.addObserver(QStringLiteral("cal_openEDicSheet"), this,
                     [this](pravella::Notification& n) { openSheetAction_X(n.text); });
  center.addObserver(QStringLiteral("dictionarySearch"), this,
                     [this](pravella::Notification& n) { dictionarySearch(n.text); });
  center.addObserver(QStringLiteral("edicLinkFromMainMemo"), this,
                     [this](pravella::Notification& n) { edicLinkFromMainMemo(n.text); });
  center.addObserver(QString::fromLatin1(pravella::edic::kEDicCatalogReloaded), this,
                     [this](pravella::Notification&) { fillDicMenu(); });
  if (host_.addSideView) host_.addSideView(eDicDrawer_);
}

void CalEDic::sound(const char* name) {
  if (host_.playSound) host_.playSound(name);
}

void CalEDic::fillDicMenu() {
  const QString current = selectDicPopupButton_->currentText();
  selectDicPopupButton_->clear();
  selectDicPopupButton_->addItem(QString::fromLatin1(kAllDictionary));
  selectDicPopupButton_->addItems(pravella::edic::dictionaryTitles());
  const int again = selectDicPopupButton_->findText(current);
  selectDicPopupButton_->setCurrentIndex(again < 0 ? 0 : again);
}

void CalEDic::openSheet() {
  if (host_.closeAllToggleView) host_.closeAllToggleView();
  eDicDrawer_->show();
  if (host_.setToggleStatus) host_.setToggleStatus(kToggleNumber);
}

void CalEDic::searchWord(const QString& word) {
  if (word.size() < kMinimumWord) return;
  searchStringField_->setEditText(word);
  searchForward();
}

void CalEDic::openSheetAction() {
  openSheet();
  if (host_.mainDocument) searchWord(host_.mainDocument->textCursor().selectedText());
}

void CalEDic::openSheetAction_X(const QString& word) {
  if (word.isEmpty()) {
    openSheetAction();
    return;
  }
  openSheet();
  searchWord(word);
}

void CalEDic::dictionarySearch(const QString& word) {
  openSheet();
  searchWord(word);
}

void CalEDic::edicLinkFromMainMemo(const QString& target) {
  const auto entry = pravella::edic::parseLinkTarget(target);
  if (!entry) return;
  openSheet();
  clickLinkAction(*entry, true);
}

void CalEDic::closeSheetAction() {
  if (host_.closeAllToggleView) host_.closeAllToggleView();
}

void CalEDic::search(SearchDirection direction) {
  midashi_.clear();
  const QString word = searchStringField_->currentText();
  const std::size_t books = static_cast<std::size_t>(selectDicPopupButton_->count());
  if (selectDicPopupButton_->currentIndex() == 0) {
    for (std::size_t i = 1; i < books; ++i)
      pravella::edic::searchDictionaryBook(selectDicPopupButton_->itemText(static_cast<int>(i)).toStdString(),
                                           word, direction, midashi_);
  } else {
    pravella::edic::searchDictionaryBook(selectDicPopupButton_->currentText().toStdString(), word, direction,
                                         midashi_);
  }
  reloadTable();
  if (direction == SearchDirection::Backward && !midashi_.empty()) {
    // The first hit's body stays on show while no row is selected.
    midashiTable_->selectRow(0);
    midashiTable_->clearSelection();
    midashiTable_->scrollToTop();
  }
  if (!midashi_.empty()) {
    searchItemList_.record(word);
    const QString shown = searchStringField_->currentText();
    searchStringField_->clear();
    searchStringField_->addItems(searchItemList_.words());
    searchStringField_->setMaxVisibleItems(std::max(1, searchItemList_.visibleCount()));
    searchStringField_->setEditText(shown);
  }
}

void CalEDic::searchForward() { search(SearchDirection::Forward); }
void CalEDic::searchBackward() { search(SearchDirection::Backward); }

void CalEDic::reloadTable() {
  const QSignalBlocker block(midashiTable_);
  midashiTable_->setSortingEnabled(false);
  midashiTable_->clearContents();
  midashiTable_->setRowCount(static_cast<int>(midashi_.size()));
  for (std::size_t i = 0; i < midashi_.size(); ++i) {
    auto* dic = new QTableWidgetItem(QString::fromStdString(midashi_[i].dic));
    dic->setData(kEntryRole, static_cast<int>(i));
    auto* head = new QTableWidgetItem(midashi_[i].midashi);
    head->setData(kEntryRole, static_cast<int>(i));
    midashiTable_->setItem(static_cast<int>(i), 0, dic);
    midashiTable_->setItem(static_cast<int>(i), 1, head);
  }
  midashiTable_->setSortingEnabled(true);
  midashiTable_->clearSelection();
  midashiTable_->scrollToTop();
}

BodyEntry CalEDic::entryOfRow(int row) const {
  const QTableWidgetItem* item = midashiTable_->item(row, 0);
  if (!item) return {};
  const SearchRow& r = midashi_[static_cast<std::size_t>(item->data(kEntryRole).toInt())];
  return {r.dic, r.midashi, r.honbun, r.offset};
}

void CalEDic::selectMidashiAction() {
  const auto rows = midashiTable_->selectionModel()->selectedRows();
  if (midashi_.empty() || rows.isEmpty()) return;
  const BodyEntry entry = entryOfRow(rows.front().row());
  showBody(entry);
  sound("Tink");
  if (kensakuRireki_.add(entry)) repairKensakuRirekiMenu();
  updateButtons();
}

void CalEDic::tableUpSelection() {
  const auto rows = midashiTable_->selectionModel()->selectedRows();
  if (rows.isEmpty() || rows.front().row() == 0) return;
  midashiTable_->selectRow(rows.front().row() - 1);
}

void CalEDic::tableDownSelection() {
  const auto rows = midashiTable_->selectionModel()->selectedRows();
  if (rows.isEmpty()) {
    if (midashiTable_->rowCount() > 0) midashiTable_->selectRow(0);
    return;
  }
  if (rows.front().row() + 1 < midashiTable_->rowCount()) midashiTable_->selectRow(rows.front().row() + 1);
}

void CalEDic::showBody(const BodyEntry& entry) {
  nowDictionaryName = QString::fromStdString(entry.title);
  std::string bytes;
  pravella::edic::BodyPictures pictures;
  const std::string title = entry.title;
  pictures.gaiji = [&title](uint16_t code, int kind) { return getGaijiData16(title, code, kind); };
  pravella::edic::ReaderLock lock;
  auto render = [&] {
    bool ok = false;
    QString text =
        pravella::encoding::decode(QByteArray::fromStdString(bytes), pravella::encoding::kShiftJIS, &ok);
    if (!ok) text = QStringLiteral("< translation error! >");
    pravella::edic::renderBody(*honbunTextView_->document(), text, nowDictionaryName, pictures);
  };
  if (is_That_HONMON2_EPWING_V6(title)) {
    ZIP_Data& state = sharedZipData();
    if (!eb_zopen_epwzipped(state, title)) return;
    if (convertHonbun_EPWING_V6(state, entry.page, entry.offset, bytes)) {
      pictures.figure = [&state](int64_t page, int64_t offset) {
        pravella::edic::CompressedBookReader reader(state);
        return getFigOfEPWING(reader, page, offset);
      };
      pictures.picture = [&state, &title](int kind, int64_t page, int64_t offset) {
        return kind == 9 ? GetBMPpictrue_EPWING_V6(state, page, offset)
                         : GetJPEGpictrue_EPWING_V6(title, page, offset);
      };
      render();
    }
    eb_zclose(state);
  } else if (convertHonbun(title, entry.page, entry.offset, bytes)) {
    auto file = EBDictionaryFile(title);
    pictures.figure = [&file](int64_t page, int64_t offset) {
      if (!file) return QImage();
      pravella::edic::PlainBookReader reader(*file);
      return getFigOfEPWING(reader, page, offset);
    };
    render();
  }
  QTextCursor start(honbunTextView_->document());
  honbunTextView_->setTextCursor(start);
  honbunTextView_->ensureCursorVisible();
}

void CalEDic::clickLinkAction(const BodyEntry& entry, bool history) {
  showBody(entry);
  sound("Tink");
  if (history && kensakuRireki_.add(entry)) repairKensakuRirekiMenu();
  updateButtons();
}

void CalEDic::textViewClickedOnLink(const QString& target) {
  const auto entry = pravella::edic::parseLinkTarget(target);
  if (entry) clickLinkAction(*entry, true);
}

void CalEDic::rirekiForwardAction() {
  if (const auto entry = kensakuRireki_.forward()) clickLinkAction(*entry, false);
}

void CalEDic::rirekiBackwardAction() {
  if (const auto entry = kensakuRireki_.back()) clickLinkAction(*entry, false);
}

void CalEDic::kensakurirekiMenuAction(int index) {
  if (const auto entry = kensakuRireki_.at(index)) clickLinkAction(*entry, false);
}

void CalEDic::clearKensakuRirekiMenu() {
  kensakuRireki_.clear();
  repairKensakuRirekiMenu();
  updateButtons();
}

void CalEDic::repairKensakuRirekiMenu() {
  kensakurirekiMenu_->clear();
  kensakurirekiMenu_->addAction(QStringLiteral("clear"), this, &CalEDic::clearKensakuRirekiMenu);
  kensakurirekiMenu_->addSeparator();
  for (const auto& [headword, index] : kensakuRireki_.menu()) {
    QString title = headword;
    if (title.endsWith('\n')) title.chop(1);
    kensakurirekiMenu_->addAction(title, this, [this, i = index] { kensakurirekiMenuAction(i); });
  }
}

void CalEDic::updateButtons() {
  backButton_->setEnabled(kensakuRireki_.canGoBack());
  forwardButton_->setEnabled(kensakuRireki_.canGoForward());
}

void CalEDic::selectionChangedInBody() {
  if (doubleClickStatus != 1) return;
  const QString selected = honbunTextView_->textCursor().selectedText();
  if (selected.isEmpty()) return;
  doubleClickStatus = 0;
  searchWord(selected);
}

void CalEDic::eDicSearchOnEDicHonbun() { searchWord(honbunTextView_->textCursor().selectedText()); }

void CalEDic::GoogleSearchOnEDicHonbun() {
  const QString selected = honbunTextView_->textCursor().selectedText();
  if (selected.isEmpty()) return;
  pravella::NotificationCenter::defaultCenter().post(QStringLiteral("openWebSheetAndConnectURL_X"), selected);
}

void CalEDic::WikiSearchOnEDicHonbun() {
  const QString selected = honbunTextView_->textCursor().selectedText();
  if (selected.isEmpty()) return;
  DoWebBrowserWithWikiSearch(selected.toUtf8().constData());
}

void CalEDic::setEdicDirectoryAction() {
  const QString chosen = pravella::dialogs::chooseFolder(host_.dialogParent, QStringLiteral("EDic Folder"),
                                                         pravella::paths::home());
  if (chosen.isEmpty()) return;
  const QString folder = chosen.endsWith('/') ? chosen : chosen + "/";
  setEDicPath(folder.toStdString());
  {
    pravella::edic::ReaderLock lock;
    pravella::edic::getEDictionaryPath(folder.toStdString(), nullptr);
  }
  fillDicMenu();
  QDir().mkpath(pravella::paths::preferences());
  pravella::writeFileAtomically(pravella::paths::preferences() + "/eDicPathData.txt", folder.toUtf8());
  sound("Tink");
}

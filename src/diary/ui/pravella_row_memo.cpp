// The row memo view under the month list: shows, edits and saves the selected row's document,
// marks the search words in it, builds the search document, and sends its selection to the
// dictionary, the web sheet and the handheld export.

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTableWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QUrl>

#include "diary/day_documents.h"
#include "diary/month_list.h"
#include "diary/program_settings.h"
#include "diary/search_document.h"
#include "diary/ui/calcndar.h"
#include "diary/ui/main_window.h"
#include "diary/ui/month_diary_drawer.h"
#include "diary/ui/pravella.h"
#include "diary/word_separation.h"
#include "editors/attachment_name.h"
#include "editors/open_documents.h"
#include "editors/ui/cal_option.h"
#include "editors/ui/clicked_link.h"
#include "editors/ui/document_save.h"
#include "editors/ui/main_text_view.h"
#include "editors/ui/refused_input.h"
#include "editors/ui/temporary_highlights.h"
#include "editors/ui/trashed_document.h"
#include "editors/web_launch.h"
#include "lang/values.h"
#include "platform/console_log.h"
#include "platform/font_aliases.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/property_list.h"
#include "platform/rich_text_file.h"
#include "platform/ui/selected_text.h"

namespace {

// The search document's bar moves at most this often (ticks of 1/60 s).
constexpr quint64 kSearchDocumentBarTicks = 30;

void post(const char* name, const QString& text) {
  pravella::NotificationCenter::defaultCenter().post(QString::fromLatin1(name), text);
}

}  // namespace

QTextEdit* Pravella::subTextView() const { return drawer_ ? drawer_->subTextView() : nullptr; }

void Pravella::wireRowMemoView() {
  QTextEdit* view = drawer_->subTextView();
  connect(view, &QTextEdit::textChanged, this, [this] { textDidChange(); });
  connect(drawer_->subViewSW(), &QCheckBox::clicked, this, [this] { subTextViewAction(); });
  connect(drawer_->durtyButton(), &QCheckBox::clicked, this, [this] {
    // The mark is the controller's: a click flips it as toggleDurtyButton does.
    drawer_->durtyButton()->setChecked(!drawer_->durtyButton()->isChecked());
    toggleDurtyButton();
  });
  const std::pair<const char*, std::function<void()>> commands[] = {
      {"makeSearchDocument", [this] { makeSearchDocument(); }},
      {"saveDocAction", [this] { saveDocAction(); }},
      {"searchInternetAction", [this] { searchInternetAction(); }},
      {"searchDicAction", [this] { searchDicAction(); }},
      {"toPalmBelowAction", [this] { toPalmBelowAction(); }},
      {"pasteFromSelectedDocumentAction", [this] { pasteFromSelectedDocumentAction(); }}};
  for (const auto& [name, fn] : commands)
    if (QPushButton* b = drawer_->commandButton(name)) connect(b, &QPushButton::clicked, this, fn);
  drawer_->monthDiaryField()->setDelegate(this);
  connect(drawer_->monthDiaryField()->horizontalHeader(), &QHeaderView::sectionClicked, this,
          [this](int column) { didClickTableColumn(column); });

  pravella::followLinksOnClick(view, [this](const QString& value) {
    pravella::LinkAskers askers;
    askers.webDrawerOpen = [] { return false; };
    askers.searchMemos = [this](const QString& name) { DoSearchMemoInSearchSheet(name); };
    askers.openFile = [this](const QString& path) { opener_(path); };
    askers.launchURL = [this](const QString& text) { launchURL_(text); };
    askers.sound = [this](const char* name) { sound(name); };
    pravella::followClickedLink(value, askers);
  });
  if (CalOption* option = calcndar_->calendarOption()) option->registerTextView(view);
  view->viewport()->installEventFilter(this);
  // Typing, pastes and drops the view does not take are said, not dropped without a word.
  pravella::refuseInputWhileReadOnly(view, [this] { refuseTypingWithoutDocument(); });

  // Until a row's document is shown the view takes no typing: its text would belong to no
  // file, and nothing would save it. The switch on shows it as laid out.
  view->setPlaceholderText(tr("Choose a row of the list to show its document here."));
  view->setReadOnly(true);
  drawer_->subViewSW()->setChecked(false);
  subTextViewAction();
  drawer_->subViewSW()->setChecked(true);
  subTextViewAction();
}

// ---------------------------------------------------------------- showing a row

void Pravella::subTextViewAction() {
  QSplitter* split = drawer_->subTextSplit();
  const bool on = drawer_->subViewSW()->isChecked();
  if (!on) {
    const QList<int> sizes = split->sizes();
    if (sizes.value(1) > 0) savedSplitSizes_ = sizes;
    split->setSizes({sizes.value(0) + sizes.value(1), 0});
  } else {
    const int total = std::max(2, split->sizes().value(0) + split->sizes().value(1));
    split->setSizes(savedSplitSizes_.value(1) > 0 ? savedSplitSizes_
                                                  : QList<int>{total / 2, total - total / 2});
  }
  saveDocAction();
}

bool Pravella::readIntoSubTextView(const QString& path) {
  QTextEdit* view = drawer_->subTextView();
  loadingSubText_ = true;
  const bool read =
      pravella::readRichTextFile(pravella::resolveSymbolicLink(path).value_or(path), *view->document());
  if (!read) view->document()->clear();  // an unreadable document leaves the view empty
  view->document()->setModified(false);
  pravella::clearTemporaryHighlights(view);
  tmpBackGroundColorStatus_ = false;
  loadingSubText_ = false;
  view->setReadOnly(false);
  view->setTextCursor(QTextCursor(view->document()));
  rowSlot_->shown(path);
  return read;
}

void Pravella::reloadSubTextView() {
  QTextEdit* view = drawer_->subTextView();
  const int caret = view->textCursor().position();
  const int scroll = view->verticalScrollBar()->value();
  readIntoSubTextView(nowDisplayedDocPath_);
  drawer_->durtyButton()->setChecked(false);
  QTextCursor c(view->document());
  c.setPosition(std::clamp(caret, 0, std::max(0, view->document()->characterCount() - 1)));
  view->setTextCursor(c);
  view->verticalScrollBar()->setValue(scroll);
}

void Pravella::selectMonthDiaryAction() {
  const QModelIndexList selected = drawer_->monthDiaryField()->selectionModel()->selectedRows();
  if (selected.isEmpty() || selected.first().row() >= static_cast<int>(tableArray_.size())) return;
  const pravella::MonthListEntry entry = tableArray_[static_cast<size_t>(selected.first().row())];
  const QStringList parts = entry.day.split(QLatin1Char('/'));
  auto part = [&](int i) { return static_cast<int>(pravella::leadingInteger(parts.value(i))); };
  const int year = part(0), month = part(1), day = part(2);
  QTextEdit* view = drawer_->subTextView();

  if (year != 0 || month != 0 || day != 0) {
    const QString path = pravella::paths::dayFolder(year, month, day) + QLatin1Char('/') + entry.diaryFiles;
    if (pravella::fileExtension(entry.diaryFiles) == QLatin1String("webarchive")) {
      post("openWebSheetAndConnectURL_X", QStringLiteral("file://") + path);
      return;
    }
    if (!drawer_->subViewSW()->isChecked() || openMainViewStatus_) {
      showInMainMemo(entry, year, month, day);
      return;
    }
    if (!saveDocAction()) return;  // the shown changes are kept rather than replaced
    nowDisplayedDocPath_ = path;
    readIntoSubTextView(path);
  } else {
    if (!saveDocAction()) return;
    if (!drawer_->subViewSW()->isChecked()) {
      drawer_->subViewSW()->setChecked(true);
      subTextViewAction();
      drawer_->monthDiaryField()->scrollToItem(drawer_->monthDiaryField()->item(selected.first().row(), 0));
    }
    nowDisplayedDocPath_ = entry.diaryFiles;
    readIntoSubTextView(entry.diaryFiles);
  }
  view->verticalScrollBar()->setValue(0);
  findByDocSelectedString(searchText(), view);
  sound("Pop");
}

void Pravella::showInMainMemo(const pravella::MonthListEntry& entry, int year, int month, int day) {
  if (!calcndar_->save()) return;
  calcndar_->beforeDayToPlain();
  calcndar_->setSelectedDay(QDate(year, month, day));
  calcndar_->refreshCalendar();
  calcndar_->selectDayAction2(day);
  calcndar_->selectDiaryFileFromNameAction(entry.diaryFiles);
  calcndar_->addDocumentToRireki(calcndar_->nowDisplayedDocument());
  findByDocSelectedString(searchText(), window_->documentView());
}

// ---------------------------------------------------------------- saving and editing

bool Pravella::saveDocAction() {
  QCheckBox* durty = drawer_->durtyButton();
  if (!nowDisplayedDocPath_.isEmpty() && durty->isChecked()) {
    if (!saveWithSymbolicLink(nowDisplayedDocPath_)) {
      sound("Basso");
      const QString title = QStringLiteral("Can not save the document");
      const QString message =
          QStringLiteral("%1 was not written; the changes are still in the view.").arg(nowDisplayedDocPath_);
      // Ending without anyone to answer: the console has said why.
      if (calcndar_->endingUnattended()) return false;
      if (alertPanel_)
        alertPanel_(title, message, {QStringLiteral("Ok")});
      else
        QMessageBox::warning(window_, title, message);
      return false;
    }
    sound("Tink");
  }
  durty->setChecked(false);
  return true;
}

bool Pravella::saveWithSymbolicLink(const QString& path) {
  const pravella::DocumentSave saved = pravella::saveDocumentGuarded(
      *rowSlot_, path, [this](const QString& target) { return writeRowMemo(target); }, window_);
  // Either way the view holds nothing unsaved any more.
  if (saved.ok()) drawer_->durtyButton()->setChecked(false);
  return saved.ok();
}

pravella::WriteResult Pravella::writeRowMemo(const QString& path) {
  const std::optional<QString> target = pravella::resolveSymbolicLink(path);
  if (!target) {
    const QString error = QStringLiteral("Can not save %1: a chain of links that does not end.").arg(path);
    showErrMessageToConsole((error + QLatin1Char('\n')).toStdString());
    return {false, error};
  }
  // A plain .rtf document stays a single file.
  const bool singleFile =
      target->endsWith(QLatin1String(".rtf"), Qt::CaseInsensitive) && !QFileInfo(*target).isDir();
  const QTextDocument& doc = *drawer_->subTextView()->document();
  const pravella::WriteResult written =
      singleFile ? pravella::writeRtfFile(*target, doc) : pravella::writeRtfdFile(*target, doc);
  if (!written)
    showErrMessageToConsole(
        QStringLiteral("Can not save %1: %2\n").arg(*target, written.error).toStdString());
  return written;
}

void Pravella::textDidChange() {
  if (loadingSubText_) return;
  if (!nowDisplayedDocPath_.isEmpty()) drawer_->durtyButton()->setChecked(true);
  if (tmpBackGroundColorStatus_) {
    pravella::clearTemporaryHighlights(drawer_->subTextView());
    tmpBackGroundColorStatus_ = false;
  }
}

void Pravella::toggleDurtyButton() {
  QCheckBox* durty = drawer_->durtyButton();
  durty->setChecked(!durty->isChecked());
}

void Pravella::pasteDateAction() {
  if (refuseTypingWithoutDocument()) return;
  const QDateTime now = clock_();
  QTextEdit* view = drawer_->subTextView();
  QTextCursor c = view->textCursor();
  const int at = c.position();
  c.insertText(QStringLiteral(" [%1] ").arg(now.toString(QStringLiteral("yyyy/MM/dd"))));
  c.setPosition(at + 2);
  c.setPosition(at + 12, QTextCursor::KeepAnchor);
  QTextCharFormat colour;
  colour.setForeground(QColor::fromRgbF(0.3f, 0.2f, 0.7f));
  c.mergeCharFormat(colour);
  sound("Tink");
}

void Pravella::pasteDateTimeAction() {
  if (refuseTypingWithoutDocument()) return;
  const QDateTime now = clock_();
  QTextEdit* view = drawer_->subTextView();
  QTextCursor c = view->textCursor();
  const int at = c.position();
  c.insertText(QStringLiteral(" [%1] ").arg(now.toString(QStringLiteral("yyyy/MM/dd hh:mm:ss"))));
  c.setPosition(at + 2);
  c.setPosition(at + 21, QTextCursor::KeepAnchor);
  QTextCharFormat colour;
  colour.setForeground(QColor::fromRgbF(0.3f, 0.2f, 0.7f));
  c.mergeCharFormat(colour);
  sound("Tink");
}

bool Pravella::openAttachmentAt(int position) {
  if (nowDisplayedDocPath_.isEmpty()) return false;
  const QString name = pravella::attachmentFileNameAt(*drawer_->subTextView()->document(), position);
  if (name.isEmpty()) return false;
  const QString path = nowDisplayedDocPath_ + QLatin1Char('/') + name;
  return QFileInfo::exists(path) && opener_ && opener_(path);
}

void Pravella::letGoOfTrashedDocument() {
  if (!drawer_) return;
  const QString gone = nowDisplayedDocPath_;
  pravella::keepEditsOfTrashedDocument(drawer_->subTextView(), gone, drawer_->durtyButton()->isChecked(),
                                       [this](const QString& path) { return writeRowMemo(path); });
  // The text stays to be read and copied; it belongs to no file, so it takes no typing.
  nowDisplayedDocPath_ = QString();
  drawer_->durtyButton()->setChecked(false);
  drawer_->subTextView()->setReadOnly(true);
}

bool Pravella::refuseTypingWithoutDocument() {
  QTextEdit* view = drawer_->subTextView();
  // Read-only means no document to write to: the search document, or no row shown yet.
  if (!view->isReadOnly() && !nowDisplayedDocPath_.isEmpty()) return false;
  sound("Basso");
  window_->statusBar()->showMessage(
      nowDisplayedDocPath_.isNull()
          ? tr("The memo under the month list shows no document: choose a row first. Nothing was typed, "
               "pasted or dropped.")
          : tr("The search document is not saved and takes no typing: choose a row to edit its document."));
  return true;
}

bool Pravella::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonDblClick && drawer_ &&
      watched == drawer_->subTextView()->viewport()) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (openAttachmentAt(drawer_->subTextView()->cursorForPosition(mouse->position().toPoint()).position()))
      return true;
  }
  return QObject::eventFilter(watched, event);
}

// ---------------------------------------------------------------- search words

void Pravella::findByDocSelectedString(const QString& text, QTextEdit* view) {
  if (!view || !drawer_->kensakuHyoujiCheckButton()->isChecked()) return;
  QString words = text;
  words.replace(QChar(0x3000), QLatin1Char(' '));
  pravella::clearTemporaryHighlights(view);
  const QString content = pravella::plainTextOf(*view->document());
  int k = 0;
  qsizetype caret = -1;
  for (QString word : words.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
    const QColor colour = QColor::fromRgbF(1.0f - 0.2f * static_cast<float>(k), 0.65f, 0.75f, 1.0f);
    k = (k + 1) % 4;
    if (word.startsWith(QLatin1Char('*'))) word.remove(0, 1);
    if (word.endsWith(QLatin1Char('*'))) word.chop(1);
    if (word.isEmpty()) continue;
    QList<QTextCursor> hits;
    for (qsizetype at = content.indexOf(word, 0, Qt::CaseInsensitive); at >= 0;
         at = content.indexOf(word, at + word.size(), Qt::CaseInsensitive)) {
      QTextCursor hit(view->document());
      hit.setPosition(static_cast<int>(at));
      hit.setPosition(static_cast<int>(at + word.size()), QTextCursor::KeepAnchor);
      hits.append(hit);
      if (caret < 0) caret = at + word.size();
    }
    pravella::addTemporaryHighlights(view, hits, colour);
  }
  QTextCursor c(view->document());
  c.setPosition(static_cast<int>(std::max<qsizetype>(caret, 0)));
  view->setTextCursor(c);
  view->ensureCursorVisible();
  if (view == window_->documentView())
    calcndar_->setTmpBackGroundColorStatus(true);
  else if (view == drawer_->subTextView())
    tmpBackGroundColorStatus_ = true;
}

// ---------------------------------------------------------------- search document

void Pravella::makeSearchDocument() {
  const QFont font(pravella::fonts::familyFor(QStringLiteral("HiraMaruPro-W4")), 10);
  if (!saveDocAction()) return;
  drawer_->subViewSW()->setChecked(true);
  subTextViewAction();
  QTextEdit* view = drawer_->subTextView();
  QProgressBar* bar = drawer_->progressBar();
  bar->setRange(0, std::max(1, static_cast<int>(tableArray_.size())));
  bar->setValue(0);
  const quint64 start = tickClock_();
  quint64 shown = start;
  loadingSubText_ = true;
  pravella::clearTemporaryHighlights(view);
  tmpBackGroundColorStatus_ = false;
  // The user's template, else the application's, gives the document its page and paragraph.
  QString tpl = pravella::paths::preferences() + QStringLiteral("/template.rtf");
  if (!QFileInfo::exists(tpl)) tpl = pravella::paths::resource(QStringLiteral("template.rtf"));
  if (!QFileInfo::exists(tpl) || !pravella::readRichTextFile(tpl, *view->document()))
    view->document()->clear();
  pravella::buildSearchDocument(*view->document(), tableArray_, font, [&](int row) {
    const quint64 now = tickClock_();
    if (now - start > kSearchDocumentBarTicks && now - shown >= kSearchDocumentBarTicks) {
      shown = now;
      bar->setValue(row);
      bar->repaint();
    }
  });
  loadingSubText_ = false;
  bar->setValue(0);
  view->setReadOnly(true);
  view->setTextCursor(QTextCursor(view->document()));
  view->ensureCursorVisible();
  drawer_->durtyButton()->setChecked(false);
  sound("Pop");
  nowDisplayedDocPath_ = QStringLiteral("");
  rowSlot_->clear();
}

// ---------------------------------------------------------------- look-ups

void Pravella::searchDicAction() {
  const QString selected = pravella::selectedPlainText(drawer_->subTextView());
  if (!selected.isEmpty()) post("dictionarySearch", selected);
}

void Pravella::searchInternetAction() {
  const QString selected = pravella::selectedPlainText(drawer_->subTextView());
  const QString text =
      internetWordSearchStatus() == 1 ? pravella::makeWordSeparetedString(selected) : selected;
  if (text.isEmpty()) return;
  const QString sheet = QStringLiteral("openWebSheetAndConnectURL_X");
  // Without the web sheet the browser shows it.
  if (pravella::NotificationCenter::defaultCenter().hasObservers(sheet))
    post("openWebSheetAndConnectURL_X", text);
  else
    launchURL_(text);
}

void Pravella::toPalmBelowAction() {
  const QString text = searchText();
  if (text.isEmpty() || tableArray_.empty()) return;
  QStringList days, names;
  for (const pravella::MonthListEntry& e : tableArray_) {
    days << e.day;
    names << e.diaryFiles;
  }
  const QString folder = pravella::paths::diary() + QStringLiteral("/vkData/");
  QDir().mkpath(folder);
  for (const auto& [file, list] :
       {std::pair{QStringLiteral("fa01.dat"), days}, std::pair{QStringLiteral("fa02.dat"), names}}) {
    const pravella::WriteResult written = pravella::plist::writeStringArray(folder + file, list);
    if (!written) {
      showErrMessageToConsole(
          QStringLiteral("Can not write %1: %2\n").arg(folder + file, written.error).toStdString());
      sound("Basso");
      return;
    }
  }
  post("toPalmBelowAction_A", text);
}

void Pravella::pasteFromSelectedDocumentAction() {
  setSearchText(window_->documentView()->textCursor().selectedText().replace(QChar::ParagraphSeparator,
                                                                             QLatin1Char(' ')));
}

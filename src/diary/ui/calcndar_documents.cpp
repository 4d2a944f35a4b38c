// The selected day's documents: listing them, opening each by its kind, the template of a new
// memo, saving (on demand, before every change of day or document, and 300 seconds after the
// last edit), renaming and moving to the Trash.

#include <QAbstractButton>
#include <QButtonGroup>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QImageReader>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTableWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <QUrl>

#include "diary/day_document_viewer.h"
#include "diary/day_documents.h"
#include "diary/day_folders.h"
#include "diary/document_companions.h"
#include "diary/document_links.h"
#include "diary/dropped_links.h"
#include "diary/ui/calcndar.h"
#include "diary/ui/main_window.h"
#include "diary/undecodable_names.h"
#include "editors/edit_journal.h"
#include "editors/open_documents.h"
#include "editors/plain_text_export.h"
#include "editors/recovered_edits.h"
#include "editors/ui/document_save.h"
#include "editors/ui/long_memo_layout.h"
#include "editors/ui/main_text_view.h"
#include "editors/ui/temporary_highlights.h"
#include "imaging/acr_nema.h"
#include "imaging/movie_windows.h"
#include "lang/values.h"
#include "platform/bounded_read.h"
#include "platform/cformat.h"
#include "platform/console_log.h"
#include "platform/desktop_open.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/rich_text_file.h"
#include "tools/bookmarks/document_moves.h"

namespace {

constexpr int kAutoSaveSeconds = 300;

QString fileNameOf(const QString& path) { return path.section(QLatin1Char('/'), -1); }

bool entryExists(const QString& path) { return QFileInfo(path).exists() || QFileInfo(path).isSymLink(); }

// Marks the memo as being filled by the controller, not edited by the user.
class LoadingGuard {
 public:
  explicit LoadingGuard(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
  ~LoadingGuard() { flag_ = old_; }

 private:
  bool& flag_;
  bool old_;
};

}  // namespace

QString Calcndar::dayFolder() const {
  return pravella::paths::dayFolder(selectedDay_.year(), selectedDay_.month(), selectedDay_.day());
}

int Calcndar::selectedRow() const {
  const QModelIndexList rows = window_->diaryFileField()->selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.first().row();
}

void Calcndar::sound(const char* name) {
  if (pvSoundStatus != 0 && playSound_) playSound_(name);
}

void Calcndar::setAutoSaveTimer(std::unique_ptr<pravella::OneShotTimer> timer) {
  if (autoSaveTimer_) autoSaveTimer_->stop();
  autoSaveTimer_ = std::move(timer);
}

void Calcndar::openWithDesktop(const QString& folder, const QString& fileName) {
  // Started with an argument list: the name is never read by a shell. And as an absolute path:
  // a name beginning with "-" is never read as an option.
  const QString path = QFileInfo(fileName).isAbsolute() ? fileName : folder + QLatin1Char('/') + fileName;
  if (!opener_(QStringLiteral("xdg-open"), {pravella::desktopOpenerArgument(path)}, folder))
    showErrMessageToConsole(("Can not open " + fileName + " with xdg-open.\n").toStdString());
}

// ---------------------------------------------------------------- listing

void Calcndar::showDiaryFiles() {
  const QString folder = dayFolder();
  if (!QDir::setCurrent(folder)) makeSelectedDayFolder(selectedDay_);
  getDiaryFilesList(folder);
  setDateToDiaryFilesTableHeader(QString::fromStdString(
      pravella::cformat("%4d/%02d/%02d (%d)", selectedDay_.year(), selectedDay_.month(), selectedDay_.day(),
                        static_cast<int>(diaryFiles_.size()))));

  QTableWidget* table = window_->diaryFileField();
  const QSignalBlocker block(table);
  table->clearSelection();
  table->setRowCount(static_cast<int>(diaryFiles_.size()));
  for (int row = 0; row < diaryFiles_.size(); ++row) {
    auto* number = new QTableWidgetItem(QString::number(row + 1));
    number->setFlags(number->flags() & ~Qt::ItemIsEditable);
    table->setItem(row, 0, number);
    auto* name = new QTableWidgetItem(pravella::documentDisplayName(diaryFiles_[row]));
    // A named pipe or a device shows what it is, by name and kind.
    if (const QString kind = pravella::specialFileKind(folder + QLatin1Char('/') + diaryFiles_[row]); !kind.isEmpty()) {
      name->setText(name->text() + QStringLiteral("  [%1]").arg(kind));
      name->setToolTip(pravella::specialFileRefusal(diaryFiles_[row], kind));
    }
    table->setItem(row, 1, name);
  }
  colourTableRows();
}

void Calcndar::getDiaryFilesList(const QString& folder) { diaryFiles_ = pravella::listDiaryFiles(folder); }

void Calcndar::setDateToDiaryFilesTableHeader(const QString& text) {
  QTableWidget* table = window_->diaryFileField();
  if (QTableWidgetItem* header = table->horizontalHeaderItem(1)) header->setText(text);
  table->viewport()->update();
}

void Calcndar::colourTableRows() {
  QTableWidget* table = window_->diaryFileField();
  const QSignalBlocker block(table);
  const int mode = changeTableViewFontColor_;
  const QColor evenText = QColor::fromRgbF(0.5f, 0.1f, 0.2f);
  const QColor oddText = QColor::fromRgbF(0.0f, 0.1f, 0.5f);
  const QColor oddBack = QColor::fromRgbF(1.0f, 1.0f, 1.0f);
  const QColor evenBack = QColor::fromRgbF(0.93f, 0.93f, 0.93f);
  for (int row = 0; row < table->rowCount(); ++row) {
    const bool even = row % 2 == 0;
    const bool link = row < diaryFiles_.size() &&
                      QFileInfo(dayFolder() + QLatin1Char('/') + diaryFiles_[row]).isSymLink();
    for (int column = 0; column < table->columnCount(); ++column) {
      QTableWidgetItem* item = table->item(row, column);
      if (!item) continue;
      if (mode == 1 || mode == 3) {
        item->setForeground(link ? QColor(Qt::red) : (even ? evenText : oddText));
        item->setTextAlignment((column == 0 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
      } else {
        item->setData(Qt::ForegroundRole, QVariant());
        item->setTextAlignment((column == 0 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
      }
      if (mode == 2 || mode == 3)
        item->setBackground(even ? evenBack : oddBack);
      else
        item->setData(Qt::BackgroundRole, QVariant());
    }
  }
}

void Calcndar::changeTableFontForeColor(int mode) {
  changeTableViewFontColor_ = mode >= 0 && mode <= 3 ? mode : 0;
  colourTableRows();
}

void Calcndar::toggleTableFontForeColor() { changeTableFontForeColor((changeTableViewFontColor_ + 1) % 4); }

void Calcndar::filesDropped(const QStringList& paths) {
  // Names already in the day are skipped without a word; a day without a folder links nothing.
  const pravella::DroppedLinks links = pravella::linkDroppedFiles(dayFolder(), paths);
  for (int made = links.made; made > 0; --made) sound("Tink");
  // A memo whose tables could not come along is not linked, and the user hears why.
  if (!links.refused.isEmpty()) {
    sound("Basso");
    window_->statusBar()->showMessage(links.refused.join(QLatin1Char(' ')));
  }
  pravella::NotificationCenter::defaultCenter().post(QStringLiteral("showDiaryFiles"));
}

std::optional<QString> Calcndar::claimRowName(int row) const {
  // A name that is no UTF-8 takes the name it is listed with first: no path here can carry
  // bytes that are no text.
  const pravella::ClaimedName claimed = pravella::claimShownName(dayFolder(), diaryFiles_[row]);
  if (claimed.error.isEmpty()) return claimed.name;
  // Said where the user looks: the row stays, and nothing is opened in its place.
  window_->statusBar()->showMessage(claimed.error);
  return std::nullopt;
}

QMimeData* Calcndar::dragDataForRow(int row) const {
  if (row < 0 || row >= diaryFiles_.size()) return nullptr;
  const std::optional<QString> claimed = claimRowName(row);
  if (!claimed) return nullptr;
  const QString name = *claimed;
  auto* data = new QMimeData;
  data->setText(QStringLiteral(" [") + pravella::documentDisplayName(name) + QStringLiteral("] "));
  data->setData(QLatin1String(pravella::kBookmarkDragType), (dayFolder() + QLatin1Char('/') + name).toUtf8());
  return data;
}

// ---------------------------------------------------------------- opening

void Calcndar::showSelectedDiaryFile(int row) {
  if (!save()) return;
  openWhenLaunched_ = nullptr;  // another document is shown now
  setMoonImageView();
  if (toggleStatus_ == 11 || toggleStatus_ == 12 || toggleStatus_ == 15) closeAllToggleView();
  clearDocJumpInDoc();
  setDocBackGroundColor(compSelectedDate());
  pravella::NotificationCenter::defaultCenter().post(QStringLiteral("dispSunAndMoonRiseSet"));
  mainTextView* memo = window_->documentView();
  QLineEdit* field = window_->editingDiaryFileName();
  auto fresh = [&] {
    newDocument();
    memo->setFocus();
  };
  if (diaryFiles_.isEmpty()) return fresh();

  bool refused = false;  // a file that nothing here reads: the end sounds "Basso", not "Pop"
  if (row >= 0) {
    if (row >= diaryFiles_.size()) return fresh();
    const QString folder = dayFolder();
    const std::optional<QString> claimed = claimRowName(row);
    const QString name = claimed.value_or(diaryFiles_[row]);
    const QString path = folder + QLatin1Char('/') + name;
    auto& center = pravella::NotificationCenter::defaultCenter();
    using Viewer = pravella::DayDocumentViewer;
    const Viewer viewer = pravella::dayDocumentViewer(
        path, center.hasObservers(QString::fromLatin1(pravella::motion::kOpenMovieWindowNotification)));
    // A vanished file and a dangling link open a new memo.
    if (claimed && viewer == Viewer::Missing) return fresh();
    // A side window that is not there yet: it opens the file once made at start-up; one that
    // never comes leaves the file to the user's click (start-up starts no other program). After
    // start-up, the desktop opens it.
    auto postOrOpen = [&](const QString& notification, const QString& text) {
      if (center.hasObservers(notification))
        center.post(notification, text);
      else if (sideViewsComeLater_)
        openWhenLaunched_ = [this, notification, text, folder, name] {
          auto& center = pravella::NotificationCenter::defaultCenter();
          if (center.hasObservers(notification))
            center.post(notification, text);
          else
            showErrMessageToConsole(("No view here shows " + name + ".\n").toStdString());
        };
      else
        openWithDesktop(folder, name);
    };

    if (!claimed) {
      refused = true;  // the reason is in the status line
    } else if (viewer == Viewer::NotAFile) {
      // A named pipe or a device is listed, never read.
      const QString message = pravella::specialFileRefusal(name, pravella::specialFileKind(path));
      showErrMessageToConsole((message + QLatin1Char('\n')).toStdString());
      window_->statusBar()->showMessage(message);
      refused = true;
    } else if (viewer == Viewer::PlainText) {
      // Text files come in any of the Japanese encodings (our own export writes Shift JIS).
      const QString text = pravella::readTextFileForImport(path).value_or(QString());
      openTemplate();
      {
        LoadingGuard loading(loadingMemo_);
        const pravella::ParkedWhileLoading parked(memo);
        QTextCursor cursor(memo->document());
        cursor.select(QTextCursor::Document);
        cursor.insertText(text);  // typed with the template's attributes
      }
      nowDisplayedDocument_ = path;
      memoSlot_->clear();  // shown, never written
      field->setText(name);
      field->setReadOnly(true);
      memo->setReadOnly(true);
      window_->setWindowModified(false);
      adjustSaveDurtyButton();
    } else if (viewer == Viewer::PictureSheet) {
      nowDisplayedFileOnMemoSheet_ = path;
      postOrOpen(QStringLiteral("openPictViewAction"), QString());
    } else if (viewer == Viewer::MovieSheet) {
      nowDisplayedFileOnMemoSheet_ = path;
      postOrOpen(QStringLiteral("openMovieSheet"), QString());
    } else if (viewer == Viewer::WebSheet) {
      postOrOpen(QStringLiteral("openWebSheetAndConnectURL_X"), QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded));
    } else if (viewer == Viewer::RichText) {
      if (path != nowDisplayedDocument_) {
        openTemplate();
        const QString readPath = pravella::resolveSymbolicLink(path).value_or(path);
        {
          LoadingGuard loading(loadingMemo_);
          const pravella::ParkedWhileLoading parked(memo);
          if (!pravella::readRichTextFile(readPath, *memo->document()))
            showErrMessageToConsole(("The document " + path + " does not read as rich text.\n").toStdString());
        }
        nowDisplayedDocument_ = path;
        memoSlot_->shown(path);
        window_->setWindowModified(false);
        field->setText(pravella::withoutExtension(name));
        field->setReadOnly(false);
        memo->setReadOnly(false);
        QTableWidget* table = window_->diaryFileField();
        table->selectRow(row);
        table->scrollToItem(table->item(row, 0));
      }
    } else if (viewer == Viewer::Picture) {
      closeAllToggleView();
      openImage(path);
    } else if (viewer == Viewer::MovieWindow) {
      // A movie opens in the movie window titled with its file name.
      pravella::motion::openMovieWindowWithMovie(path, name);
    } else if (viewer == Viewer::MedicalImage) {
      postOrOpen(QStringLiteral("openMedImageAction"), path);
    } else if (viewer == Viewer::UnreadDicom) {
      // A medical image the viewer cannot read: say so, rather than hand it to whatever the
      // desktop opens unknown files with.
      const std::string message = unreadDicomMessage(name.toStdString(), unreadDicomKind(path.toStdString()));
      showErrMessageToConsole(message + "\n");
      window_->statusBar()->showMessage(QString::fromStdString(message));
      refused = true;
    } else {
      openWithDesktop(folder, name);
    }
    leaveOtherDaysDocument();
  }

  // Common end.
  if (nowDisplayedDocument_.isEmpty()) return fresh();
  QTextCursor start(memo->document());
  memo->setTextCursor(start);
  memo->ensureCursorVisible();
  setDocBackGroundColor(compSelectedDocumentDate(nowDisplayedDocument_));
  selectDiaryFileNameFromNameAction(fileNameOf(nowDisplayedDocument_));
  adjustSaveDurtyButton();
  showNumOfTextSize();
  sound(refused ? "Basso" : "Pop");
  memo->viewport()->update();
  // An open outline follows the shown document, and the bookmarks select its row.
  pravella::NotificationCenter::defaultCenter().post(QStringLiteral("showIndexAction"));
  pravella::NotificationCenter::defaultCenter().post(QStringLiteral("selectDocumentListOnBMTable"), nowDisplayedDocument_);
}

void Calcndar::showFirstDiaryFile() {
  // Another program starts only on the user's click on its document: a file of a kind nothing
  // here shows (a name made to look like an option or a command among them) must not start
  // one because its day was chosen. Such files are passed over.
  const bool movieWindows = pravella::NotificationCenter::defaultCenter().hasObservers(
      QString::fromLatin1(pravella::motion::kOpenMovieWindowNotification));
  int row = -1;
  for (int r = 0; r < diaryFiles_.size() && row < 0; ++r)
    if (pravella::showsContentItself(
            pravella::dayDocumentViewer(dayFolder() + QLatin1Char('/') + diaryFiles_[r], movieWindows)))
      row = r;
  // None: the row past the last one, which is a new memo (row -1 would keep the memo shown,
  // another day's document).
  showSelectedDiaryFile(row >= 0 ? row : static_cast<int>(diaryFiles_.size()));
}

void Calcndar::leaveOtherDaysDocument() {
  // A picture or any other kind opened beside the memo leaves the memo as it is, as long as
  // it is a document of the shown day: typing must never go into an earlier day's document
  // under this day's date. The memo was saved before the opening.
  if (nowDisplayedDocument_.isEmpty()) return;
  if (QDir::cleanPath(QFileInfo(nowDisplayedDocument_).absolutePath()) == QDir::cleanPath(dayFolder()))
    return;
  openTemplate();
}

void Calcndar::reloadShownDocument() {
  mainTextView* memo = window_->documentView();
  const int caret = memo->textCursor().position();
  const int scroll = memo->verticalScrollBar()->value();
  {
    LoadingGuard loading(loadingMemo_);
    const pravella::ParkedWhileLoading parked(memo);
    const QString readPath =
        pravella::resolveSymbolicLink(nowDisplayedDocument_).value_or(nowDisplayedDocument_);
    if (!pravella::readRichTextFile(readPath, *memo->document()))
      showErrMessageToConsole(
          ("The document " + nowDisplayedDocument_ + " does not read as rich text.\n").toStdString());
  }
  window_->setWindowModified(false);
  if (autoSaveTimer_) autoSaveTimer_->stop();
  QTextCursor c(memo->document());
  c.setPosition(std::clamp(caret, 0, std::max(0, memo->document()->characterCount() - 1)));
  memo->setTextCursor(c);
  memo->verticalScrollBar()->setValue(scroll);
  adjustSaveDurtyButton();
  showNumOfTextSize();
}

void Calcndar::selectDiaryFileFromNameAction(const QString& name) {
  const QString wanted = pravella::documentDisplayName(name);
  for (int row = 0; row < diaryFiles_.size(); ++row) {
    if (pravella::documentDisplayName(diaryFiles_[row]) != wanted) continue;
    window_->diaryFileField()->selectRow(row);
    showSelectedDiaryFile(row);
    return;
  }
}

void Calcndar::selectDiaryFileNameFromNameAction(const QString& name) {
  QTableWidget* table = window_->diaryFileField();
  const qsizetype row = diaryFiles_.indexOf(name);
  if (row < 0) return;
  table->selectRow(static_cast<int>(row));
  table->scrollToItem(table->item(static_cast<int>(row), 0));
}

void Calcndar::selectDiaryWithOption(bool option) { selectDiaryWithOptionStatus_ = option; }

void Calcndar::selectDiaryFileAction() {
  const int column = clickedColumn_;
  clickedColumn_ = -1;
  const int row = selectedRow();
  pravella::NotificationCenter::defaultCenter().post(QStringLiteral("changeToOriginalView"));
  if (row >= 0 && row < diaryFiles_.size() && (column == 0 || selectDiaryWithOptionStatus_)) {
    const std::optional<QString> claimed = claimRowName(row);
    if (!claimed) return sound("Basso");
    const QString name = *claimed;
    if (column == 0) {
      const QString ext = pravella::fileExtension(name);
      if (ext == QLatin1String("webarchive") || ext == QLatin1String("pdf"))
        openWebarchiveOnWebBrowserFromName(dayFolder() + QLatin1Char('/') + name);
      else
        openDocumentOnMemoForNumberSelect(row);
    } else {
      selectDiaryWithOptionStatus_ = false;
      sound("Tink");
      openWithDesktop(dayFolder(), name);
    }
    // The shown document stays shown.
    selectDiaryFileNameFromNameAction(fileNameOf(nowDisplayedDocument_));
    if (QTableWidgetItem* item = window_->diaryFileField()->item(row, 0))
      window_->diaryFileField()->scrollToItem(item);
    return;
  }
  showSelectedDiaryFile(row);
  addDocumentToRireki(nowDisplayedDocument_);
}

void Calcndar::openDocumentOnMemoForNumberSelect(int row) {
  if (row < 0 || row >= diaryFiles_.size()) return;
  const QString name = diaryFiles_[row];
  const QString ext = pravella::fileExtension(name);
  if (ext != QLatin1String("TXT") && ext != QLatin1String("txt") && ext != QLatin1String("rtf") &&
      ext != QLatin1String("rtfd"))
    return;
  if (clickNumberOnDiaryFileTable_ == 1) {
    openDocumentOnMemo(dayFolder() + QLatin1Char('/') + name);
  } else if (clickNumberOnDiaryFileTable_ == 2) {
    sound("Tink");
    openWithDesktop(dayFolder(), name);
  }
}

void Calcndar::openWebarchiveOnWebBrowserFromName(const QString& path) {
  // Built from the local path, so that "#", "%", "?", blanks and non-ASCII names survive as
  // part of the path instead of being read as the address's own delimiters.
  const QString address = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
  sound("Tink");
  // The desktop's browser takes the address.
  if (!opener_(QStringLiteral("xdg-open"), {address}, dayFolder()))
    showErrMessageToConsole("Can not open the address with xdg-open.\n");
}

void Calcndar::openImage(const QString& path) {
  QImageReader reader(path);
  reader.setAutoTransform(true);
  const QImage image = reader.read();
  if (image.isNull()) return;
  showPictureView(image);
}

void Calcndar::fileListTableUp() {
  QTableWidget* table = window_->diaryFileField();
  const int row = selectedRow() - 1;
  if (row < 0) {
    sound("Basso");
    return;
  }
  table->selectRow(row);
  showSelectedDiaryFile(row);
  addDocumentToRireki(nowDisplayedDocument_);
}

void Calcndar::fileListTableDown() {
  QTableWidget* table = window_->diaryFileField();
  const int row = selectedRow() + 1;
  if (row >= table->rowCount()) {
    sound("Basso");
    return;
  }
  table->selectRow(row);
  showSelectedDiaryFile(row);
  addDocumentToRireki(nowDisplayedDocument_);
}

// ---------------------------------------------------------------- new documents

void Calcndar::openTemplate() {
  mainTextView* memo = window_->documentView();
  // Every change of the memo's document comes here first; runs still going finish into the
  // document they came from (saved just before), not into the next one.
  memo->abandonPendingOutput(nowDisplayedDocument_);
  {
    LoadingGuard loading(loadingMemo_);
    const pravella::ParkedWhileLoading parked(memo);
    QString path = pravella::paths::preferences() + QStringLiteral("/template.rtf");
    if (!QFileInfo::exists(path)) path = pravella::paths::resource(QStringLiteral("template.rtf"));
    if (!QFileInfo::exists(path) || !pravella::readRichTextFile(path, *memo->document()))
      memo->document()->clear();
  }
  window_->setWindowModified(false);
  // What the status line said of the document shown before is over with it.
  pravella::clearChangedElsewhere(memo, nowDisplayedDocument_);
  clearTrashedNotice();
  nowDisplayedDocument_.clear();
  memoSlot_->clear();
  window_->editingDiaryFileName()->setText(QString());
  // A plain text document shown before made the field read-only; a new memo's name is typed.
  window_->editingDiaryFileName()->setReadOnly(false);
  checkFileName();
  memo->setReadOnly(false);
  adjustSaveDurtyButton();
  showNumOfTextSize();
  memo->viewport()->update();
}

void Calcndar::newDocument() {
  if (!save()) return;
  showDiaryFiles();
  window_->documentView()->setFocus();
  deleteDocumentView();
  // The bookmarks no longer select the row of the document shown before.
  pravella::NotificationCenter::defaultCenter().post(QStringLiteral("selectDocumentListOnBMTable"),
                                                     QString());
}

void Calcndar::newFileAction() {
  if (!redirectToFinder("newTextOnFinderSheet")) newDocument();
}

void Calcndar::deleteDocumentView() { openTemplate(); }

// ---------------------------------------------------------------- saving

namespace {

// Keys typed behind a move to the end of a long memo belong to the document shown: they go in
// before it is written.
void takeKeysWaitingForTheLayout(mainTextView* memo) {
  if (pravella::LongMemoMoves* moves = pravella::LongMemoMoves::of(memo)) moves->finishNow(false);
}

}  // namespace

bool Calcndar::save() {
  takeKeysWaitingForTheLayout(window_->documentView());
  return saveDocument(true);
}

bool Calcndar::save_2() {
  takeKeysWaitingForTheLayout(window_->documentView());
  return saveDocument(false);
}

pravella::DocumentSave Calcndar::writeMemo(const QString& path) {
  const pravella::DocumentSave saved = pravella::saveDocumentGuarded(
      *memoSlot_, path,
      [this](const QString& target) {
        pravella::WriteResult written;
        written.ok = saveWithSymbolicLink(target);
        if (!written.ok) written.error = lastWriteError_;
        return written;
      },
      window_);
  // The memo keeps its edited mark: nothing of it is lost, and the user knows.
  if (!saved.ok()) {
    QString message = saved.error;
    if (!saved.recovered.isEmpty())
      message += QStringLiteral("\nThe text was kept in %1 until it can be saved.").arg(saved.recovered);
    alert(QStringLiteral("Can't save the document !"), message, {QStringLiteral("OK")});
  }
  return saved;
}

bool Calcndar::saveWithSymbolicLink(const QString& path) {
  QString target = path;
  if (QFileInfo(path).isSymLink()) {
    const std::optional<QString> resolved = pravella::resolveSymbolicLink(path);
    if (!resolved) {
      lastWriteError_ = QStringLiteral("%1 is a chain of links that does not end.").arg(path);
      return false;
    }
    if (QFileInfo::exists(*resolved)) target = *resolved;
  }
  const pravella::WriteResult written = pravella::writeRtfdFile(target, *window_->documentView()->document());
  if (!written) {
    lastWriteError_ = written.error;
    showErrMessageToConsole((written.error + QLatin1Char('\n')).toStdString());
  } else if (!written.warning.isEmpty()) {
    // Saved: the memo counts as saved, and the user hears of the doubt.
    window_->statusBar()->showMessage(written.warning);
    showErrMessageToConsole((written.warning + QLatin1Char('\n')).toStdString());
  }
  return written.ok;
}

namespace {

// `path`, or when something is there, the first free "stem_N.rtfd" beside it.
QString freeDocumentPath(const QString& path) {
  if (!entryExists(path)) return path;
  const QString stem = pravella::withoutExtension(path);
  for (int n = 1;; ++n) {
    const QString candidate = stem + QStringLiteral("_%1.rtfd").arg(n);
    if (!entryExists(candidate)) return candidate;
  }
}

}  // namespace

bool Calcndar::saveDocument(bool withPanel) {
  mainTextView* memo = window_->documentView();
  QLineEdit* field = window_->editingDiaryFileName();
  // Only the first line: the whole text of a long memo takes a while to copy.
  QString firstLine = memo->document()->firstBlock().text();
  firstLine = firstLine.left(firstLine.indexOf(QChar::LineSeparator));
  firstLine.replace(QChar::Nbsp, QLatin1Char(' '));
  if (autoSaveTimer_) autoSaveTimer_->stop();
  if (!window_->isWindowModified()) return true;
  // A typed "/" would reach into another folder, a leading "." hide the document for good.
  checkFileName();
  QString name = field->text();

  if (name.isEmpty()) {
    QString given = pravella::nameForNewMemo(firstLine, clock_());
    // A first line that asks for a name ("■ ") gets the time's when no one can be asked.
    if (given.isEmpty() && endingUnattended_) given = pravella::nameForNewMemo(QString(), clock_());
    field->setText(given);
    checkFileName();
    name = field->text();
  }
  const QString folder = dayFolder();
  const QString base = folder + QLatin1Char('/') + name;
  const QString rtfdPath = base + QStringLiteral(".rtfd");

  if (!nowDisplayedDocument_.isEmpty()) {
    const QString ext = pravella::fileExtension(fileNameOf(nowDisplayedDocument_));
    QString target;
    if (ext == QLatin1String("rtfd"))
      target = nowDisplayedDocument_;
    else if (ext == QLatin1String("rtf"))
      target = folder + QLatin1Char('/') + pravella::withoutExtension(name) + QStringLiteral(".rtfd");
    else
      target = rtfdPath;
    // A package made from another kind of document never replaces a document already there.
    if (target != nowDisplayedDocument_) target = freeDocumentPath(target);
    const pravella::DocumentSave saved = writeMemo(target);
    if (!saved.ok()) return false;
    // The user kept the file as another view or program left it: the memo shows it again.
    if (saved.outcome == pravella::SaveOutcome::KeptDisk) return true;
    nowDisplayedDocument_ = saved.path;
    return finishSave(saved.path, false);
  }

  // A name given with its ".rtfd" is the package itself: that is the name that must be free.
  const QString newPath = name.endsWith(QLatin1String(".rtfd")) ? base : rtfdPath;
  const bool nameFree = !entryExists(newPath);
  // Ending without anyone to answer a panel, a taken name saves beside the other document.
  if (endingUnattended_ && withPanel && !nameFree) {
    if (!makeSelectedDayFolder(selectedDay_)) return keepMemoInRecovery(newPath);
    const pravella::DocumentSave saved = writeMemo(pravella::keepBothPath(newPath));
    if (!saved.ok()) return false;
    nowDisplayedDocument_ = saved.path;
    return finishSave(saved.path, false);
  }
  if (!name.isEmpty() && (nameFree || !withPanel)) {
    if (!makeSelectedDayFolder(selectedDay_)) {
      keepMemoInRecovery(newPath);
      alert(QStringLiteral("Can't create a diary folder !"), folder, {QStringLiteral("OK")});
      return false;
    }
    QString written = newPath;
    // An import never writes over a document that is already there.
    if (!withPanel) written = freeDocumentPath(written);
    if (!writeMemo(written).ok()) return false;
    nowDisplayedDocument_ = folder + QLatin1Char('/') + fileNameOf(written);
    return finishSave(nowDisplayedDocument_, false);
  }
  if (!withPanel) return true;

  if (!makeSelectedDayFolder(selectedDay_)) {
    // Nothing was saved: a change of day must not go on and drop the memo.
    alert(QStringLiteral("Can't create a diary folder !"), folder, {QStringLiteral("OK")});
    return false;
  }
  QString chosen = chooseNewDocumentPath(folder, name);
  if (chosen.isEmpty()) return false;
  if (!writeMemo(chosen).ok()) return false;
  nowDisplayedDocument_ = QFileInfo(chosen).absolutePath() + QLatin1Char('/') + fileNameOf(chosen);
  finishSave(nowDisplayedDocument_, true);
  return true;
}

bool Calcndar::keepMemoInRecovery(const QString& intended) {
  if (!pravella::UnattendedSaves::active()) return false;
  // The same path a failed write of the document takes (saveDocumentGuarded).
  const pravella::Recovery kept = pravella::keepInRecovery(intended, [this](const QString& path) {
    return pravella::writeRtfdFile(path, *window_->documentView()->document());
  });
  if (kept.ok) pravella::EditJournal::covered(*memoSlot_);
  if (kept.ok)
    showErrMessageToConsole(QStringLiteral("Pravella: the folder of \"%1\" could not be made; the edit was kept in %2\n")
                                .arg(intended, kept.path)
                                .toStdString());
  else
    showErrMessageToConsole(QStringLiteral("Pravella: the edit of \"%1\" is not saved: its folder could not be "
                                           "made; nor in any recovery folder: %2\n")
                                .arg(intended, kept.error)
                                .toStdString());
  return false;
}

QString Calcndar::chooseNewDocumentPath(const QString& folder, const QString& proposed) {
  QString name = proposed;
  for (;;) {
    QString chosen = savePanel_(QStringLiteral("Diary New Document Save"), folder, name);
    if (chosen.isEmpty()) return {};
    // The panel sees the name without the package's extension, so it cannot see a clash with
    // the package: the question is asked here, before anything is written.
    if (pravella::fileExtension(fileNameOf(chosen)) != QLatin1String("rtfd"))
      chosen += QStringLiteral(".rtfd");
    if (!entryExists(chosen)) return chosen;
    const QString file = fileNameOf(chosen);
    // The question names everything that goes, the tables and pages that go along too.
    const QString along = pravella::companionsGoingNote(chosen);
    const int answer = alert(QStringLiteral("\u201c%1\u201d already exists.").arg(file),
                             QStringLiteral("Do you want to replace it? \"%1\"%2 goes to the Trash.")
                                 .arg(file, along.isEmpty() ? along : along + QLatin1Char(',')),
                             {QStringLiteral("Cancel"), QStringLiteral("Replace")});
    if (answer == 1) {
      // Never simply overwritten: the old document can be taken back out of the Trash.
      if (deleteFileToTrash(chosen)) {
        pravella::tellDocumentTrashed(chosen);
        deleteDocumentToRireki(chosen);
        return chosen;
      }
      alert(QStringLiteral("Can't delete the document !"), lastWriteError_, {QStringLiteral("OK")});
    }
    // Another name, then: the panel again with the name the user gave.
    name = pravella::withoutExtension(file);
  }
}

bool Calcndar::finishSave(const QString& savedPath, bool fromPanel) {
  clearTrashedNotice();
  refreshCalendar();
  showDiaryFiles();
  window_->setWindowModified(false);
  QLineEdit* field = window_->editingDiaryFileName();
  field->setText(pravella::withoutExtension(fileNameOf(savedPath)));
  field->setReadOnly(false);
  selectDiaryFileNameFromNameAction(fileNameOf(savedPath));
  sound("Tink");
  if (!fromPanel) adjustSaveDurtyButton();
  addDocumentToRireki(savedPath);
  if (fromPanel) {
    showDiaryFiles();
    selectDiaryFileNameFromNameAction(fileNameOf(savedPath));
    adjustSaveDurtyButton();
  }
  return true;
}

void Calcndar::saveDocAction() {
  // Wherever the focus is in the window (a drawer's field too), Save saves the memo, and the
  // side views that keep a text of their own save theirs with it.
  if (!saveSideViewTexts()) alert(QStringLiteral("Can't save the memo sheet !"), QString(), {QStringLiteral("OK")});
  save();
}

// ---------------------------------------------------------------- names

void Calcndar::checkFileName() {
  QLineEdit* field = window_->editingDiaryFileName();
  const QString cleaned = pravella::cleanDocumentName(field->text());
  if (cleaned != field->text()) field->setText(cleaned);
}

bool Calcndar::moveDocument(const QString& oldPath, const QString& newPath) {
  // A refused rename says why: the field or the row only goes back to the old name.
  if (entryExists(newPath)) {
    showErrMessageToConsole(("Can not rename: " + newPath + " already exists.\n").toStdString());
    alert(QStringLiteral("Can't rename the document !"),
          QStringLiteral("\"%1\" already exists in this day's folder. Choose another name.")
              .arg(pravella::documentDisplayName(fileNameOf(newPath))),
          {QStringLiteral("OK")});
    return false;
  }
  // An open table is written before its folder moves with the memo.
  if (toggleStatus_ == 15) closeAllToggleView();
  // The memo's tables and pages go with it, or nothing moves.
  const pravella::DocumentMove moved = pravella::moveDocumentWithCompanions(oldPath, newPath);
  if (!moved.ok) {
    showErrMessageToConsole(
        ("Can not rename " + oldPath + " to " + newPath + ": " + moved.error + "\n").toStdString());
    alert(QStringLiteral("Can't rename the document !"), moved.error, {QStringLiteral("OK")});
    return false;
  }
  // Bookmarks and launcher items follow only a move that happened.
  pravella::tellDocumentMoved(oldPath, newPath);
  if (nowDisplayedDocument_ == oldPath) {
    nowDisplayedDocument_ = newPath;
    memoSlot_->shown(newPath);
    // A rename in the table must not leave the old name in the field, where Return would restore it.
    window_->editingDiaryFileName()->setText(pravella::withoutExtension(fileNameOf(newPath)));
  }
  deleteDocumentToRireki(oldPath);
  addDocumentToRireki(newPath);
  showDiaryFiles();
  selectDiaryFileFromNameAction(fileNameOf(newPath));
  return true;
}

void Calcndar::followMovedDocument(const QString& path) {
  nowDisplayedDocument_ = path;
  // The field names what a save writes; the old name there would make the document again.
  window_->editingDiaryFileName()->setText(pravella::withoutExtension(fileNameOf(path)));
  refreshDiaryFilesAfterMove();
}

void Calcndar::keepTrashedDocumentAsMemo() {
  const QString name = pravella::documentDisplayName(fileNameOf(nowDisplayedDocument_));
  nowDisplayedDocument_.clear();
  QLineEdit* field = window_->editingDiaryFileName();
  field->clear();
  field->setReadOnly(false);
  window_->documentView()->setReadOnly(false);
  window_->setWindowModified(true);
  adjustSaveDurtyButton();
  refreshDiaryFilesAfterMove();
  trashedNotice_ =
      QStringLiteral("\"%1\" went to the Trash; its text stays here as a new memo, not saved.").arg(name);
  window_->statusBar()->showMessage(trashedNotice_);
}

void Calcndar::clearTrashedNotice() {
  // Once the memo is saved or replaced, the line no longer holds.
  if (!trashedNotice_.isEmpty() && window_->statusBar()->currentMessage() == trashedNotice_)
    window_->statusBar()->clearMessage();
  trashedNotice_.clear();
}

void Calcndar::refreshDiaryFilesAfterMove() {
  // A day whose last memo went elsewhere loses its mark.
  refreshCalendar();
  // A day without a folder has nothing to show again, and must not get one from this.
  if (!QFileInfo(dayFolder()).isDir()) return;
  showDiaryFiles();
  if (!nowDisplayedDocument_.isEmpty()) selectDiaryFileNameFromNameAction(fileNameOf(nowDisplayedDocument_));
}

void Calcndar::saveTitleAction() {
  QLineEdit* field = window_->editingDiaryFileName();
  // A plain text document's name is shown, not offered for renaming.
  if (field->isReadOnly()) return;
  checkFileName();
  QString name = field->text();
  if (nowDisplayedDocument_.isEmpty()) {
    save();
    return;
  }
  if (name.isEmpty()) {
    field->setText(pravella::withoutExtension(fileNameOf(nowDisplayedDocument_)));
    name = field->text();
  }
  if (window_->isWindowModified()) {
    if (!save()) return;
    selectDiaryFileFromNameAction(fileNameOf(nowDisplayedDocument_));
  }
  // The document renamed is the one now shown (a saved .rtf is shown as its new .rtfd), and
  // it keeps its kind.
  const QString oldPath = dayFolder() + QLatin1Char('/') + fileNameOf(nowDisplayedDocument_);
  const QString newName = pravella::fieldRenameTarget(fileNameOf(oldPath), name);
  const QString newPath = dayFolder() + QLatin1Char('/') + newName;
  field->setText(pravella::withoutExtension(newName));
  // A refused rename leaves the field showing the name the document still has.
  if (newPath != oldPath && !moveDocument(oldPath, newPath))
    field->setText(pravella::withoutExtension(fileNameOf(oldPath)));
  window_->documentView()->setFocus();
}

void Calcndar::renameDiaryFileRow(int row, const QString& typedValue) {
  if (selectDiaryWithOptionStatus_ || row < 0 || row >= diaryFiles_.size()) return;
  const std::optional<QString> claimed = claimRowName(row);
  if (!claimed) return showDiaryFiles();
  const QString oldName = *claimed;
  // The kind a special file is listed with is no part of its name.
  QString value = typedValue;
  if (const QString kind = pravella::specialFileKind(dayFolder() + QLatin1Char('/') + oldName); !kind.isEmpty())
    if (const QString shown = QStringLiteral("  [%1]").arg(kind); value.endsWith(shown)) value.chop(shown.size());
  const QString typed = pravella::cleanDocumentName(value);
  if (typed.isEmpty() || typed == oldName) return showDiaryFiles();
  const QString newName = pravella::tableRenameTarget(oldName, typed);
  const QString oldPath = dayFolder() + QLatin1Char('/') + oldName;
  const QString newPath = dayFolder() + QLatin1Char('/') + newName;
  // Edits of the shown document are saved before its file moves.
  if (oldPath == nowDisplayedDocument_ && !save()) return showDiaryFiles();
  if (newPath == oldPath || !moveDocument(oldPath, newPath)) showDiaryFiles();
}

// ---------------------------------------------------------------- edits and timers

void Calcndar::textDidChange() {
  if (loadingMemo_) return;
  window_->setWindowModified(true);
  adjustSaveDurtyButton();
  showNumOfTextSize();
  if (autoSaveTimer_)
    autoSaveTimer_->start(kAutoSaveSeconds, [this] {
      // No one is asked whether to write over a file changed meanwhile: both are kept.
      const pravella::UnattendedSaves quiet;
      // Not while keys wait for a long memo's layout: they come in later, and start this
      // timer again.
      if (const auto* moves = pravella::LongMemoMoves::of(window_->documentView()); moves && moves->walking())
        return;
      save();
    });
  // Search marks go at the first edit after them.
  if (tmpBackGroundColorStatus_) pravella::clearTemporaryHighlights(window_->documentView());
  tmpBackGroundColorStatus_ = false;
  // The open outline catches up a second after the typing stops, never in the middle of a
  // character being composed by an input method.
  const QTextCursor caret = window_->documentView()->textCursor();
  if (toggleStatus_ == 8 && caret.block().layout() && caret.block().layout()->preeditAreaText().isEmpty())
    indexRefresh_.start();
}

namespace {

QAbstractButton* functionButton(pravella::MainWindow* window, int number) {
  return number > 0 ? window->memoMenuButtons()->button(number - 1) : nullptr;
}

}  // namespace

void Calcndar::adjustSaveDurtyButton() {
  const bool edited = window_->isWindowModified();
  if (QAbstractButton* b = functionButton(window_, saveButtonNumber_)) b->setEnabled(edited);
  if (QAbstractButton* b = functionButton(window_, mihensyuButtonNumber_)) b->setEnabled(edited);
}

void Calcndar::noDurtyAction() {
  if (autoSaveTimer_) autoSaveTimer_->stop();
  window_->setWindowModified(false);
  adjustSaveDurtyButton();
  sound("Tink");
}

// ---------------------------------------------------------------- deleting

void Calcndar::deleteFileAction() {
  const int row = selectedRow();
  if (row < 0 || row >= diaryFiles_.size()) return;
  const std::optional<QString> claimed = claimRowName(row);
  if (!claimed) return sound("Basso");
  const QString name = *claimed;
  // The question names the document itself: a title bar is easily not read.
  const int answer = alert(QStringLiteral("Delete : ") + name,
                           QStringLiteral("Do you want to delete this document, \"%1\"%2?")
                               .arg(pravella::documentDisplayName(name),
                                    pravella::companionsGoingNote(dayFolder() + QLatin1Char('/') + name)),
                           {QStringLiteral("Cancel"), QString(), QStringLiteral("Delete")});
  alertSheetDidDismissForDelete(answer, dayFolder() + QLatin1Char('/') + name);
}

void Calcndar::alertSheetDidDismissForDelete(int answer, const QString& path) {
  if (answer != 2) return;
  // Exactly the file the user chose goes; the same name's index and table packages go along,
  // unless another document of that name still uses them.
  const pravella::DocumentTrash trashed = pravella::trashDocumentWithCompanions(path, clock_());
  for (const QString& error : trashed.errors)
    showErrMessageToConsole((error + QLatin1Char('\n')).toStdString());
  if (!trashed.document.ok) {
    lastWriteError_ = trashed.document.error;
    showErrMessageToConsole((lastWriteError_ + QLatin1Char('\n')).toStdString());
    alert(QStringLiteral("Can't delete the document !"), lastWriteError_, {QStringLiteral("OK")});
    return;
  }
  deleteDocumentToRireki(path);
  refreshCalendar();
  if (path == nowDisplayedDocument_) {
    window_->setWindowModified(false);  // its edits went with it, as asked
    nowDisplayedDocument_.clear();
    showDiaryFiles();
    deleteDocumentView();
    openRirekiDocument();
  } else {
    // Another document went: the memo, saved or not, stays as it is.
    showDiaryFiles();
    selectDiaryFileNameFromNameAction(fileNameOf(nowDisplayedDocument_));
  }
  adjustRirekiButton();
  sound("Basso");
  // Other views of it keep their text; the memo, which showed it, has let it go as asked.
  pravella::tellDocumentTrashed(path);
  pravella::NotificationCenter::defaultCenter().post(QStringLiteral("showIndexAction"));
}

bool Calcndar::deleteFileToTrash(const QString& path) {
  // A replaced document's tables and pages go with it (unless another document of that name
  // still uses them): left behind, the new memo of that name would take them up.
  const pravella::DocumentTrash trashed = pravella::trashDocumentWithCompanions(path, clock_());
  for (const QString& error : trashed.errors) showErrMessageToConsole((error + QLatin1Char('\n')).toStdString());
  if (!trashed.document.ok) {
    lastWriteError_ = trashed.document.error;
    showErrMessageToConsole((lastWriteError_ + QLatin1Char('\n')).toStdString());
  }
  return trashed.document.ok;
}

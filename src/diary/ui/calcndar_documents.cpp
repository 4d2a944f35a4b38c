// The selected day's document list. Opening, saving, renaming and deleting day documents and
// the history come with the day documents; until then the controller lists the day's names
// and keeps the shown memo as it is.

#include <QDir>
#include <QHeaderView>
#include <QTableWidget>

#include "diary/day_folders.h"
#include "diary/ui/calcndar.h"
#include "diary/ui/main_window.h"
#include "editors/ui/main_text_view.h"
#include "platform/cformat.h"
#include "platform/console_log.h"
#include "platform/notification_center.h"
#include "platform/paths.h"

void Calcndar::showDiaryFiles() {
  const QString folder =
      pravella::paths::dayFolder(selectedDay_.year(), selectedDay_.month(), selectedDay_.day());
  if (!QDir::setCurrent(folder)) makeSelectedDayFolder(selectedDay_);
  getDiaryFilesList(folder);
  setDateToDiaryFilesTableHeader(QString::fromStdString(
      pravella::cformat("%4d/%02d/%02d (%d)", selectedDay_.year(), selectedDay_.month(), selectedDay_.day(),
                        static_cast<int>(diaryFiles_.size()))));

  QTableWidget* table = window_->diaryFileField();
  table->clearSelection();
  table->setRowCount(static_cast<int>(diaryFiles_.size()));
  for (int row = 0; row < diaryFiles_.size(); ++row) {
    auto* number = new QTableWidgetItem(QString::number(row + 1));
    number->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    table->setItem(row, 0, number);
    // An rtfd package is listed without its extension.
    QString name = diaryFiles_[row];
    if (name.endsWith(QLatin1String(".rtfd"))) name.chop(5);
    table->setItem(row, 1, new QTableWidgetItem(name));
  }
}

void Calcndar::getDiaryFilesList(const QString& folder) { diaryFiles_ = pravella::listDiaryFiles(folder); }

void Calcndar::setDateToDiaryFilesTableHeader(const QString& text) {
  QTableWidget* table = window_->diaryFileField();
  if (QTableWidgetItem* header = table->horizontalHeaderItem(1)) header->setText(text);
  table->viewport()->update();
}

void Calcndar::showSelectedDiaryFile(int /*row*/) {
  if (!save()) return;
  setMoonImageView();
  setDocBackGroundColor(compSelectedDate());
  pravella::NotificationCenter::defaultCenter().post(QStringLiteral("dispSunAndMoonRiseSet"));
  // Opening the row's document comes with the day documents.
}

bool Calcndar::save() {
  if (!window_->isWindowModified()) return true;
  // Saving day documents comes with the day documents. Until then an edited memo is never
  // reported as saved: whatever asked for the save (a change of day, the quit) stops.
  showErrMessageToConsole("The memo is not saved: saving day documents is not available yet.\n");
  return false;
}

void Calcndar::addDocumentToRireki(const QString& /*path*/) {
  // The document history comes with the day documents; an empty path is ignored in any case.
}

void Calcndar::closeAllToggleView() {
  // The main window has no side views yet.
}

void Calcndar::selectDiaryWithOption(bool option) { selectDiaryWithOptionStatus_ = option; }

void Calcndar::selectDiaryFileAction() {
  QTableWidget* table = window_->diaryFileField();
  const QModelIndexList rows = table->selectionModel()->selectedRows();
  showSelectedDiaryFile(rows.isEmpty() ? -1 : rows.first().row());
  addDocumentToRireki(nowDisplayedDocument_);
}

void Calcndar::fileListTableUp() {
  QTableWidget* table = window_->diaryFileField();
  const int row = table->currentRow() - 1;
  if (row < 0) return;  // "Basso" once the application has sounds
  table->selectRow(row);
  showSelectedDiaryFile(row);
  addDocumentToRireki(nowDisplayedDocument_);
}

void Calcndar::fileListTableDown() {
  QTableWidget* table = window_->diaryFileField();
  const int row = table->currentRow() + 1;
  if (row >= table->rowCount()) return;  // "Basso" once the application has sounds
  table->selectRow(row);
  showSelectedDiaryFile(row);
  addDocumentToRireki(nowDisplayedDocument_);
}

void Calcndar::deleteFileAction() {
  // Deleting day documents (to the Trash, after a question) comes with the day documents.
  showErrMessageToConsole("Deleting day documents is not available yet.\n");
}

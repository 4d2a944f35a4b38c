// The month list table's display: colours by mode, sorting by a header click, moving through
// the rows with the arrow keys and dragging a row out as a document link or a file.

#include <QHeaderView>
#include <QMimeData>
#include <QTableWidget>
#include <QUrl>

#include <algorithm>

#include "diary/calendar_arithmetic.h"
#include "diary/day_documents.h"
#include "diary/ui/calcndar.h"
#include "diary/ui/month_diary_drawer.h"
#include "diary/ui/pravella.h"

namespace {

struct Rgb {
  float r, g, b;
  QColor colour() const { return QColor::fromRgbF(r, g, b, 1.0f); }
};

// Text of even rows, text of odd rows, text of future days, background of odd rows, of even rows.
constexpr Rgb kEvenText{0.5f, 0.1f, 0.2f};
constexpr Rgb kOddText{0.0f, 0.1f, 0.5f};
constexpr Rgb kFutureText{1.0f, 0.0f, 0.0f};
constexpr Rgb kOddBackground{1.0f, 1.0f, 1.0f};
constexpr Rgb kEvenBackground{0.93f, 0.93f, 0.93f};

double mjdOf(int year, int month, int day) {
  double mjd = 0;
  calc_mjd(year, month, day, 0, 0, 0, &mjd);
  return mjd;
}

}  // namespace

void Pravella::colourRow(int row) {
  QTableWidget* table = drawer_->monthDiaryField();
  const QStringList day = tableArray_[static_cast<size_t>(row)].day.split(QLatin1Char('/'));
  const int mode = changeTableViewFontColor_;
  for (int column = 0; column < table->columnCount(); ++column) {
    QTableWidgetItem* item = table->item(row, column);
    if (!item) continue;
    item->setData(Qt::ForegroundRole, QVariant());
    item->setData(Qt::BackgroundRole, QVariant());
  }
  if (day.size() != 3 || mode == 0) return;
  const bool even = row % 2 == 0;
  QColor text, background;
  if (mode == 1 || mode == 3) {
    const QDate today = calcndar_->today();
    const double rowDay = mjdOf(static_cast<int>(pravella::leadingInteger(day[0])),
                                static_cast<int>(pravella::leadingInteger(day[1])),
                                static_cast<int>(pravella::leadingInteger(day[2])));
    const bool future = rowDay > mjdOf(today.year(), today.month(), today.day());
    text = (future ? kFutureText : even ? kEvenText : kOddText).colour();
  }
  if (mode == 2 || mode == 3) background = (even ? kEvenBackground : kOddBackground).colour();
  for (int column = 0; column < table->columnCount(); ++column) {
    QTableWidgetItem* item = table->item(row, column);
    if (!item) continue;
    if (text.isValid()) item->setForeground(text);
    if (background.isValid()) item->setBackground(background);
  }
}

void Pravella::changeTableFontForeColor(const QString& mode) {
  bool ok = false;
  const int n = mode.trimmed().toInt(&ok);
  changeTableViewFontColor_ = ok && n >= 0 && n <= 3 ? n : 0;
  reloadTable();
}

void Pravella::toggleTableFontForeColor() {
  changeTableViewFontColor_ = (changeTableViewFontColor_ + 1) % 4;
  reloadTable();
}

void Pravella::didClickTableColumn(int column) {
  if (column < 0 || column > 1) return;
  sortAscending_ = column == sortColumn_ ? !sortAscending_ : true;
  sortColumn_ = column;
  QTableWidget* table = drawer_->monthDiaryField();
  const QModelIndexList selected = table->selectionModel()->selectedRows();
  std::optional<pravella::MonthListEntry> kept;
  if (!selected.isEmpty() && selected.first().row() < static_cast<int>(tableArray_.size()))
    kept = tableArray_[static_cast<size_t>(selected.first().row())];
  const bool ascending = sortAscending_;
  std::stable_sort(tableArray_.begin(), tableArray_.end(), [&](const auto& a, const auto& b) {
    const int c = column == 0 ? a.day.compare(b.day) : a.diaryFiles.compare(b.diaryFiles);
    return ascending ? c < 0 : c > 0;
  });
  table->horizontalHeader()->setSortIndicatorShown(true);
  table->horizontalHeader()->setSortIndicator(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
  table->clearSelection();
  reloadTable();
  if (kept) selectDocumentListOnMonthTableWithString(kept->day, kept->diaryFiles);
  table->viewport()->update();
}

void Pravella::selectDocumentListOnMonthTableWithString(const QString& day, const QString& fileName) {
  for (int row = 0; row < static_cast<int>(tableArray_.size()); ++row) {
    const pravella::MonthListEntry& e = tableArray_[static_cast<size_t>(row)];
    if (e.day == day && e.diaryFiles == fileName) {
      QTableWidget* table = drawer_->monthDiaryField();
      table->selectRow(row);
      table->scrollToItem(table->item(row, 0));
      return;
    }
  }
}

void Pravella::selectRowAndShow(int row) {
  QTableWidget* table = drawer_->monthDiaryField();
  if (row < 0 || row >= static_cast<int>(tableArray_.size())) {
    sound("Basso");
    return;
  }
  table->selectRow(row);
  table->scrollToItem(table->item(row, 0));
  selectMonthDiaryAction();
}

void Pravella::monthTableListUp() {
  const QModelIndexList rows = drawer_->monthDiaryField()->selectionModel()->selectedRows();
  selectRowAndShow((rows.isEmpty() ? -1 : rows.first().row()) - 1);
}

void Pravella::monthTableListDown() {
  const QModelIndexList rows = drawer_->monthDiaryField()->selectionModel()->selectedRows();
  selectRowAndShow((rows.isEmpty() ? -1 : rows.first().row()) + 1);
}

QMimeData* Pravella::dragDataForRow(int row) const {
  if (row < 0 || row >= static_cast<int>(tableArray_.size())) return nullptr;
  const pravella::MonthListEntry& e = tableArray_[static_cast<size_t>(row)];
  auto* data = new QMimeData;
  if (e.day == pravella::kManualDay) {
    data->setUrls({QUrl::fromLocalFile(e.diaryFiles)});
    return data;
  }
  const QDate selected = calcndar_->selectedDay();
  const bool sameDay = e.day == pravella::monthListDayText(selected.year(), selected.month(), selected.day());
  QString name = e.diaryFiles;
  if (name.endsWith(QLatin1String(".rtfd"))) name.chop(5);
  data->setText(QStringLiteral(" [") + (sameDay ? QString() : e.day + QLatin1Char('/')) + name +
                QStringLiteral("] "));
  return data;
}

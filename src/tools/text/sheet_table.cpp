#include "tools/text/sheet_table.h"

#include <QDir>
#include <QFileInfo>

#include "platform/property_list.h"

namespace pravella::sheet {

QString tableFolderFor(const QString& document) {
  if (document.isEmpty()) return {};
  const QFileInfo info(document);
  return info.absolutePath() + u'/' + info.completeBaseName() + QStringLiteral(".tbld");
}

bool validName(const QString& name) {
  return !name.isEmpty() && !name.contains(u'/') && !name.contains(QChar(0)) && name != QLatin1String(".") &&
         name != QLatin1String("..");
}

void SheetTable::clear() {
  maxrow_ = 5;
  maxcolumn_ = 4;
  data_ = QStringList(20, QString());
  columns_ = {{0, QStringLiteral("No.")}};
  for (int k = 1; k <= 4; ++k) columns_.append({k, QString::number(k)});
}

bool SheetTable::load(const QString& folder, const QString& name) {
  const auto titles = plist::readStringArray(folder + u'/' + name + QStringLiteral(".col"));
  const auto cells = plist::readStringArray(folder + u'/' + name + QStringLiteral(".dat"));
  // Fewer than two titles name no data column: such a table counts as missing.
  if (!titles || !cells || titles->size() < 2) return false;
  maxcolumn_ = static_cast<int>(titles->size()) - 1;
  maxrow_ = static_cast<int>(cells->size()) / maxcolumn_;
  data_ = cells->mid(0, maxrow_ * maxcolumn_);
  columns_ = {{0, columns_.isEmpty() ? QStringLiteral("No.") : columns_.first().title}};
  for (int k = 1; k <= maxcolumn_; ++k) columns_.append({k, titles->at(k)});
  return true;
}

WriteResult SheetTable::save(const QString& folder, const QString& name) const {
  QStringList titles;
  for (const Column& c : columns_) titles << c.title;
  QDir().mkpath(folder);
  if (WriteResult r = plist::writeStringArray(folder + u'/' + name + QStringLiteral(".col"), titles); !r) return r;
  QStringList cells;
  for (int r = 0; r < maxrow_; ++r)
    for (const Column& c : columns_)
      if (c.id != 0) cells << cell(r, c.id);
  return plist::writeStringArray(folder + u'/' + name + QStringLiteral(".dat"), cells);
}

QString SheetTable::cell(int row, int id) const {
  const int i = index(row, id);
  return id >= 1 && id <= maxcolumn_ && i >= 0 && i < data_.size() ? data_.at(i) : QString();
}

void SheetTable::setCell(int row, int id, const QString& text) {
  const int i = index(row, id);
  if (id >= 1 && id <= maxcolumn_ && i >= 0 && i < data_.size()) data_[i] = text;
}

void SheetTable::addRow(int selectedRow) {
  const int at = selectedRow >= 0 && selectedRow < maxrow_ ? selectedRow * maxcolumn_ : static_cast<int>(data_.size());
  for (int k = 0; k < maxcolumn_; ++k) data_.insert(at, QStringLiteral("-----"));
  ++maxrow_;
}

bool SheetTable::deleteRow(int row) {
  if (row < 0 || row >= maxrow_) return false;
  data_.remove(row * maxcolumn_, maxcolumn_);
  --maxrow_;
  return true;
}

void SheetTable::addColumn(int selectedColumn) {
  QStringList grown;
  for (int r = 0; r < maxrow_; ++r) {
    grown += data_.mid(r * maxcolumn_, maxcolumn_);
    grown << QString();
  }
  data_ = grown;
  ++maxcolumn_;
  const Column added{maxcolumn_, QString::number(maxcolumn_)};
  if (selectedColumn >= 1 && selectedColumn < columns_.size()) columns_.insert(selectedColumn, added);
  else columns_.append(added);
}

bool SheetTable::deleteColumn(int position) {
  if (position < 1 || position >= columns_.size()) return false;
  columns_.removeAt(position);  // its cells stay in memory until the next save and load
  return true;
}

bool SheetTable::retitle(int position, const QString& title) {
  if (position < 1 || position >= columns_.size() || title.isEmpty() || columns_.at(position).title == title)
    return false;
  columns_[position].title = title;
  return true;
}

void SheetTable::reorder(const QList<int>& ids) {
  QList<Column> ordered;
  for (int id : ids)
    for (const Column& c : columns_)
      if (c.id == id) ordered.append(c);
  if (ordered.size() != columns_.size()) return;
  for (int i = 0; i < ordered.size(); ++i)
    if (ordered.at(i).id == 0 && i != 0) ordered.move(i, 0);
  columns_ = ordered;
}

}  // namespace pravella::sheet

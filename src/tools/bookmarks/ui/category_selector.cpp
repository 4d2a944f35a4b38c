#include "tools/bookmarks/ui/category_selector.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QToolButton>

CategorySelector::CategorySelector(QWidget* parent) : QWidget(parent) {
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(2);
  group_ = new QButtonGroup(this);
  group_->setExclusive(true);
  for (int tag = 0; tag < kCells; ++tag) {
    auto* cell = new QToolButton(this);
    cell->setCheckable(true);
    cell->setText(QString::number(tag));
    cell->setToolButtonStyle(Qt::ToolButtonTextOnly);
    cell->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    cells_[static_cast<std::size_t>(tag)] = cell;
    group_->addButton(cell, tag);
    grid->addWidget(cell, tag / 5, tag % 5);
  }
  cells_[0]->setChecked(true);
  connect(group_, &QButtonGroup::idClicked, this, &CategorySelector::chosen);
}

int CategorySelector::selected() const { return std::max(0, group_->checkedId()); }

void CategorySelector::select(int tag) {
  if (tag >= 0 && tag < kCells) cells_[static_cast<std::size_t>(tag)]->setChecked(true);
}

QStringList CategorySelector::titles() const {
  QStringList out;
  for (const QToolButton* cell : cells_) out << cell->text();
  return out;
}

void CategorySelector::setTitles(const QStringList& titles) {
  for (int tag = 0; tag < std::min<int>(kCells, titles.size()); ++tag)
    cells_[static_cast<std::size_t>(tag)]->setText(titles.at(tag));
}

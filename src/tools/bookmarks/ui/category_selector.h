#pragma once
// The 20 category cells of the bookmark and launcher drawers: 4 rows of 5 checkable cells,
// tag = row x 5 + column, one chosen at a time, each showing its category's title.

#include <QStringList>
#include <QWidget>

#include <array>

class QButtonGroup;
class QToolButton;

class CategorySelector : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kCells = 20;
  explicit CategorySelector(QWidget* parent = nullptr);

  int selected() const;  // 0 when none is chosen
  void select(int tag);
  QToolButton* cell(int tag) const { return cells_.at(static_cast<std::size_t>(tag)); }
  QStringList titles() const;
  // Takes the first entries of `titles` (fewer leave the others as they are).
  void setTitles(const QStringList& titles);

 signals:
  void chosen(int tag);  // by the user

 private:
  QButtonGroup* group_ = nullptr;
  std::array<QToolButton*, kCells> cells_{};
};

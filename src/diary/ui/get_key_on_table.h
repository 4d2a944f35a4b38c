#pragma once
// The list of the selected day's documents, with the keyboard of the diary: Return and Enter
// open the selected document, the up and down arrows move through the documents, the left and
// right arrows through the days, Delete (Backspace) and forward delete delete; an Alt-click on
// a list with a selected row marks the next opening as an Option opening. Files dropped on the
// list become links in the day's folder; a red frame shows while a drag is over it. The work
// is done by the calendar controller, the list's delegate.

#include <QTableWidget>

// What the document list asks of the calendar controller.
class DiaryFileTableDelegate {
 public:
  virtual ~DiaryFileTableDelegate() = default;
  virtual void selectDiaryWithOption(bool option) = 0;
  virtual void selectDiaryFileAction() = 0;
  virtual void fileListTableUp() = 0;
  virtual void fileListTableDown() = 0;
  virtual void calendarDecDay() = 0;
  virtual void calendarIncDay() = 0;
  virtual void deleteFileAction() = 0;
  // What a dragged row carries; null for nothing.
  virtual QMimeData* dragDataForRow(int /*row*/) const { return nullptr; }
  // Files dropped on the list, as local paths in drop order.
  virtual void filesDropped(const QStringList& /*paths*/) {}
};

class getKeyOnTable : public QTableWidget {
  Q_OBJECT
 public:
  explicit getKeyOnTable(QWidget* parent = nullptr);
  void setDelegate(DiaryFileTableDelegate* delegate) { delegate_ = delegate; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  QMimeData* mimeData(const QList<QTableWidgetItem*>& items) const override;
  QStringList mimeTypes() const override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 public:
  bool nowDrag() const { return nowDrag_; }

 private:
  static bool carriesFiles(const QMimeData* data);
  void setNowDrag(bool on);

  DiaryFileTableDelegate* delegate_ = nullptr;
  bool nowDrag_ = false;
};

#pragma once
// The list of the selected day's documents, with the keyboard of the diary: Return and Enter
// open the selected document, the up and down arrows move through the documents, the left and
// right arrows through the days, Delete (Backspace) and forward delete delete; an Alt-click on
// a list with a selected row marks the next opening as an Option opening. The work is done by
// the calendar controller, the list's delegate.

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

 private:
  DiaryFileTableDelegate* delegate_ = nullptr;
};

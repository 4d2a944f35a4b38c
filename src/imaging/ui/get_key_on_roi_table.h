#pragma once
// The ROI table of the medical image viewer: its up and down arrows post "ROIListUp" and
// "ROIListDown", so the viewer steps through the ROIs and shows each one's slice; other keys
// act as in any table.

#include <QTableView>

class getKeyOnROITable : public QTableView {
 public:
  explicit getKeyOnROITable(QWidget* parent = nullptr);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

#pragma once
// The medical image viewer: a drawer of the main window that shows one slice of a medical
// volume file through a window (lower and upper value) in grey or colour, steps through the
// slices, offers four modality presets, pastes slices into the memo, and keeps circular
// regions of interest with their statistics in a ".ROIData" file beside the image. Files come
// by notification: "openMedImageAction" (the calendar's shown day document, or the path the
// calendar gives) and "openMedImageWithPath".

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QStringList>

#include <cstdint>
#include <vector>

#include "tools/ui/desk_tool_host.h"

class MedImageDrawer;
class QAbstractTableModel;
class QFileDialog;
class QImage;
class QMessageBox;

class CalMedImage : public QObject {
 public:
  // The host gives the side-view seam (closeAllToggleView, setToggleStatus, addSideView), the
  // shown document and the main window.
  explicit CalMedImage(pravella::DeskToolHost host, QObject* parent = nullptr);
  ~CalMedImage() override;
  void awakeFromNib();

  MedImageDrawer* drawer() const;
  const QStringList& roiArray() const { return roiArray_; }
  const QString& dataPath() const { return dataPath_; }
  int sliceCount() const { return slice_; }
  const std::vector<std::int16_t>& imageData() const { return imageData_; }
  QFileDialog* roiFileSheet() const { return roiSheet_; }
  QMessageBox* deleteAlert() const { return deleteAlert_; }

  void openMedImageAction_X(const QString& path);
  int showMedImage();
  void PETAction();
  void SPECTAction();
  void CTAction();
  void MRIAction();
  void changeColorAction();
  void changeDispFrom(int value);
  void changeMaxFrom(int value);
  void changeMinFrom(int value);
  void changeSliceFrom(int value, bool touchTable = true);
  void CopyAction();
  void pasteThisImageAction();
  void pasteAllImageAction();
  void CloseMedSheet();

  // Regions of interest.
  void mouseDownOnMedImage(QPointF p);
  void mouseDraggedOnMedImage(QPointF p);
  void mouseUpOnMedImage(QPointF p);
  void newROIAction();
  void deleteROIAction();
  void deleteAllROIAction();
  void deleteAllROIAction_B();
  void selectRoiAction();
  void ROIListUp();
  void ROIListDown();
  void changeRoiSize(int size);
  void copyROIDataAction();
  void loadOtherROIAction();
  void setOtherRoiData(const QString& file);
  void saveROIData();

 private:
  void setRoiPoint(QPointF p);
  void calcROIDataPoint(double x, double y);
  int checkNearRoiPoint(QPointF p);
  int selectedRow() const;
  void selectRow(int row);
  void deselect();
  void reloadTable();
  void postRoiData();
  void redraw();
  void sound(const char* name);
  bool pastePicture(const QImage& image);
  int currentSlice() const;
  const std::int16_t* sliceData(int s) const;

  pravella::DeskToolHost host_;
  QPointer<MedImageDrawer> drawer_;
  QAbstractTableModel* model_ = nullptr;
  QPointer<QFileDialog> roiSheet_;
  QPointer<QMessageBox> deleteAlert_;
  QString dataPath_;
  int slice_ = 0, hight_ = 0, width_ = 0, DataPos_ = 0;
  std::vector<std::int16_t> imageData_;
  QStringList roiArray_;
  QPointF vPoint_, dPoint_;
  float pSizeX_ = 0, pSizeY_ = 0, pSizeZ_ = 0;
  bool syncing_ = false;  // controls set by the viewer itself do not run their actions
};

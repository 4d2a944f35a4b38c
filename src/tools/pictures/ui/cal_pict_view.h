#pragma once
// CalPictView: the picture drawer (side view 12). Lists one folder's pictures, shows the
// selected one, steps through them by keys, buttons, a slider or a slide show (forward or
// backward, in the drawer or full screen), keeps the history of visited folders and moves
// pictures to the Trash. Reached by its buttons, the list's keys, the full-screen window and
// the notifications of the cal_ commands, the memo and other drawers.

#include <QDockWidget>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTableWidget>
#include <QTimer>

#include <functional>
#include <memory>

#include "tools/pictures/picture_folder.h"
#include "tools/ui/desk_tool_host.h"

class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QSlider;
class FullScreenWindow;
class PictImageView;

// The file list: its keys become the drawer's notifications.
class getKeyOnPictTable : public QTableWidget {
  Q_OBJECT
 public:
  using QTableWidget::QTableWidget;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

class CalPictView : public QObject {
  Q_OBJECT
 public:
  static constexpr int kToggleNumber = 12;

  explicit CalPictView(pravella::DeskToolHost host, QObject* parent = nullptr);
  ~CalPictView() override;

  // Makes the picture folder, builds the drawer, registers the observers.
  void awakeFromNib();

  // Folders.
  void showFolder(const QString& folder);  // showFolderSub on `folder`
  void showFolderSub();
  void showFolderSubAndLastImage();
  void openPictViewAction();
  void openPictViewAction2();
  void reLoadAction();
  void togglePictViewAction();
  void closePictViewAction();
  void pictFolderPathFromFinderSheet(const QString& folder);
  void openPictImageFolder(const QString& folder);
  void openPictImageFolder_2(const QString& folder);
  void selectFolderAction();
  void makeThumbnailAction();

  // History.
  void rirekiAction();
  void nextAction();
  void beforeAction();
  void rirekiClearAction();

  // Showing and stepping.
  void selectPictFileAction();
  void pictListUp();
  void pictListDown();
  void pictSliderAction();
  void slideShowAction();
  void slideShowActionBack();
  void timeSliderAction();
  // One tick of the show: the next (or previous) picture, wrapping around; nothing when empty.
  void slideShow();
  void slideShowBack();
  void stopSlideShow();
  void EndSlideShow();
  void openWithViewerAction();

  // Removing (the file stays) and deleting (to the Trash).
  void removeAction();
  void deleteAction();
  void deleteAllAction();
  // Other tools' buttons (the thumbnail drop buttons) in the drawer's last row.
  void addDrawerButton(QWidget* button);
  // Answers the "Delete All" question; a dialog unless a test replaces it.
  void setDeleteAllQuestion(std::function<bool()> ask) { askDeleteAll_ = std::move(ask); }

  QDockWidget* pictDrawer() const { return drawer_; }
  getKeyOnPictTable* listField() const { return list_; }
  PictImageView* pictView() const { return pictView_; }
  QSlider* pictSlider() const { return pictSlider_; }
  QSlider* timeSlider() const { return timeSlider_; }
  QComboBox* folderPathField() const { return folderPathField_; }
  QCheckBox* fullScreenSwitch() const { return fullScreenSwitch_; }
  FullScreenWindow* fullScreenWindow() const { return fullScreen_.get(); }
  const QStringList& pictListArray() const { return pictListArray_; }
  const QStringList& folderRireki() const { return history_.folders(); }
  QString nowPictFilePath() const { return nowPictFilePath_; }
  bool slideShowRunning() const { return tmSlideShow_.isActive(); }
  bool slideShowForward() const { return forward_; }
  int slideShowInterval() const { return tmSlideShow_.interval(); }
  int selectedRow() const;

 private:
  void buildDrawer();
  void observe();
  void getPictFilesList();
  void reloadList(int selectRow);
  void selectRow(int row);
  void resetSlider();
  void display(const QImage& image);
  QImage loadOrNoImage(int row) const;
  void startSlideShow(bool forward);
  void slideStep(bool forward);
  void stepTo(int row);
  void openDrawer();
  void dropSelected();
  void sound(const char* name);

  pravella::DeskToolHost host_;
  QPointer<QDockWidget> drawer_;
  getKeyOnPictTable* list_ = nullptr;
  PictImageView* pictView_ = nullptr;
  QSlider* pictSlider_ = nullptr;
  QSlider* timeSlider_ = nullptr;
  QComboBox* folderPathField_ = nullptr;
  QCheckBox* fullScreenSwitch_ = nullptr;
  QHBoxLayout* toolRow_ = nullptr;
  std::unique_ptr<FullScreenWindow> fullScreen_;
  QTimer tmSlideShow_;
  bool forward_ = true;
  QStringList pictListArray_;
  QString nowPictFilePath_;
  pravella::FolderHistory history_;
  std::function<bool()> askDeleteAll_;
};

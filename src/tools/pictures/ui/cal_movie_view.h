#pragma once
// CalMovieView: the movie drawer (side view 11). Lists one folder's files, plays the selected one
// in the desk tools' movie view, steps through the list by its keys (wrapping around), and
// removes entries from the list or moves their files to the Trash. Opened for a day's ".movd"
// folder document, by the cal_ commands and from its own folder panel.

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTableWidget>

#include "tools/ui/desk_tool_host.h"

class QDockWidget;

namespace pravella::tools {
class MediaMovieView;
}

// The file list: its keys become the drawer's notifications.
class getKeyOnMovieTable : public QTableWidget {
  Q_OBJECT
 public:
  using QTableWidget::QTableWidget;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

class CalMovieView : public QObject {
  Q_OBJECT
 public:
  static constexpr int kToggleNumber = 11;

  explicit CalMovieView(pravella::DeskToolHost host, QObject* parent = nullptr);
  ~CalMovieView() override;

  // Builds the drawer, registers the observers, hands the drawer to the side views.
  void awakeFromNib();

  void openMovieSheet();
  void toggleMovieViewAction();
  void selectFolderAction();
  void reLoadAction();
  // Shows the selected file and plays it; a file that does not play shows nothing.
  void selectMovieAction();
  void playMovie();
  void movieListUp();
  void movieListDown();
  // Drops the selected entry from the list; deleteAction moves its file to the Trash first.
  void reMoveAction();
  void deleteAction();

  QDockWidget* movieDrawer() const { return drawer_; }
  getKeyOnMovieTable* movieListView() const { return list_; }
  pravella::tools::MediaMovieView* movieView() const { return movieView_; }
  const QStringList& movieListArray() const { return movieListArray_; }
  QString nowMovieFilePath() const { return nowMovieFilePath_; }
  int selectedRow() const;

 private:
  void buildDrawer();
  void observe();
  void getMovieFilesList();
  // Lists the folder and opens the drawer on its first movie.
  void listAndShowFirst();
  void reloadList();
  void selectRow(int row);
  void openDrawer();
  void closeAll();
  void stepTo(int row);
  void dropSelected();
  void sound(const char* name);

  pravella::DeskToolHost host_;
  QPointer<QDockWidget> drawer_;
  getKeyOnMovieTable* list_ = nullptr;
  pravella::tools::MediaMovieView* movieView_ = nullptr;
  QStringList movieListArray_;
  QString nowMovieFilePath_;
};

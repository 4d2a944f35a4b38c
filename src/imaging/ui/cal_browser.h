#pragma once
// The image-folder browser of the segmentation drawer: columns over the file system from "/",
// hidden files left out, three columns in view. A dropped file shows its location.

#include <QColumnView>

class QFileSystemModel;
class QUrl;

class CalBrowser : public QColumnView {
 public:
  explicit CalBrowser(QWidget* parent = nullptr);
  QFileSystemModel* fileSystem() const { return model_; }
  // The selected path, or "/" when nothing is selected.
  QString path() const;
  void setPath(const QString& path);
  // Shows the location of the first of dropped files; false when it is not a local file.
  bool dropFiles(const QList<QUrl>& urls);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool viewportEvent(QEvent* event) override;

 private:
  QFileSystemModel* model_ = nullptr;
};

#pragma once
// CalSelectImage: runs the user's thumbnail command memos on a chosen or dropped folder (the
// folder goes to the language's load/save name, the memo's text to the main memo's runner),
// shows the clipboard's picture in a picture window, and owns the three drop buttons: two
// that run the command memos on a dropped folder and one that sets the language's working
// folder.

#include <QObject>
#include <QPointer>
#include <QPushButton>
#include <QStringList>

#include <functional>

class QWidget;

// A button that takes dropped files (text/uri-list) and hands the first path to `onDrop`.
class pictDropButton : public QPushButton {
  Q_OBJECT
 public:
  pictDropButton(const QString& title, bool bordered, std::function<void(const QString&)> onDrop,
                 QWidget* parent = nullptr);
  // What a drop of `paths` does (also for tests, which cannot drag).
  void takeDroppedPaths(const QStringList& paths);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void highlight(bool on);
  std::function<void(const QString&)> onDrop_;
};

class CalSelectImage : public QObject {
  Q_OBJECT
 public:
  struct Host {
    QWidget* mainWindow = nullptr;
    std::function<void()> selectCellSelectedDay;
    std::function<void(const char*)> playSound;
    std::function<QString(const QString& start)> chooseFolder;  // "" when cancelled
  };

  explicit CalSelectImage(Host host, QObject* parent = nullptr);
  ~CalSelectImage() override;

  void awakeFromNib();

  // The command memos, run with `folder` as the load/save name.
  void makeThumbnailToDocumentNotif(const QString& folder);
  void makeThumbnailAndHTML(const QString& folder);
  // Open-panel actions: the chosen folder is posted to the matching notification.
  void makeThumbnailToDocumentAction();
  void showThumbnailImageAction();
  void showThumbnailImageToDocAction();
  void showCBImageAction();

  // The working-folder drop: a folder as it is, anything else (an .rtfd too) its parent.
  // Refused ("Basso") when the path is too long for the language's path buffer or a program
  // runs.
  bool setCurrentDir(const QString& path);

  pictDropButton* makeThumbnailButton() const { return makeThumbnail_; }
  pictDropButton* makeDocThumbnailButton() const { return makeDocThumbnail_; }
  pictDropButton* setCurrentDirButton() const { return setCurrentDir_; }
  QString selectedFullPath() const { return selectedFullPath_; }

  static QString commandMemoPath(const QString& name);

 private:
  void runCommandMemo(const QString& folder, const QString& memo);
  void choose(const char* notification);
  void sound(const char* name);

  Host host_;
  QString selectedFullPath_;
  // Guarded: the buttons live in another tool's drawer, which may go first.
  QPointer<pictDropButton> makeThumbnail_;
  QPointer<pictDropButton> makeDocThumbnail_;
  QPointer<pictDropButton> setCurrentDir_;
};

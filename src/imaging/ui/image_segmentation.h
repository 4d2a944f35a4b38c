#pragma once
// The segmentation drawer of the main window: the segmentation view with its controls, the
// image-folder browser (a click opens the file in the view, a double click opens it with the
// desktop's application), five script buttons that programs retitle and give scripts
// ("cal_setImageSegmentSheetButton"), and the result text. Programs open it at a path with
// "cal_openImageSegmentSheetWithPath". Its content is built when it first opens: the browser
// reads the file system (names, kinds and icons) for as long as it lives.

#include <QObject>
#include <QPointer>
#include <QString>

#include <array>

#include "tools/ui/desk_tool_host.h"

class CalBrowser;
class ImageSegView;
class QButtonGroup;
class QDockWidget;
class QTextEdit;

class ImageSegmentation : public QObject {
 public:
  static constexpr int kToggleStatus = 22;
  explicit ImageSegmentation(pravella::DeskToolHost host, QObject* parent = nullptr);
  ~ImageSegmentation() override;
  // Makes the (empty) drawer and registers the observers.
  void awakeFromNib();

  QDockWidget* drawer() const;
  // The parts below are null until the drawer first opened.
  CalBrowser* browser() const { return fBrowser_; }
  ImageSegView* imageView() const { return imageView_; }
  QButtonGroup* jumpButtons() const { return jumpButtons_; }
  QTextEdit* textView() const { return textView_; }
  const std::array<QString, 5>& scripts() const { return scriptFileName_; }

  void openISSheet();
  void closeISSheet();
  void toggleISSheet();
  void openISSheetWithPath(const QString& path);
  void setISSheetButton(const QString& fields);
  void jumpFolderAction(int tag);
  void browserSingleClick();
  void browserDoubleClick();
  void setPathToBrowser(const QString& folder);

 private:
  void ensureBuilt();

  pravella::DeskToolHost host_;
  QPointer<QDockWidget> ISDrawer_;
  CalBrowser* fBrowser_ = nullptr;
  ImageSegView* imageView_ = nullptr;
  QButtonGroup* jumpButtons_ = nullptr;
  QTextEdit* textView_ = nullptr;
  std::array<QString, 5> scriptFileName_;
  std::array<QString, 5> buttonTitles_;  // empty: the button's own title
  QString browserPath_;                  // shown in the browser when it is made
};

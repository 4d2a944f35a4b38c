#pragma once
// CalFinder: the finder sheet (side view 21). A file browser over the whole file system, a
// name field that renames the shown item, a preview area (documents to edit, pictures,
// movies, plain text in a chosen Japanese code, else a hexadecimal dump), ten folder and
// script buttons, and the hand-offs to the picture drawer, the medical image viewer and the
// segmentation sheet. The shown document is saved whenever the user leaves it.
//
// The controller is split by subject: cal_finder.cpp (the sheet, its buttons and observers),
// cal_finder_previews.cpp (what a click shows) and cal_finder_documents.cpp (saving,
// renaming, new documents, stamps, the main memo).

#include <QDockWidget>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>

#include "tools/finder/ui/finder_sheet_operations.h"
#include "tools/ui/desk_tool_host.h"

namespace pravella {
class DocumentSlot;
class EditJournal;
namespace tools {
class MediaMovieView;
}
}  // namespace pravella

class FSBrowser;
class FinderTextView;
class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QWidget;

class CalFinder : public QObject {
  Q_OBJECT
 public:
  static constexpr int kToggleNumber = 21;
  enum DispStatus { kDispText = 0, kDispPicture = 1, kDispMovie = 2 };

  explicit CalFinder(pravella::DeskToolHost host, QObject* parent = nullptr);
  ~CalFinder() override;

  // Builds the sheet, goes to the home folder, registers the observers.
  void awakeFromNib();

  // ---- the sheet (cal_finder.cpp)
  void openFinderView();
  void closeFinderView();
  void toggleFinderView();
  void openFinderSheetWithPath(const QString& path);
  void openFinderSheetWithPath_X(const QString& path);
  QString nowDisplayedDocumentPath() const { return nowOpendFilePath_; }
  void setOrgPathAction(int tag);
  void setFinderSheetButton(const QString& fields);
  void reloadData();

  // ---- history, marks and file operations (cal_finder_files.cpp)
  void addRireki(const QString& path);
  void adjustRireki();
  bool checkMark(const QString& path);
  // The delete button, and Delete while the sheet's text has the focus.
  void deleteFileAction();
  pravella::FinderSheetOperations& operations() { return *operations_; }
  // The calendar's steps, for the sheet's text and its links.
  const pravella::DeskToolHost& host() const { return host_; }

  // ---- previews (cal_finder_previews.cpp)
  void browserSingleClick();
  void browserDoubleClick();
  void openFileAction();
  void charCodeAction();
  void clearTextView();
  // The shown document went to the Trash by another view or Delete Marked: nothing writes it
  // again; its unsaved edits go to the recovery folder.
  void letGoOfTrashedDocument();
  void setFinderTextScrollView();
  void setFinderPictView();
  void setFindeMovieView();
  void dirtySwitchAction();
  void gotoPictViewer();
  void openROISheet();
  void openImageSegSheet();
  void showPathWithFinder();

  // ---- documents (cal_finder_documents.cpp)
  void saveDocument();
  bool saveAction(const QString& path);
  void newAction();
  void loadTemplateDocument();
  void textDidChange();
  void pasteDateAction();
  void pasteDateTimeAction();
  void toMemoAction();
  void fromMemoAction();

  // Alerts ("Same Name !", "Particular Name !") on the calendar window; tests record them.
  void setAlert(std::function<void(const QString& title, const QString& message)> alert) {
    alert_ = std::move(alert);
  }

  QDockWidget* finderDrawer() const { return finderDrawer_; }
  FSBrowser* fsBrowser() const { return fsBrowser_; }
  FinderTextView* finderTextView() const { return finderTextView_; }
  QLineEdit* fileNameField() const { return fileNameField_; }
  QButtonGroup* finderButtons() const { return finderButtons_; }
  QButtonGroup* charCodeSwitch() const { return charCodeSwitch_; }
  QCheckBox* durtySwitch() const { return durtySwitch_; }
  QPushButton* saveButton() const { return saveButton_; }
  QLabel* pictView() const { return pictView_; }
  pravella::tools::MediaMovieView* movieView() const { return movieView_; }
  QStackedWidget* previewArea() const { return previewArea_; }
  QCheckBox* markSwitch() const { return markSwitch_; }
  QProgressBar* processIndicator() const { return processIndicator_; }
  int dispStatus() const { return dispStatus_; }
  const std::array<QString, 10>& scriptFileName() const { return scriptFileName_; }
  bool isOpen() const;

 private:
  void buildDrawer();
  void buildFileOperations();
  void observe();
  void sound(const char* name);
  void alert(const QString& title, const QString& message);
  void setPreview(int status);
  void commonTail(const QString& path);
  void showText(const QString& text);
  void showDocument(const QString& path);
  void showPicture(const QString& path);
  bool showMovie(const QString& path);
  void stopMovie();
  void setUnsaved(bool unsaved);
  void renameShown(const QString& newPath, bool addToHistory);
  // Writes the text to `path` through the document registry (`rtf`: as one RTF file); false,
  // with "Basso" and the reason on the console, when nothing was written.
  bool writeShown(const QString& path, bool rtf);
  // The name field's form of a path: an RTFD document without its extension.
  static QString fieldNameOf(const QString& path);
  int charCode() const;
  void pasteStamp(bool withTime);

  pravella::DeskToolHost host_;
  QPointer<QDockWidget> finderDrawer_;
  QLineEdit* fileNameField_ = nullptr;
  QButtonGroup* finderButtons_ = nullptr;
  FinderTextView* finderTextView_ = nullptr;
  FSBrowser* fsBrowser_ = nullptr;
  QCheckBox* durtySwitch_ = nullptr;
  QLabel* pictView_ = nullptr;
  QPushButton* saveButton_ = nullptr;
  QPushButton* rirekiBeforeButton_ = nullptr;
  QPushButton* rirekiNextButton_ = nullptr;
  QButtonGroup* charCodeSwitch_ = nullptr;
  pravella::tools::MediaMovieView* movieView_ = nullptr;
  QStackedWidget* previewArea_ = nullptr;
  QCheckBox* markSwitch_ = nullptr;
  QProgressBar* processIndicator_ = nullptr;
  std::array<QString, 10> scriptFileName_;
  QString nowOpendFilePath_;
  int dispStatus_ = kDispText;
  std::function<void(const QString&, const QString&)> alert_;
  std::unique_ptr<pravella::FinderSheetOperations> operations_;
  std::unique_ptr<pravella::DocumentSlot> textSlot_;  // the shown document in the registry
  std::unique_ptr<pravella::EditJournal> textJournal_;  // its unsaved edits, kept against a crash
};

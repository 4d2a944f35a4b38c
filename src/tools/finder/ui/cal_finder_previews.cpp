// What a click in the finder sheet's browser shows, the preview area's three views, the
// character-code switch and the hand-offs of the browsed item to other tools.

#include <QButtonGroup>
#include <QCheckBox>
#include <QDockWidget>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTextCursor>

#include "editors/open_documents.h"
#include "editors/ui/document_save.h"
#include "platform/bounded_read.h"
#include "platform/console_log.h"
#include "platform/desktop_open.h"
#include "platform/notification_center.h"
#include "platform/reveal_file.h"
#include "platform/rich_text_file.h"
#include "tools/finder/finder_files.h"
#include "tools/finder/fs_node_info.h"
#include "tools/finder/ui/cal_finder.h"
#include "tools/finder/ui/finder_text_view.h"
#include "tools/finder/ui/fs_browser.h"
#include "tools/ui/media_movie_view.h"

using pravella::NotificationCenter;
namespace finder = pravella::finder;

namespace {

QString parentFolder(const QString& path) {
  const QString folder = QFileInfo(path).absolutePath();
  return folder.isEmpty() ? QStringLiteral("/") : folder;
}

// A text larger than this is no preview: the reason is shown instead.
constexpr qint64 kPreviewTextBytes = qint64{64} << 20;

// The bytes a preview shows: a file's, never a named pipe's or a device's (opening one would
// wait, reading one never end), and never more than the bound. A refusal shows its reason.
QByteArray readForPreview(const QString& path, bool* refused = nullptr) {
  const pravella::BoundedRead read = pravella::readRegularFile(path, kPreviewTextBytes);
  if (refused) *refused = !read;
  return read ? read.data : read.error.toUtf8();
}

}  // namespace

int CalFinder::charCode() const { return charCodeSwitch_->checkedId(); }

// ---------------------------------------------------------------- single and double clicks

void CalFinder::browserSingleClick() {
  const QString path = fsBrowser_->path();
  const QByteArray type = finder::typeCodeOf(path);
  saveDocument();
  stopMovie();
  clearTextView();
  const QString name = QFileInfo(path).fileName();
  // A named pipe or a device is named with its kind, never opened.
  if (const QString kind = pravella::specialFileKind(path); !kind.isEmpty()) {
    showText(pravella::specialFileRefusal(name, kind));
    fileNameField_->setText(name);
    fileNameField_->setReadOnly(false);
    sound("Basso");
    return commonTail(path);
  }
  switch (finder::previewKindOf(path, type)) {
    case finder::PreviewKind::Rtfd:
    case finder::PreviewKind::Rtf: {
      const bool rtfd = name.endsWith(QLatin1String(".rtfd"));
      showDocument(path);
      fileNameField_->setText(rtfd ? name.left(name.size() - 5) : name);
      fileNameField_->setReadOnly(false);
      sound("Pop");
      addRireki(path);
      break;
    }
    case finder::PreviewKind::Picture:
      showPicture(path);
      fileNameField_->setText(name);
      fileNameField_->setReadOnly(false);
      addRireki(path);
      break;
    case finder::PreviewKind::Movie:
      // A movie that does not open leaves the preview cleared and the history alone.
      if (!showMovie(path)) return;
      fileNameField_->setText(name);
      fileNameField_->setReadOnly(false);
      addRireki(path);
      break;
    case finder::PreviewKind::PlainText:
      showText(finder::decodeForPreview(readForPreview(path), charCode()));
      fileNameField_->setText(name);
      fileNameField_->setReadOnly(false);
      sound("Pop");
      addRireki(path);
      setUnsaved(false);
      break;
    case finder::PreviewKind::Folder:
      if (dispStatus_ != kDispText) setFinderTextScrollView();
      fileNameField_->setText(name);
      fileNameField_->setReadOnly(false);
      break;
    case finder::PreviewKind::Other:
      if (const pravella::BoundedRead head = pravella::readRegularFileHead(path, finder::kDumpLimit))
        showText(finder::hexDump(head.data));
      else
        showText(head.error);
      fileNameField_->setText(name);
      fileNameField_->setReadOnly(false);
      sound("Pop");
      addRireki(path);
      setUnsaved(false);
      break;
  }
  commonTail(path);
}

void CalFinder::commonTail(const QString& path) {
  adjustRireki();
  if (fsBrowser_->path() != path) fsBrowser_->setPath(path);
  nowOpendFilePath_ = path;
  checkMark(path);
  finderDrawer_->update();
}

void CalFinder::browserDoubleClick() {
  browserSingleClick();
  openFileAction();
}

void CalFinder::openFileAction() {
  const QString path = fsBrowser_->path();
  if (!pravella::openWithDesktop(path))
    showErrMessageToConsole(("Can not open " + path + " with xdg-open.\n").toStdString());
  addRireki(path);
}

void CalFinder::charCodeAction() {
  // The text is replaced: edits of a shown document are written first, as on any way out.
  saveDocument();
  const QString path = fsBrowser_->path();
  if (!finder::checkTextFileSize(path)) return browserSingleClick();
  if (dispStatus_ != kDispText) setFinderTextScrollView();
  showText(finder::decodeForPreview(readForPreview(path), charCode()));
  addRireki(path);
  setUnsaved(false);
  commonTail(path);
}

// ---------------------------------------------------------------- the preview area

void CalFinder::showText(const QString& text) {
  if (dispStatus_ != kDispText) setFinderTextScrollView();
  {
    const QSignalBlocker quiet(finderTextView_);
    finderTextView_->setAcceptRichText(false);
    finderTextView_->setPlainText(text);
    finderTextView_->document()->setModified(false);
  }
  textSlot_->clear();
  finderTextView_->setReadOnly(true);
  finderTextView_->moveCursor(QTextCursor::Start);
  finderTextView_->ensureCursorVisible();
}

void CalFinder::showDocument(const QString& path) {
  if (dispStatus_ != kDispText) setFinderTextScrollView();
  bool read = false;
  {
    const QSignalBlocker quiet(finderTextView_);
    finderTextView_->setAcceptRichText(true);
    read = pravella::readRichTextFile(path, *finderTextView_->document());
    if (!read) finderTextView_->setPlainText(QString::fromLatin1(finder::kCouldNotDecode));
    finderTextView_->document()->setModified(false);
  }
  // Only a document that read is ever written back.
  if (read)
    textSlot_->shown(path);
  else
    textSlot_->clear();
  // A document that did not read is shown, never edited: a save would write over it.
  finderTextView_->setReadOnly(!read);
  finderTextView_->moveCursor(QTextCursor::Start);
  finderTextView_->ensureCursorVisible();
}

void CalFinder::showPicture(const QString& path) {
  if (dispStatus_ != kDispPicture) setFinderPictView();
  // A picture that does not read leaves the view empty; the name and history are set alike.
  const QImage image(path);
  if (image.isNull()) return;
  const QSize area = previewArea_->size();
  QPixmap pixmap = QPixmap::fromImage(image);
  if (pixmap.width() > area.width() || pixmap.height() > area.height())
    pixmap = pixmap.scaled(area, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  pictView_->setPixmap(pixmap);
}

bool CalFinder::showMovie(const QString& path) {
  if (dispStatus_ != kDispMovie) setFindeMovieView();
  bool refused = false;
  const QMetaObject::Connection watch =
      connect(movieView_, &pravella::tools::MediaMovieView::failed, this, [&refused] { refused = true; });
  movieView_->setFile(path);
  disconnect(watch);
  if (refused) {
    clearTextView();
    return false;
  }
  // Loops; the switch, off here, turns back-and-forth on. It plays once loaded.
  setUnsaved(false);
  movieView_->setLoopMode(1);
  return true;
}

void CalFinder::stopMovie() {
  if (movieView_->file().isEmpty()) return;
  movieView_->stop();
  movieView_->clear();
}

void CalFinder::setPreview(int status) {
  previewArea_->setCurrentIndex(status);
  dispStatus_ = status;
}

void CalFinder::setFinderTextScrollView() {
  setPreview(kDispText);
  clearTextView();
}

void CalFinder::setFinderPictView() {
  clearTextView();
  setPreview(kDispPicture);
}

void CalFinder::setFindeMovieView() {
  clearTextView();
  setPreview(kDispMovie);
}

void CalFinder::clearTextView() {
  pravella::clearChangedElsewhere(finderTextView_, nowOpendFilePath_);
  nowOpendFilePath_.clear();
  fileNameField_->clear();
  loadTemplateDocument();
  {
    const QSignalBlocker quiet(finderTextView_);
    finderTextView_->clear();
    finderTextView_->document()->setModified(false);
  }
  finderTextView_->setReadOnly(true);
  fileNameField_->setReadOnly(true);
  setUnsaved(false);
  textSlot_->clear();
  stopMovie();
  pictView_->clear();
}

void CalFinder::dirtySwitchAction() {
  // The switch doubles as the movie's loop mode: on plays back and forth.
  if (dispStatus_ == kDispMovie) movieView_->setLoopMode(durtySwitch_->isChecked() ? 2 : 1);
}

// ---------------------------------------------------------------- hand-offs

void CalFinder::gotoPictViewer() {
  saveDocument();
  if (host_.closeAllToggleView) host_.closeAllToggleView();
  const QString path = fsBrowser_->path();
  NotificationCenter::defaultCenter().post(QStringLiteral("pictFolderPathFromFinderSheet"),
                                           pravella::isBrowsableFolder(path) ? path : parentFolder(path));
}

void CalFinder::openROISheet() {
  NotificationCenter::defaultCenter().post(QStringLiteral("openMedImageWithPath"), fsBrowser_->path());
}

void CalFinder::openImageSegSheet() {
  auto& center = NotificationCenter::defaultCenter();
  const QString path = fsBrowser_->path();
  center.post(QStringLiteral("cal_openImageSegmentSheetWithPath"), path);
  center.post(QStringLiteral("setImageFilePath"), path);
}

void CalFinder::showPathWithFinder() {
  if (pravella::revealInFileManager(fsBrowser_->path())) sound("Tink");
}

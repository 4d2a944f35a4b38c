#include "tools/pictures/ui/cal_select_image.h"

#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include "diary/working_folder.h"
#include "lang/values.h"
#include "platform/notification_center.h"
#include "platform/rich_text_file.h"
#include "tools/pictures/ui/graph_controll.h"

using pravella::NotificationCenter;

pictDropButton::pictDropButton(const QString& title, bool bordered, std::function<void(const QString&)> onDrop,
                               QWidget* parent)
    : QPushButton(title, parent), onDrop_(std::move(onDrop)) {
  setFlat(!bordered);
  setAcceptDrops(true);
}

void pictDropButton::highlight(bool on) { setDown(on); }

void pictDropButton::dragEnterEvent(QDragEnterEvent* event) {
  if (!event->mimeData()->hasUrls()) return;
  highlight(true);
  event->acceptProposedAction();
}

void pictDropButton::dragMoveEvent(QDragMoveEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void pictDropButton::dragLeaveEvent(QDragLeaveEvent*) { highlight(false); }

void pictDropButton::dropEvent(QDropEvent* event) {
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) paths << url.toLocalFile();
  highlight(false);
  if (paths.isEmpty()) return;
  event->acceptProposedAction();
  takeDroppedPaths(paths);
}

void pictDropButton::takeDroppedPaths(const QStringList& paths) {
  if (!paths.isEmpty() && onDrop_) onDrop_(paths.first());
}

CalSelectImage::CalSelectImage(Host host, QObject* parent) : QObject(parent), host_(std::move(host)) {}

CalSelectImage::~CalSelectImage() {
  NotificationCenter::defaultCenter().removeObservers(this);
  delete makeThumbnail_;
  delete makeDocThumbnail_;
  delete setCurrentDir_;
}

QString CalSelectImage::commandMemoPath(const QString& name) {
  return QDir::homePath() + QStringLiteral("/Documents/diary/vkPreferences/Command/SpecialMenu/") + name;
}

void CalSelectImage::awakeFromNib() {
  auto& center = NotificationCenter::defaultCenter();
  center.addObserver(QStringLiteral("makeThumbnailAndHTML"), this,
                     [this](pravella::Notification& n) { makeThumbnailAndHTML(n.text); });
  center.addObserver(QStringLiteral("makeThumbnailToDocumentNotif"), this,
                     [this](pravella::Notification& n) { makeThumbnailToDocumentNotif(n.text); });
  center.addObserver(QStringLiteral("makeThumbnailToDocWithDragFolder"), this,
                     [this](pravella::Notification& n) { makeThumbnailToDocumentNotif(n.text); });
  center.addObserver(QStringLiteral("cal_showClipImage"), this, [this](pravella::Notification&) { showCBImageAction(); });

  // The drop returns at once; the command memo runs 0.1 s later.
  const auto later = [this](const char* notification) {
    return [this, notification](const QString& path) {
      QTimer::singleShot(100, this, [notification, path] {
        NotificationCenter::defaultCenter().post(QString::fromLatin1(notification), path);
      });
    };
  };
  makeThumbnail_ = new pictDropButton(QStringLiteral("makeThumbnail"), true, later("makeThumbnailAndHTML"));
  makeDocThumbnail_ =
      new pictDropButton(QStringLiteral("ThumbnailToDoc"), true, later("makeThumbnailToDocWithDragFolder"));
  setCurrentDir_ = new pictDropButton(tr("Working Folder"), false, [this](const QString& path) { setCurrentDir(path); });
  setCurrentDir_->setToolTip(tr("Drop a folder or file here to make it the programs' working folder"));
}

void CalSelectImage::sound(const char* name) {
  if (host_.playSound) host_.playSound(name);
}

void CalSelectImage::runCommandMemo(const QString& folder, const QString& memo) {
  const QByteArray bytes = folder.toUtf8();
  if (bytes.size() >= kPathBytes) {
    sound("Basso");
    return;
  }
  NowLoadSaveName.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  const QString path = commandMemoPath(memo);
  if (!QFileInfo::exists(path)) return;
  bool ok = false;
  const QString program = pravella::plainTextOfRichTextFile(path, &ok);
  if (!ok) return;
  NotificationCenter::defaultCenter().post(QStringLiteral("calculationOnEditModule"), program);
}

void CalSelectImage::makeThumbnailToDocumentNotif(const QString& folder) {
  runCommandMemo(folder, QStringLiteral("makeThumbnailAndPasteToDoc.rtf"));
}

void CalSelectImage::makeThumbnailAndHTML(const QString& folder) {
  runCommandMemo(folder, QStringLiteral("makeThumbnailAndMakeHTML.rtf"));
}

void CalSelectImage::choose(const char* notification) {
  const QString start = selectedFullPath_.isEmpty() ? QDir::homePath() : selectedFullPath_;
  const QString folder = host_.chooseFolder ? host_.chooseFolder(start)
                                            : QFileDialog::getExistingDirectory(host_.mainWindow,
                                                                                tr("Select Graph Folder !"), start);
  if (folder.isEmpty()) return;
  selectedFullPath_ = folder;
  NotificationCenter::defaultCenter().post(QString::fromLatin1(notification), folder);
}

void CalSelectImage::makeThumbnailToDocumentAction() { choose("makeThumbnailToDocumentNotif"); }
void CalSelectImage::showThumbnailImageAction() { choose("makeThumbnailAndHTML"); }
void CalSelectImage::showThumbnailImageToDocAction() { choose("makeThumbnailToDocWithDragFolder"); }

void CalSelectImage::showCBImageAction() {
  if (host_.selectCellSelectedDay) host_.selectCellSelectedDay();
  const QImage picture = QGuiApplication::clipboard()->image();
  if (picture.isNull()) return;
  new graphControll(host_.mainWindow, host_.playSound);
  pravella::Notification take;
  take.name = QStringLiteral("setImageToGraph");
  take.payload = picture;
  NotificationCenter::defaultCenter().post(take);
  sound("Tink");
}

bool CalSelectImage::setCurrentDir(const QString& path) {
  const QFileInfo info(path);
  const bool folder = info.isDir() && info.suffix().compare(QLatin1String("rtfd"), Qt::CaseInsensitive) != 0;
  const QString dir = folder ? info.absoluteFilePath() : info.absolutePath();
  // Refused when the path does not fit the language's path buffer (or a program is running).
  if (!pravella::setWorkingFolder(dir)) {
    sound("Basso");
    return false;
  }
  sound("Tink");
  return true;
}

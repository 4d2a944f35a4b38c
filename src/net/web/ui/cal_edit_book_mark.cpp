#include "net/web/ui/cal_edit_book_mark.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QMainWindow>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

#include "platform/console_log.h"
#include "platform/paths.h"
#include "platform/rich_text_file.h"
#include "platform/ui/window_placement.h"

CalEditBookMark::CalEditBookMark(QMainWindow* mainWindow, std::function<void()> rebuildMenu, QObject* parent)
    : QObject(parent), mainWindow_(mainWindow), rebuildMenu_(std::move(rebuildMenu)) {
  window_ = new QWidget(mainWindow, Qt::Tool);
  window_->setWindowTitle(tr("Search Sites"));
  auto* layout = new QVBoxLayout(window_);
  textView_ = new QTextEdit(window_);
  layout->addWidget(textView_);
  auto* save = new QPushButton(tr("Save"), window_);
  layout->addWidget(save);
  connect(save, &QPushButton::clicked, this, &CalEditBookMark::SaveSearchBookMark);
  connect(textView_, &QTextEdit::textChanged, this, &CalEditBookMark::textDidChange);
  window_->installEventFilter(this);
  window_->resize(320, 400);
}

CalEditBookMark::~CalEditBookMark() { delete window_; }

QString CalEditBookMark::listPath() {
  return QDir(pravella::paths::preferences()).filePath(QStringLiteral("webSearchItemList.rtfd"));
}

void CalEditBookMark::openBookMarkEditor() {
  loading_ = true;
  if (QFileInfo::exists(listPath())) pravella::readRichTextFile(listPath(), *textView_->document());
  loading_ = false;
  window_->setWindowModified(false);
  bookMarkDidChange_ = 0;
  pravella::placeBesideMainWindow(window_, mainWindow_);
  window_->show();
  window_->raise();
}

void CalEditBookMark::textDidChange() {
  if (loading_) return;
  window_->setWindowModified(true);
  bookMarkDidChange_ = 1;
}

bool CalEditBookMark::writeBookMmarkToFile() {
  if (bookMarkDidChange_ != 1) return true;
  QDir().mkpath(pravella::paths::preferences());
  const pravella::WriteResult written = pravella::writeRtfdFile(listPath(), *textView_->document());
  if (!written) {
    showErrMessageToConsole(("webSearchItemList.rtfd: " + written.error + "\n").toStdString());
    return false;
  }
  window_->setWindowModified(false);
  bookMarkDidChange_ = 0;
  return true;
}

void CalEditBookMark::SaveSearchBookMark() {
  writeBookMmarkToFile();
  if (rebuildMenu_) rebuildMenu_();
  window_->hide();
}

bool CalEditBookMark::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_ && event->type() == QEvent::Close) {
    writeBookMmarkToFile();
    if (rebuildMenu_) rebuildMenu_();
  }
  return QObject::eventFilter(watched, event);
}

#include "tools/bookmarks/ui/cal_todo.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QTextEdit>
#include <QVBoxLayout>

#include "editors/edit_journal.h"
#include "editors/ui/paragraph_keys.h"
#include "platform/console_log.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/rich_text_file.h"
#include "platform/ui/window_placement.h"

// The window writes the list before it closes; closing is always allowed.
class ToDoWindow : public QWidget {
 public:
  explicit ToDoWindow(CalToDo* owner) : owner_(owner) {}

 protected:
  void closeEvent(QCloseEvent* event) override {
    owner_->writeToDoMemoWhenApplicationTerminate();
    event->accept();
  }

 private:
  CalToDo* owner_;
};

CalToDo::CalToDo(Host host, QObject* parent) : QObject(parent), host_(std::move(host)) {
  auto* window = new ToDoWindow(this);
  window_ = window;
  window_->setObjectName(QStringLiteral("toDoWindow"));
  window_->setWindowTitle(tr("To Do[*]"));
  window_->resize(320, 400);
  view_ = new QTextEdit(window_);
  pravella::keepFormatsOnReturn(view_);
  view_->setObjectName(QStringLiteral("toDoMemoView"));
  auto* layout = new QVBoxLayout(window_);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(view_);
  // Save and Quit work here as in the main window: Save writes this list too.
  const auto mainWindowAction = [this](const char* name) {
    QWidget* main = host_.mainWindow ? host_.mainWindow() : nullptr;
    if (QAction* action = main ? main->findChild<QAction*>(QLatin1String(name)) : nullptr) action->trigger();
  };
  auto* save = new QAction(window_);
  save->setShortcut(QKeySequence::Save);
  connect(save, &QAction::triggered, this, [this, mainWindowAction] {
    writeToDoMemoWhenApplicationTerminate();
    mainWindowAction("saveDocAction");
  });
  auto* quit = new QAction(window_);
  // Ctrl+Q whatever the platform's key scheme (some give Quit no key at all).
  quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  connect(quit, &QAction::triggered, this, [mainWindowAction] { mainWindowAction("quitAction"); });
  window_->addActions({save, quit});
  connect(view_, &QTextEdit::textChanged, this, [this] {
    if (loading_) return;
    window_->setWindowModified(true);
    changed_ = true;
  });
  journal_ = std::make_unique<pravella::EditJournal>(
      view_->document(),
      pravella::EditJournal::Source{[this] { return changed_; }, [] { return memoFile(); }}, nullptr);
}

CalToDo::~CalToDo() {
  pravella::NotificationCenter::defaultCenter().removeObservers(this);
  delete window_;
}

QString CalToDo::memoFile() { return pravella::paths::preferences() + QStringLiteral("/toDoMemo.rtfd"); }

void CalToDo::awakeFromNib() {
  if (QFileInfo(memoFile()).isDir()) {
    loading_ = true;
    pravella::readRichTextFile(memoFile(), *view_->document());
    loading_ = false;
  }
  changed_ = false;
  window_->setWindowModified(false);
  auto& center = pravella::NotificationCenter::defaultCenter();
  center.addObserver(QStringLiteral("writeToDoMemoWhenApplicationTerminate"), this,
                     [this](pravella::Notification&) { writeToDoMemoWhenApplicationTerminate(); });
  center.addObserver(QStringLiteral("cal_openToDoWindow"), this,
                     [this](pravella::Notification&) { openToDoWindowAction(); });
}

void CalToDo::openToDoWindowAction() {
  pravella::placeBesideMainWindow(window_, host_.mainWindow ? host_.mainWindow() : nullptr);
  window_->show();
  window_->raise();
}

void CalToDo::writeToDoMemoWhenApplicationTerminate() {
  if (!changed_) return;
  if (const pravella::WriteResult r = pravella::writeRtfdFile(memoFile(), *view_->document()); !r) {
    // Still marked as edited: the next close or quit tries again.
    showErrMessageToConsole(("To Do: " + r.error + u'\n').toStdString());
    if (host_.playSound) host_.playSound("Basso");
    return;
  }
  changed_ = false;
  window_->setWindowModified(false);
  journal_->covered();
}

// The memo options controller: construction, the observers of its notifications and
// commands, and the Format and User menus.

#include "editors/ui/cal_option.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QTextCursor>
#include <QTextEdit>

#include "diary/ui/calcndar.h"
#include "diary/ui/main_window.h"
#include "diary/ui/side_view_drawers.h"
#include "editors/edit_journal.h"
#include "editors/memo_format.h"
#include "editors/open_documents.h"
#include "editors/paragraph_indent.h"
#include "editors/ui/clicked_link.h"
#include "editors/ui/document_save.h"
#include "editors/ui/format_panels.h"
#include "editors/ui/long_memo_layout.h"
#include "editors/ui/main_text_view.h"
#include "platform/desktop_open.h"
#include "platform/notification_center.h"
#include "platform/ui/sound_player.h"

CalOption::CalOption(pravella::MainWindow* window, Calcndar* calendar, QObject* parent)
    : QObject(parent), window_(window), calendar_(calendar) {
  setObjectName(QStringLiteral("calendarOption"));
  sheet_ = calendar_->memoSheet();
  autoIndentString_ = pravella::indent::defaultAutoIndentString();
  playSound_ = [](const char* name) { pravella::playFeedbackSound(QString::fromLatin1(name)); };
  clock_ = [] { return QDateTime::currentDateTime(); };
  opener_ = [](const QString& path) { return pravella::openWithDesktop(path); };
  calendar_->setCalendarOption(this);
  window_->documentView()->setCalendarOption(this);
  pravella::DocumentSlot::Hooks hooks;
  hooks.edited = [this] { return memoField()->document()->isModified(); };
  hooks.reload = [this] { loadIntoSheet(memoSheetFile()); };
  hooks.changedElsewhere = [this] { pravella::markChangedElsewhere(memoField(), memoSheetFile()); };
  hooks.follow = [this](const QString& path) {
    rireki_.add(path);
    setFileNameToTitle(path);
    adjustRireki();
  };
  hooks.trashed = [this] { letGoOfTrashedDocument(); };
  sheetSlot_ = std::make_unique<pravella::DocumentSlot>(std::move(hooks));
  sheetJournal_ = std::make_unique<pravella::EditJournal>(memoField()->document(), *sheetSlot_, nullptr,
                                                          [this] { return memoSheetFile(); });
  // The sheet's close button saves it as every other way of closing it does.
  pravella::saveBeforeClosing(sheet_, this, [this] { return saveDocAction(); });

  connect(sheet_->beforeRirekiButton(), &QPushButton::clicked, this, [this] { beforeRireki(); });
  connect(sheet_->nextRirekiButton(), &QPushButton::clicked, this, [this] { nextRireki(); });
  connect(sheet_->durtyButton(), &QCheckBox::clicked, this, [this](bool on) {
    // Unticking the mark by hand says the sheet holds nothing worth saving.
    if (!on) memoField()->document()->setModified(false);
  });
  connect(memoField(), &QTextEdit::textChanged, this, [this] { textDidChange(); });
  memoField()->viewport()->installEventFilter(this);
  // A long memo opened on the sheet is read and walked down as the main memo's is.
  new pravella::LongMemoMoves(memoField());
  registerTextView(documentField());
  registerTextView(memoField());
  indentNumber = pravella::indent::kDefaultIndentWidth;
  adjustRireki();
  setDurty(false);
}

CalOption::~CalOption() {
  pravella::NotificationCenter::defaultCenter().removeObservers(this);
  for (const QPointer<QTextEdit>& view : textViews_)
    if (view) view->removeEventFilter(this);
  if (sheet_) memoField()->viewport()->removeEventFilter(this);
  if (calendar_) calendar_->setCalendarOption(nullptr);
}

void CalOption::awakeFromNib() {
  if (awake_) return;
  awake_ = true;
  buildFormatMenu();
  registerObservers();
  registerDocumentCommands();
  // A click on a link of the memo sheet is followed as in the main memo.
  if (sheet_ && memoField())
    pravella::followLinksOnClick(memoField(), [this](const QString& value) {
      if (calendar_) calendar_->textViewClickedOnLink(value);
    });
}

QTextEdit* CalOption::documentField() const { return window_->documentView(); }
QTextEdit* CalOption::memoField() const { return sheet_->toggleMemoField(); }

void CalOption::sound(const char* name) {
  if (playSound_) playSound_(name);
}

void CalOption::registerTextView(QTextEdit* view) {
  if (!view) return;
  for (const QPointer<QTextEdit>& known : textViews_)
    if (known == view) return;
  textViews_.emplace_back(view);
  view->installEventFilter(this);
}

QTextEdit* CalOption::focusedTextView() const {
  QWidget* focus = window_->focusWidget();
  for (const QPointer<QTextEdit>& view : textViews_)
    if (view && (focus == view || (focus && view->isAncestorOf(focus)))) return view;
  return nullptr;
}

bool CalOption::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonDblClick && watched == memoField()->viewport()) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (openAttachmentAt(memoField()->cursorForPosition(mouse->position().toPoint()).position())) return true;
  }
  // Ctrl+Alt+Left and Right step the indent of the memo views (Command and Option of old).
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers mods =
        key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier | Qt::MetaModifier);
    if (mods == (Qt::ControlModifier | Qt::AltModifier) &&
        (key->key() == Qt::Key_Left || key->key() == Qt::Key_Right)) {
      // The main memo steps its own indent, with its changed-mark message.
      if (auto* view = qobject_cast<QTextEdit*>(watched); view && view != documentField()) {
        stepIndent(view, key->key() == Qt::Key_Right);
        return true;
      }
    }
    // Ctrl+Up at the very start of the memo sheet and Ctrl+Down at its very end step through
    // its history.
    // Elsewhere they take the caret to the start or the end, so that a second press steps.
    if (watched == memoField() && mods == Qt::ControlModifier) {
      QTextCursor c = memoField()->textCursor();
      if (key->key() == Qt::Key_Up) {
        if (c.selectionStart() == 0) {
          beforeRireki();
        } else {
          c.movePosition(QTextCursor::Start);
          memoField()->setTextCursor(c);
        }
        return true;
      }
      if (key->key() == Qt::Key_Down) {
        if (c.selectionStart() == memoField()->document()->characterCount() - 1) {
          nextRireki();
        } else {
          c.movePosition(QTextCursor::End);
          memoField()->setTextCursor(c);
        }
        return true;
      }
    }
  }
  return QObject::eventFilter(watched, event);
}

void CalOption::buildFormatMenu() {
  QMenuBar* bar = window_->menuBar();
  formatMenu_ = bar->addMenu(tr("F&ormat"));
  formatMenu_->setObjectName(QStringLiteral("formatMenu"));
  auto add = [this](const QString& title, const char* name, std::function<void()> fn,
                    const QKeySequence& keys = {}) {
    auto* action = formatMenu_->addAction(title);
    action->setObjectName(QString::fromLatin1(name));
    if (!keys.isEmpty()) action->setShortcut(keys);
    connect(action, &QAction::triggered, this, [fn = std::move(fn)] { fn(); });
    return action;
  };
  add(tr("Monaco"), "monacoAction", [this] { monacoAction(); });
  add(tr("Monaco 12 Point"), "monaco12PointAction", [this] { monaco12PointAction(); });
  add(tr("Hiragino"), "hiraginoAction", [this] { hiraginoAction(); });
  add(tr("Hiragino 12 Point"), "hiragino12PointAction", [this] { hiragino12PointAction(); });
  add(tr("Standard Document"), "stdDocumentAction", [this] { stdDocumentAction(); });
  formatMenu_->addSeparator();
  auto style = [this](void (*apply)(QTextEdit*)) {
    return [this, apply] {
      if (QTextEdit* view = focusedTextView()) apply(view);
    };
  };
  add(tr("Bold"), "boldAction", style([](QTextEdit* v) {
        v->setFontWeight(v->fontWeight() >= QFont::Bold ? QFont::Normal : QFont::Bold);
      }),
      QKeySequence::Bold);
  add(tr("Italic"), "italicAction", style([](QTextEdit* v) { v->setFontItalic(!v->fontItalic()); }),
      QKeySequence::Italic);
  add(tr("Underline"), "underlineAction",
      style([](QTextEdit* v) { v->setFontUnderline(!v->fontUnderline()); }), QKeySequence::Underline);
  add(tr("Change Colour"), "changeColorAction", [this] { changeColorAction(); });
  add(tr("Show Fonts"), "useFontPanel", [this] {
    if (QTextEdit* view = focusedTextView()) pravella::showFontPanel(view);
  });
  add(tr("Show Colours"), "useColorPanel", [this] {
    if (QTextEdit* view = focusedTextView()) pravella::showColorPanel(view);
  });
  formatMenu_->addSeparator();
  add(tr("Paste Date"), "pasteDateAction", [this] { calendar_->pasteDateAction(); });
  add(tr("Paste Date and Time"), "pasteDateTimeAction", [this] { calendar_->pasteDateTimeAction(); });
  formatMenu_->addSeparator();
  add(tr("Indent Right"), "incIndentAction", [this] {
    if (QTextEdit* view = focusedTextView()) stepIndent(view, true);
  });
  add(tr("Indent Left"), "decIndentAction", [this] {
    if (QTextEdit* view = focusedTextView()) stepIndent(view, false);
  });
  add(tr("Auto Indent"), "autoIndentAction", [this] { calendar_->autoIndent(); });

  userMenu_ = bar->addMenu(tr("&User"));
  userMenu_->setObjectName(QStringLiteral("userMenu"));
}

void CalOption::registerObservers() {
  using pravella::Notification;
  auto& center = pravella::NotificationCenter::defaultCenter();
  auto on = [&](const char* name, std::function<void(Notification&)> fn) {
    center.addObserver(QString::fromLatin1(name), this, std::move(fn));
  };
  on("addMemoSheetRireki", [this](Notification& n) { addRireki(n.text); });
  on("pasteDateTimeInMainDoct", [this](Notification&) { pasteDateTimeAction(); });
  on("pasteDateInMainDoc", [this](Notification&) { pasteDateAction(); });
  // The calendar controller's stamp, into whichever memo has the focus.
  on("cal_pasteDateTime", [this](Notification&) { calendar_->pasteDateTimeAction(); });
  on("cal_pasteDate", [this](Notification&) { calendar_->pasteDateAction(); });
  on("cal_stdDocument", [this](Notification&) { stdDocumentAction(); });
  on("cal_hiragino12Point", [this](Notification&) { hiragino12PointAction(); });
  on("cal_monaco12Point", [this](Notification&) { monaco12PointAction(); });
  on("cal_hiragino", [this](Notification&) { hiraginoAction(); });
  on("cal_monaco", [this](Notification&) { monacoAction(); });
  on("cal_memoAllClear", [this](Notification&) { memoAllClearAction(); });
  on("cal_addUserMenuItem", [this](Notification& n) { addUserMenuItem(n.text); });
  on("cal_addUserMenuItem2", [this](Notification& n) { addUserMenuItem2(n.text); });
  on("cal_clearUserMenu", [this](Notification&) { clearUserMenu(); });
  on("cal_changeDocFontSize", [this](Notification& n) {
    bool ok = false;
    const int size = n.text.trimmed().toInt(&ok);
    // Sizes below 1 would make every font command fail; they are not taken.
    if (ok && size >= 1 && size <= 10000) stdDocFontSize_ = size;
  });
  on("cal_indentWidth",
     [](Notification& n) { indentNumber = pravella::indent::indentWidthFromPayload(n.text, indentNumber); });
}

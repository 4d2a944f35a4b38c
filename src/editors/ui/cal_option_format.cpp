// The Format menu's work on the memo views (fonts, the colour cycle, date stamps, indents)
// and the User menu that programs fill.

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QTextCursor>
#include <QTextEdit>

#include "diary/ui/calcndar.h"
#include "diary/ui/main_window.h"
#include "diary/ui/side_view_drawers.h"
#include "editors/memo_format.h"
#include "editors/paragraph_indent.h"
#include "editors/text_services.h"
#include "editors/ui/cal_option.h"
#include "editors/ui/menu_script.h"
#include "editors/ui/temporary_highlights.h"
#include "platform/console_log.h"
#include "platform/notification_center.h"

namespace fmt = pravella::memo_format;

// ---------------------------------------------------------------- colours and stamps

void CalOption::changeColorAction() {
  QTextEdit* view = focusedTextView();
  if (!view) return;
  QTextCharFormat format;
  format.setForeground(fmt::colourCycle(nowColor_));
  view->mergeCurrentCharFormat(format);
  nowColor_ = (nowColor_ + 1) % fmt::kColourCycleLength;
}

namespace {

void stamp(QTextEdit* view, const QDateTime& when, bool withTime) {
  QTextCursor cursor = view->textCursor();
  fmt::insertDateStamp(cursor, when, withTime,
                       QColor::fromRgbF(dateFontColor[0], dateFontColor[1], dateFontColor[2], 1.0f));
  view->setTextCursor(cursor);
}

}  // namespace

void CalOption::pasteDateAction() {
  stamp(documentField(), clock_(), false);
  sound("Tink");
}

void CalOption::pasteDateTimeAction() {
  stamp(documentField(), clock_(), true);
  sound("Tink");
}

void CalOption::pasteDateAction_X() {
  stamp(memoField(), clock_(), false);
  sound("Tink");
}

void CalOption::pasteDateTimeAction_X() {
  stamp(memoField(), clock_(), true);
  sound("Tink");
}

// ---------------------------------------------------------------- font commands

void CalOption::fontCommand(const QString& name, int size, bool black) {
  QTextEdit* view = focusedTextView();
  if (!view) {
    sound("Basso");
    return;
  }
  QTextDocument* doc = view->document();
  const int length = doc->characterCount() - 1;
  if (length < 2) return;
  const QTextCursor c = view->textCursor();
  const fmt::Range range =
      fmt::fontCommandRange(c.selectionStart(), c.selectionEnd() - c.selectionStart(), length);
  if (!fmt::applyFont(*doc, range, name, size, black ? std::optional<QColor>(Qt::black) : std::nullopt))
    return;
  afterFontCommand(view);
}

void CalOption::afterFontCommand(QTextEdit* view) {
  view->viewport()->update();
  if (view == documentField())
    pravella::NotificationCenter::defaultCenter().post(QStringLiteral("adjustSaveDurtyButton"));
  sound("Tink");
}

void CalOption::monacoAction() { fontCommand(QString::fromLatin1(fmt::kMonoFont), stdDocFontSize_, false); }
void CalOption::monaco12PointAction() { fontCommand(QString::fromLatin1(fmt::kMonoFont), 12, false); }
void CalOption::hiraginoAction() { fontCommand(QString::fromLatin1(fmt::kBodyFont), stdDocFontSize_, true); }
void CalOption::hiragino12PointAction() { fontCommand(QString::fromLatin1(fmt::kBodyFont), 12, true); }

void CalOption::stdDocumentAction() {
  QTextEdit* view = focusedTextView();
  if (!view) {
    sound("Basso");
    return;
  }
  if (view->document()->characterCount() - 1 < 2) return;
  clearBackgroundColorAttribute(view);
  if (!fmt::standardDocument(*view->document(), fmt::indexCharacters(), stdDocFontSize_)) return;
  afterFontCommand(view);
}

// ---------------------------------------------------------------- indents

void CalOption::stepIndent(QTextEdit* view, bool right) {
  if (!view) return;
  const QTextCursor c = view->textCursor();
  pravella::indent::stepIndent(*view->document(), c.selectionStart(), c.selectionEnd() - c.selectionStart(),
                               indentNumber, right);
  view->viewport()->update();
  sound("Pop");
}

void CalOption::incIndentForDocument_X(QTextEdit* view) { stepIndent(view, true); }
void CalOption::decIndentForDocument_X(QTextEdit* view) { stepIndent(view, false); }

void CalOption::DoAutoIndent(QTextEdit* view) {
  if (!view) return;
  pravella::indent::autoIndent(*view->document(), autoIndentString_, indentNumber);
  view->viewport()->update();
  sound("Pop");
}

void CalOption::clearBackgroundColorAttribute(QTextEdit* view) { pravella::clearTemporaryHighlights(view); }

// ---------------------------------------------------------------- the User menu

void CalOption::addUserMenuItem(const QString& payload) {
  const int tab = static_cast<int>(payload.indexOf(QLatin1Char('\t')));
  if (tab < 0) return;
  const QString title = payload.left(tab), script = payload.mid(tab + 1);
  if (title.startsWith(QLatin1Char('-'))) {
    userMenu_->addSeparator();
    // The pairs stay aligned with the menu's entries.
    menuItemScript_ << QStringLiteral(" ") << QStringLiteral(" ");
    return;
  }
  QAction* item = userMenu_->addAction(title);
  connect(item, &QAction::triggered, this, [this, item] { userMenuAction(item->text()); });
  menuItemScript_ << title << script;
}

QAction* CalOption::findKeyUser(const QKeySequence& keys) const {
  for (QAction* action : window_->findChildren<QAction*>())
    if (action->shortcuts().contains(keys)) return action;
  return nullptr;
}

void CalOption::addUserMenuItem2(const QString& payload) {
  const QStringList f = payload.split(QLatin1Char('\t'));
  if (f.size() < 4 || f[0].isEmpty() || f[1].isEmpty()) return;
  QAction* item = userMenu_->addAction(f[0]);
  connect(item, &QAction::triggered, this, [this, item] { userMenuAction(item->text()); });
  menuItemScript_ << f[0] << f[1];
  // Command is Ctrl, Option is Alt; bit 1 of the modifiers adds Shift, bit 0 Alt.
  bool ok = false;
  const long bits = f[3].trimmed().toLong(&ok);
  if (f[2].size() != 1 || f[2].at(0).isSpace()) return;
  Qt::KeyboardModifiers mods = Qt::ControlModifier;
  if (ok && (bits & 2)) mods |= Qt::ShiftModifier;
  if (ok && (bits & 1)) mods |= Qt::AltModifier;
  // Qt's key code of a printable character is its upper-case code point.
  const auto key = static_cast<Qt::Key>(f[2].toUpper().at(0).unicode());
  const QKeySequence sequence(QKeyCombination(mods, key));
  if (QAction* other = findKeyUser(sequence)) {
    // Keys another action already answers to stay with it.
    showErrMessageToConsole(QStringLiteral("User menu: %1 already belongs to \"%2\"; \"%3\" gets no keys.\n")
                                .arg(sequence.toString(), other->text(), f[0])
                                .toStdString());
    return;
  }
  item->setShortcut(sequence);
}

void CalOption::clearUserMenu() {
  const QList<QAction*> items = userMenu_->actions();
  for (auto it = items.crbegin(); it != items.crend(); ++it) {
    userMenu_->removeAction(*it);
    (*it)->deleteLater();
  }
  // The scripts go with their items: a title added again runs its new script.
  menuItemScript_.clear();
}

void CalOption::userMenuAction(const QString& title) {
  for (int i = 0; i + 1 < menuItemScript_.size(); i += 2) {
    if (menuItemScript_[i] != title) continue;
    pravella::runMenuScript(menuItemScript_[i + 1], window_);
    break;
  }
  sound("Tink");
}

#include "tools/text/ui/cal_doc_search.h"

#include <QApplication>
#include <QDockWidget>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

#include "diary/diary_globals.h"
#include "editors/ui/long_memo_layout.h"
#include "editors/ui/temporary_highlights.h"
#include "lang/builtins/command_bridge.h"
#include "platform/notification_center.h"
#include "platform/ui/selected_text.h"
#include "tools/text/find_replace.h"

using pravella::findtext::documentText;

CalDocSearch::CalDocSearch(QTextEdit* documentField, QWidget* calendarWindow, Host host, QObject* parent)
    : QObject(parent), documentField_(documentField), host_(std::move(host)) {
  if (!host_.focusWidget) host_.focusWidget = [] { return QApplication::focusWidget(); };
  buildPanel(calendarWindow);
}

CalDocSearch::~CalDocSearch() {
  pravella::NotificationCenter::defaultCenter().removeObservers(this);
  if (sheet_)
    delete sheet_;
  else
    delete panel_;
}

void CalDocSearch::buildPanel(QWidget* parent) {
  // The search sheet of the main window; without side views, a tool window over the calendar
  // window. Either keeps the texts while hidden.
  if (host_.addSideView) {
    sheet_ = new QDockWidget(tr("Find and Replace"), parent);
    sheet_->setObjectName(QStringLiteral("searchToggleView"));
    panel_ = new QWidget(sheet_);
    sheet_->setWidget(panel_);
  } else {
    panel_ = new QWidget(parent, Qt::Tool);
    panel_->setWindowTitle(tr("Find"));
  }
  panel_->setObjectName(QStringLiteral("findPanel"));
  findStringField_ = new QLineEdit(panel_);
  findStringField_->setObjectName(QStringLiteral("findStringField"));
  replaceStringField_ = new QLineEdit(panel_);
  replaceStringField_->setObjectName(QStringLiteral("replaceStringField"));
  numOfReplacedField_ = new QLineEdit(QStringLiteral("0"), panel_);
  numOfReplacedField_->setObjectName(QStringLiteral("numOfReplacedField"));
  numOfReplacedField_->setReadOnly(true);
  progressBar_ = new QProgressBar(panel_);
  progressBar_->setObjectName(QStringLiteral("findProgressBar"));
  progressBar_->setTextVisible(false);

  auto* fields = new QFormLayout;
  fields->addRow(tr("Find:"), findStringField_);
  fields->addRow(tr("Replace:"), replaceStringField_);
  fields->addRow(tr("Replaced:"), numOfReplacedField_);
  auto* buttons = new QGridLayout;
  const struct {
    const char* title;
    void (CalDocSearch::*action)();
  } actions[] = {
      {"Next", &CalDocSearch::goSearchAction},
      {"Previous", &CalDocSearch::backSearchAction},
      {"Replace && Next", &CalDocSearch::replaceAndNextAction},
      {"Replace All", &CalDocSearch::replaceAllAction},
      {"Highlight All", &CalDocSearch::findOnByDocSelectedString},
      {"Use Selection for Find", &CalDocSearch::findStringFromDocAction},
      {"Use Selection for Replace", &CalDocSearch::replaceStringFromDocAction},
      {"CRLF to LF", &CalDocSearch::changeCRLFtoLFAction},
      {"Line Ends to LF", &CalDocSearch::changeReturnAction},
      {"No Empty Lines", &CalDocSearch::deleteDoubleReturnAction},
      {"One Empty Line at Most", &CalDocSearch::deleteTripleReturnAction},
  };
  int i = 0;
  for (const auto& a : actions) {
    auto* b = new QPushButton(tr(a.title), panel_);
    connect(b, &QPushButton::clicked, this, [this, action = a.action] { (this->*action)(); });
    buttons->addWidget(b, i / 2, i % 2);
    ++i;
  }
  auto* layout = new QVBoxLayout(panel_);
  layout->addLayout(fields);
  layout->addLayout(buttons);
  layout->addWidget(progressBar_);
  connect(findStringField_, &QLineEdit::returnPressed, this, &CalDocSearch::goSearchAction);
}

void CalDocSearch::awakeFromNib() {
  auto& center = pravella::NotificationCenter::defaultCenter();
  using pravella::Notification;
  auto on = [&](const char* name, std::function<void(Notification&)> fn) {
    center.addObserver(QString::fromLatin1(name), this, std::move(fn));
  };
  on("cal_findFoward", [this](Notification&) { goSearchAction(); });
  on("cal_findBackward", [this](Notification&) { backSearchAction(); });
  on("cal_replaceAndNext", [this](Notification&) { replaceAndNextAction(); });
  on("cal_replaceString", [this](Notification&) { replaceAllAction(); });
  on("cal_changeCRLFtoLF", [this](Notification&) { changeCRLFtoLFAction(); });
  on("cal_changeReturn", [this](Notification&) { changeReturnAction(); });
  on("cal_deleteDoubleReturn", [this](Notification&) { deleteDoubleReturnAction(); });
  on("cal_deleteTripleReturn", [this](Notification&) { deleteTripleReturnAction(); });
  on("cal_setFindString", [this](Notification& n) { setFindStringForControl(n.text); });
  on("cal_setReplaceString", [this](Notification& n) { setReplaceStringForControl(n.text); });
  on("cal_getFindString", [this](Notification&) { pravella::answerString(findStringField_->text()); });
  on("cal_getReplaceString", [this](Notification&) { pravella::answerString(replaceStringField_->text()); });
  on("cal_toggleToolSheet", [this](Notification&) { openSearchSheetAction(true); });
  on("cal_openToolSheet", [this](Notification&) { openSearchSheetAction(false); });
  if (sheet_) host_.addSideView(sheet_);
}

void CalDocSearch::showPanel() {
  if (sheet_) return openSearchSheetAction(false);
  panel_->show();
  panel_->raise();
  findStringField_->setFocus();
}

bool CalDocSearch::isSheetOpen() const { return sheet_ ? !sheet_->isHidden() : panel_->isVisible(); }

void CalDocSearch::openSearchSheetAction(bool toggle) {
  const QString selected = pravella::selectedPlainText(documentField_);
  if (SheetCanOpen.load() == 0) return;
  numOfReplacedField_->setText(QStringLiteral("0"));
  if (toggle && isSheetOpen()) {
    if (host_.closeAllToggleView) host_.closeAllToggleView();
    if (!sheet_) panel_->hide();
    return;
  }
  if (host_.closeAllToggleView) host_.closeAllToggleView();
  QWidget* shown = sheet_ ? static_cast<QWidget*>(sheet_) : panel_;
  shown->show();
  shown->raise();
  if (host_.setToggleStatus) host_.setToggleStatus(kToggleStatus);
  if (!selected.isEmpty()) findStringField_->setText(selected);
  findStringField_->setFocus();
}

QTextEdit* CalDocSearch::targetView() const {
  QWidget* focus = host_.focusWidget ? host_.focusWidget() : nullptr;
  if (focus && memoTextView_ && focus == memoTextView_) return memoTextView_;
  if (focus && finderTextView_ && focus == finderTextView_) return finderTextView_;
  return documentField_;
}

QString CalDocSearch::findText() const {
  if (host_.monthDrawerOpen && host_.monthDrawerOpen() && host_.monthSearchText)
    return host_.monthSearchText();
  return findStringField_->text();
}

void CalDocSearch::sound(const char* name) {
  if (host_.playSound) host_.playSound(name);
}

void CalDocSearch::edited(QTextEdit* view) {
  if (host_.markEdited) host_.markEdited();
  // Only the main memo has the calendar's save button.
  if (view == documentField_)
    pravella::NotificationCenter::defaultCenter().post(QStringLiteral("adjustSaveDurtyButton"));
}

void CalDocSearch::selectAndShow(QTextEdit* view, qsizetype at, qsizetype length) {
  // A match far down a long memo is shown once the memo is laid out down to it, in short steps.
  pravella::LongMemoMoves::walkThen(view, static_cast<int>(at + length), [view, at, length] {
    QTextCursor c(view->document());
    c.setPosition(static_cast<int>(at));
    c.setPosition(static_cast<int>(at + length), QTextCursor::KeepAnchor);
    view->setTextCursor(c);
    view->ensureCursorVisible();
  });
}

void CalDocSearch::caretTo(QTextEdit* view, qsizetype at) { selectAndShow(view, at, 0); }

void CalDocSearch::goSearchAction() {
  QTextEdit* view = targetView();
  if (!view) return;
  numOfReplacedField_->setText(QStringLiteral("0"));
  const QString find = findText();
  const QString text = documentText(*view->document());
  if (find.isEmpty() || find.size() > text.size()) return sound("Pong2003");
  const qsizetype at = pravella::findtext::findForward(text, find, view->textCursor().selectionEnd());
  if (at >= 0) return selectAndShow(view, at, find.size());
  sound("Basso");
  caretTo(view, 0);  // the next search starts from the top
}

void CalDocSearch::backSearchAction() {
  QTextEdit* view = targetView();
  if (!view) return;
  const QString find = findText();
  if (find.isEmpty()) return sound("Pong2003");
  const QString text = documentText(*view->document());
  // A match must end at or before the start of the selection.
  const qsizetype from = view->textCursor().selectionStart() - find.size();
  const qsizetype at = from < 0 ? -1 : pravella::findtext::findBackward(text, find, from);
  if (at >= 0) return selectAndShow(view, at, find.size());
  sound("Basso");
  caretTo(view, text.size());
}

void CalDocSearch::replaceAndNextAction() {
  QTextEdit* view = targetView();
  if (!view) return;
  const QString find = findStringField_->text();
  if (find.isEmpty() || find.size() > documentText(*view->document()).size()) return sound("Pong2003");
  QTextCursor c = view->textCursor();
  c.insertText(replaceStringField_->text());
  view->setTextCursor(c);
  edited(view);
  const QString text = documentText(*view->document());
  const qsizetype at = pravella::findtext::findForward(text, find, c.selectionEnd());
  if (at >= 0) return selectAndShow(view, at, find.size());
  sound("Basso");
  caretTo(view, 0);
}

bool CalDocSearch::replaceAllFrom(const QString& find, const QString& replacement, QTextEdit* view) {
  if (!view) return false;
  const int before = numOfReplacedField_->text().toInt();
  const qsizetype length = documentText(*view->document()).size();
  if (pravella::findtext::replaceAllRefused(documentText(*view->document()), find, replacement)) {
    sound("Pong2003");
    return false;
  }
  progressBar_->setRange(0, static_cast<int>(std::max<qsizetype>(0, length - find.size() - 1)));
  const int count = pravella::findtext::replaceAll(*view->document(), find, replacement,
                                                   [this](qsizetype maximum, qsizetype value) {
                                                     progressBar_->setMaximum(static_cast<int>(maximum));
                                                     progressBar_->setValue(static_cast<int>(value));
                                                     progressBar_->repaint();
                                                   });
  progressBar_->setValue(0);
  sound("Purr");
  caretTo(view, 0);
  numOfReplacedField_->setText(QString::number(before + std::max(0, count)));
  if (count >= 1) edited(view);
  return true;
}

void CalDocSearch::replaceAllAction() {
  replaceAllFrom(findStringField_->text(), replaceStringField_->text(), targetView());
}

void CalDocSearch::lineEndPasses(std::initializer_list<std::pair<const char*, const char*>> passes) {
  numOfReplacedField_->setText(QStringLiteral("0"));
  QTextEdit* view = targetView();
  for (const auto& [find, replacement] : passes)
    replaceAllFrom(QString::fromLatin1(find), QString::fromLatin1(replacement), view);
}

void CalDocSearch::changeCRLFtoLFAction() { lineEndPasses({{"\r\n", "\n"}, {" \n", "\n"}}); }
void CalDocSearch::changeReturnAction() { lineEndPasses({{"\r\n", "\n"}, {"\r", "\n"}, {" \n", "\n"}}); }
void CalDocSearch::deleteDoubleReturnAction() {
  lineEndPasses({{"\r", "\n"}, {"\n\n", "\n"}, {" \n", "\n"}});
}
void CalDocSearch::deleteTripleReturnAction() {
  lineEndPasses({{"\r", "\n"}, {"\n\n\n", "\n\n"}, {" \n", "\n"}});
}

void CalDocSearch::setFindStringForControl(const QString& text) {
  findStringField_->setText(text);
  numOfReplacedField_->setText(QStringLiteral("0"));
}

void CalDocSearch::setReplaceStringForControl(const QString& text) {
  replaceStringField_->setText(text);
  numOfReplacedField_->setText(QStringLiteral("0"));
}

void CalDocSearch::findStringFromDocAction() {
  if (QTextEdit* view = targetView()) findStringField_->setText(pravella::selectedPlainText(view));
}

void CalDocSearch::replaceStringFromDocAction() {
  if (QTextEdit* view = targetView()) setReplaceStringForControl(pravella::selectedPlainText(view));
}

void CalDocSearch::findOnByDocSelectedString() {
  if (QTextEdit* view = targetView()) findByDocSelectedString(pravella::selectedPlainText(view));
}

void CalDocSearch::findByDocSelectedString(const QString& find) {
  QTextEdit* view = targetView();
  if (!view) return;
  pravella::clearTemporaryHighlights(view);
  if (!find.isEmpty()) {
    const QString text = documentText(*view->document());
    QList<QTextCursor> hits;
    for (qsizetype at = text.indexOf(find, 0, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf(find, at + find.size(), Qt::CaseInsensitive)) {
      QTextCursor hit(view->document());
      hit.setPosition(static_cast<int>(at));
      hit.setPosition(static_cast<int>(at + find.size()), QTextCursor::KeepAnchor);
      hits.append(hit);
    }
    pravella::addTemporaryHighlights(view, hits, QColor::fromRgbF(1.0f, 0.95f, 0.0f));
  }
  sound("Tink");
}

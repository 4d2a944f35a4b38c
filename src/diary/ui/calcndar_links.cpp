// Links in the main memo: bracketed document and heading links and plain web addresses, followed
// on a double click, and link attributes, followed on a click.

#include <QFileInfo>
#include <QTextBlock>
#include <QTextCursor>
#include <QUrl>

#include <string>

#include "diary/day_documents.h"
#include "diary/day_folders.h"
#include "diary/document_links.h"
#include "diary/diary_globals.h"
#include "diary/ui/calcndar.h"
#include "diary/ui/main_window.h"
#include "diary/ui/pravella.h"
#include "editors/ui/clicked_link.h"
#include "editors/ui/main_text_view.h"
#include "editors/web_launch.h"
#include "platform/cformat.h"
#include "platform/console_log.h"
#include "platform/notification_center.h"
#include "platform/paths.h"

namespace {

// The side view number of the web drawer: while it is recorded, addresses go to the drawer.
constexpr int kWebDrawerToggleStatus = 23;

// Something is there at the end of the path's link chain (relative links taken against their
// own folder; a looping or dangling chain is nothing).
bool existsAtEnd(const QString& path) {
  const std::optional<QString> end = pravella::resolveSymbolicLink(path);
  return end && QFileInfo::exists(*end);
}

bool isLineEnd(QChar c) { return c == u'\n' || c == u'\r'; }

}  // namespace

bool Calcndar::checkDocumentLink() {
  mainTextView* memo = window_->documentView();
  const QString text = memo->toPlainText();
  const std::optional<pravella::BracketPair> pair =
      pravella::bracketPairAround(text, memo->textCursor().selectionStart());
  if (!pair) return false;
  const qsizetype open = pair->open, close = pair->close;
  const QString link = pair->target(text);
  QTextCursor caret = memo->textCursor();
  caret.setPosition(static_cast<int>(close + 1));
  memo->setTextCursor(caret);
  addDocumentToRireki(nowDisplayedDocument_);

  const QString diary = pravella::paths::diary() + QLatin1Char('/');
  const QString selected = QString::fromStdString(
      pravella::cformat("%4d/%02d/%02d", selectedDay_.year(), selectedDay_.month(), selectedDay_.day()));
  const QString inDiary = diary + link;
  const QString inDay = diary + selected + QLatin1Char('/') + link;
  QString path = existsAtEnd(inDiary) ? inDiary : inDay;

  if (pravella::fileExtension(link) == QLatin1String("webarchive")) {
    const QString archive = existsAtEnd(inDiary) ? inDiary : inDay;
    pravella::NotificationCenter& center = pravella::NotificationCenter::defaultCenter();
    const QString sheet = QStringLiteral("openWebSheetAndConnectURL_X");
    // Without the web sheet the browser shows it.
    if (doubleClickWithShift_ || !center.hasObservers(sheet))
      openWebarchiveOnWebBrowserFromName(archive);
    else
      center.post(sheet, QUrl::fromLocalFile(archive).toString(QUrl::FullyEncoded));
    return true;
  }

  if (!existsAtEnd(path)) {
    path = diary + link + QStringLiteral(".rtfd");
    if (!existsAtEnd(path)) path = inDay + QStringLiteral(".rtfd");
  }

  if (existsAtEnd(path)) {
    const QFileInfo info(path);
    const QString ext = pravella::fileExtension(path);
    if (ext != QLatin1String("rtf") && ext != QLatin1String("rtfd")) {
      openWithDesktop(info.absolutePath(), info.fileName());
      return true;
    }
    if (openDocumentOnMemoStatus.load() == 1 && !doubleClickWithCommand_) {
      openDocumentOnMemo(path);
      doubleClickWithShift_ = doubleClickWithOption_ = false;
      return true;
    }
    doubleClickWithShift_ = doubleClickWithOption_ = false;
    const std::optional<pravella::DayOfPath> day = pravella::dayOfDiaryDocument(path);
    if (!day) return false;
    return moveCalendarToDocument(path, QDate(day->year, day->month, day->day));
  }

  // No such document: a heading of this memo, else a search of the memos.
  const QStringList lines = text.split(QLatin1Char('\n'));
  qsizetype start = 0;
  for (const QString& line : lines) {
    if (line == link) {
      setDocJumpInDoc();
      QTextCursor cursor = memo->textCursor();
      cursor.setPosition(static_cast<int>(start));
      cursor.setPosition(static_cast<int>(start + line.size()), QTextCursor::KeepAnchor);
      memo->setTextCursor(cursor);
      memo->ensureCursorVisible();
      sound("Tink");
      return true;
    }
    start += line.size() + 1;
  }
  const QString mark = QStringLiteral("\u203B ");
  const qsizetype from = link.startsWith(mark) ? open + 3 : open + 1;
  QTextCursor cursor = memo->textCursor();
  cursor.setPosition(static_cast<int>(from));
  cursor.setPosition(static_cast<int>(close), QTextCursor::KeepAnchor);
  memo->setTextCursor(cursor);
  memo->setFocus();
  if (Pravella_X) Pravella_X->showMonthDiaryAction();
  return true;
}

bool Calcndar::moveCalendarToDocument(const QString& path, const QDate& day) {
  if (!goToDocumentOfDay(path, day)) return false;
  sound("Tink");
  addDocumentToRireki(nowDisplayedDocument_);
  return true;
}

bool Calcndar::goToDocumentOfDay(const QString& path, const QDate& day) {
  // Saved while its own day is still selected, as a click on a day saves it: saved after the
  // change of day, a new memo would be filed under the link's day.
  if (!save()) return false;
  beforeDayToPlain();
  const QDate before = selectedDay_;
  setSelectedDay(day);
  if (before.year() != selectedDay_.year() || before.month() != selectedDay_.month()) {
    setSelectedDay(selectedDay_);
    refreshCalendar();
  }
  selectDayAction2(day.day());
  selectDiaryFileFromNameAction(QFileInfo(path).fileName());
  return true;
}

bool Calcndar::checkURL() {
  mainTextView* memo = window_->documentView();
  const QString text = memo->toPlainText();
  const qsizetype n = text.size();
  const qsizetype caret = memo->textCursor().selectionStart();

  qsizetype start = -1;
  for (qsizetype q = caret; q >= 0 && q + 7 < n; --q) {
    const QChar c = text[q];
    if (c == u'\n' || c == u' ' || c == u'\t') break;
    if (QStringView(text).mid(q, 7) == u"http://" || QStringView(text).mid(q, 6) == u"ftp://") {
      start = q;
      break;
    }
  }
  qsizetype end = -1;
  for (qsizetype q = caret; q < n; ++q) {
    const QChar c = text[q];
    if (isLineEnd(c) || c == u' ' || c == u'\t') {
      end = q;
      break;
    }
    if (q == n - 1) end = n;
  }
  if (start < 0 || end < 0) return false;
  const QString address = text.mid(start, end - start);
  sound("Tink");
  pravella::NotificationCenter& center = pravella::NotificationCenter::defaultCenter();
  const QString sheet = QStringLiteral("openWebSheetAndConnectURL");
  if (toggleStatus_ == kWebDrawerToggleStatus && center.hasObservers(sheet))
    center.post(sheet, address);
  else
    launchURL(address);
  return true;
}

void Calcndar::launchURL(const QString& text) {
  // The browser's address as webLaunchURL makes it, handed to this window's opener.
  std::string address;
  if (pravella::checkURLforwebLaunchURL(text.toUtf8().toStdString(), address) == 0) return;
  if (!opener_(QStringLiteral("xdg-open"), {QString::fromStdString(address)}, dayFolder()))
    showErrMessageToConsole("Can not open the address with xdg-open.\n");
}

bool Calcndar::textViewClickedOnLink(const QString& value) {
  pravella::LinkAskers askers;
  askers.webDrawerOpen = [this] { return toggleStatus_ == kWebDrawerToggleStatus; };
  askers.searchMemos = [](const QString& name) {
    if (Pravella_X) Pravella_X->DoSearchMemoInSearchSheet(name);
  };
  askers.openFile = [this](const QString& path) {
    const QFileInfo info(path);
    openWithDesktop(info.absolutePath(), info.fileName());
  };
  askers.launchURL = [this](const QString& text) { launchURL(text); };
  askers.sound = [this](const char* name) { sound(name); };
  return pravella::followClickedLink(value, askers);
}

// Making links: the selection of the focused memo turned into a program, encyclopedia, search
// or document link, and symbolic links that put documents, picture folders and movie folders
// of elsewhere into a day folder (the Edit menu's Links submenu and the cal_symbolicLink*
// commands).

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QTextCursor>
#include <QTextEdit>
#include <QUrl>

#include <string>

#include "diary/day_documents.h"
#include "diary/day_folders.h"
#include "diary/document_links.h"
#include "diary/ui/calcndar.h"
#include "diary/ui/main_window.h"
#include "editors/ui/main_text_view.h"
#include "editors/web_launch.h"
#include "platform/cformat.h"
#include "platform/console_log.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/ui/dialogs.h"

namespace {

const QColor kProgramLinkColour = QColor::fromRgbF(1.0f, 0.0f, 0.0f);
const QColor kWebLinkColour = QColor::fromRgbF(1.0f, 0.5f, 0.0f);
const QColor kBracketLinkColour = QColor::fromRgbF(0.15f, 0.15f, 0.6f);

QString fromView(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Every UTF-8 byte of the text as "%XX", letters and digits included.
QString everyByteEscaped(const QString& text) {
  QString out;
  for (const char byte : text.toUtf8())
    out += QString::fromStdString(pravella::cformat("%%%02X", static_cast<unsigned char>(byte)));
  return out;
}

QTextCharFormat linkFormat(const QString& value, const QColor& colour) {
  QTextCharFormat format;
  format.setAnchor(true);
  format.setAnchorHref(value);
  format.setForeground(colour);
  format.setFontUnderline(true);
  return format;
}

bool entryExists(const QString& path) { return QFileInfo(path).exists() || QFileInfo(path).isSymLink(); }

}  // namespace

void Calcndar::buildLinksMenu() {
  QMenu* edit = window_->editMenu();
  if (!edit) return;
  QMenu* links = edit->addMenu(tr("Links"));
  links->setObjectName(QStringLiteral("linksMenu"));
  const auto add = [this, links](const QString& title, const char* name, void (Calcndar::*action)()) {
    QAction* item = links->addAction(title);
    item->setObjectName(QString::fromLatin1(name));
    connect(item, &QAction::triggered, this, [this, action] { (this->*action)(); });
  };
  add(tr("Program Link"), "programLinkDocumentAction", &Calcndar::programLinkDocumentAction);
  add(tr("Encyclopedia Link"), "wikiLinkDocumentAction", &Calcndar::wikiLinkDocumentAction);
  add(tr("Search Link"), "nullLinkDocumentAction", &Calcndar::nullLinkDocumentAction);
  add(tr("Document Link..."), "linkDocumentAction", &Calcndar::linkDocumentAction);
  links->addSeparator();
  add(tr("Link Shown Document into Today"), "symbolicLinkCurrentDisplayedDocumentToTodayFolder",
      &Calcndar::symbolicLinkCurrentDisplayedDocumentToTodayFolder);
  add(tr("Symbolic Link of a File..."), "symbolicLinkAction", &Calcndar::symbolicLinkAction);
  add(tr("Symbolic Link of a Picture Folder..."), "symbolicLinkToGraphAction",
      &Calcndar::symbolicLinkToGraphAction);
  add(tr("Symbolic Link of a Movie Folder..."), "symbolicLinkToMovieAction",
      &Calcndar::symbolicLinkToMovieAction);

  QAction* find = edit->addAction(tr("Use Selection for Find"));
  find->setObjectName(QStringLiteral("performFindPanelAction"));
  find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
  connect(find, &QAction::triggered, this, [this] { window_->documentView()->performFindPanelAction(); });
}

void Calcndar::registerLinkObservers() {
  auto& center = pravella::NotificationCenter::defaultCenter();
  center.addObserver(QStringLiteral("cal_symbolicLinkDocument"), this,
                     [this](pravella::Notification&) { symbolicLinkAction(); });
  center.addObserver(QStringLiteral("cal_symbolicLinkGraph"), this,
                     [this](pravella::Notification&) { symbolicLinkToGraphAction(); });
  center.addObserver(QStringLiteral("cal_symbolicLinkMovie"), this,
                     [this](pravella::Notification&) { symbolicLinkToMovieAction(); });
}

QTextEdit* Calcndar::firstResponderTextView() const {
  return qobject_cast<QTextEdit*>(window_->focusWidget());
}

// ---------------------------------------------------------------- the selection as a link

void Calcndar::makeSelectionLink(const QString& value, const QColor& colour, bool needsValue) {
  QTextEdit* view = firstResponderTextView();
  if (!view) return;
  QTextCursor selection = view->textCursor();
  if (!selection.hasSelection() || (needsValue && value.isEmpty())) {
    sound("Basso");
    return;
  }
  selection.setCharFormat(linkFormat(value, colour));
  view->setTextCursor(selection);
  sound("Tink");
}

void Calcndar::programLinkDocumentAction() {
  makeSelectionLink(QApplication::clipboard()->text(), kProgramLinkColour, true);
}

void Calcndar::wikiLinkDocumentAction() {
  QTextEdit* view = firstResponderTextView();
  const QString words = view ? view->textCursor().selectedText() : QString();
  makeSelectionLink(fromView(pravella::kEncyclopediaArticlePrefix) + everyByteEscaped(words), kWebLinkColour,
                    false);
}

void Calcndar::nullLinkDocumentAction() {
  QTextEdit* view = firstResponderTextView();
  const QString words = view ? view->textCursor().selectedText() : QString();
  const QString query = QString::fromLatin1(QUrl::toPercentEncoding(words));
  makeSelectionLink(fromView(pravella::kWebSearchHost) + QStringLiteral("/search?q=") + query, kWebLinkColour,
                    false);
}

void Calcndar::linkDocumentAction() {
  const QString chosen = openPanel_(QStringLiteral("Select Document"), dayFolder(), false);
  didEndSelectLinkDocument(chosen.isEmpty() ? 0 : 1, chosen);
}

void Calcndar::didEndSelectLinkDocument(int returnCode, const QString& path) {
  QTextEdit* view = firstResponderTextView();
  if (!view || returnCode != 1) return;
  QTextCursor cursor = view->textCursor();
  if (cursor.hasSelection()) {
    cursor.setCharFormat(linkFormat(QUrl::fromLocalFile(path).toString(), kWebLinkColour));
    view->setTextCursor(cursor);
    sound("Tink");
    return;
  }
  // A document of the diary: its bracketed link, bare when it is of the shown document's day.
  QDate shownDay;
  if (const std::optional<pravella::DayOfPath> day = pravella::dayOfDiaryDocument(nowDisplayedDocument_))
    shownDay = QDate(day->year, day->month, day->day);
  const QString link = pravella::diaryDocumentLinkText(path, shownDay);
  const int start = cursor.position();
  if (link.isEmpty()) {
    // Any other file: a bracket would lead nowhere, so its name links to it, as a dropped
    // file's does.
    const QString name = QFileInfo(path).fileName();
    cursor.insertText(QStringLiteral(" "));
    cursor.insertText(name, linkFormat(QUrl::fromLocalFile(path).toString(), kWebLinkColour));
    cursor.insertText(QStringLiteral(" "), QTextCharFormat());
  } else {
    cursor.insertText(link);
    QTextCursor target(view->document());
    target.setPosition(start + 2);
    target.setPosition(start + static_cast<int>(link.size()) - 2, QTextCursor::KeepAnchor);
    QTextCharFormat colour;
    colour.setForeground(kBracketLinkColour);
    target.mergeCharFormat(colour);
  }
  view->setTextCursor(cursor);
  sound("Tink");
}

// ---------------------------------------------------------------- symbolic links

QString Calcndar::orijinalFilePath(const QString& path) const {
  return pravella::resolveSymbolicLink(path).value_or(QString());
}

void Calcndar::symbolicLinkCurrentDisplayedDocumentToTodayFolder() {
  const QDate now = today();
  const QString folder = pravella::paths::dayFolder(now.year(), now.month(), now.day());
  const QString header = window_->symbLinkHeaderField()->text();
  const QString name = nowDisplayedDocument_.section(QLatin1Char('/'), -1);
  if (nowDisplayedDocument_.isEmpty())
    return refuse(tr("The memo is not saved yet: there is no document to link."));
  if (entryExists(folder + QLatin1Char('/') + name))
    return refuse(tr("%1 is in today's folder already.").arg(name));
  const QString original = orijinalFilePath(nowDisplayedDocument_);
  if (original.isEmpty() || !QFileInfo::exists(original))
    return refuse(tr("%1 leads to no document: a link to it would lead nowhere.").arg(name));
  const pravella::DayOfPath day = pravella::dayOfDocumentPath(original).value_or(pravella::DayOfPath{});
  const QString originalName = original.section(QLatin1Char('/'), -1);
  const QString ext = pravella::fileExtension(originalName);
  QString linkName =
      header + pravella::withoutExtension(originalName) +
      QString::fromStdString(pravella::cformat("(%4d-%02d-%02d)", day.year, day.month, day.day));
  if (!ext.isEmpty()) linkName += QLatin1Char('.') + ext;
  const QString link = folder + QLatin1Char('/') + linkName;
  if (entryExists(link)) return refuse(tr("%1 is in today's folder already.").arg(linkName));
  // Today may have no folder yet.
  if (!QDir().mkpath(folder) || !QFile::link(original, link)) {
    showErrMessageToConsole(("The link " + link + " to " + original + " could not be made.\n").toStdString());
    return refuse(tr("The link %1 could not be made.").arg(linkName));
  }
  sound("Tink");
}

void Calcndar::chooseSymbolicLinkTarget(const QString& title, bool folders, const QString& context) {
  const QString chosen = openPanel_(title, pravella::paths::home(), folders);
  didEndGetDirectorySheetAndSetSymbolicLink(chosen.isEmpty() ? 0 : 1, chosen, context);
}

void Calcndar::symbolicLinkAction() {
  chooseSymbolicLinkTarget(QStringLiteral("Set SymbolicLink File"), false, QStringLiteral("file"));
}

void Calcndar::symbolicLinkToGraphAction() {
  chooseSymbolicLinkTarget(QStringLiteral("Set SymbolicLink Graph Folder"), true, QStringLiteral("graph"));
}

void Calcndar::symbolicLinkToMovieAction() {
  chooseSymbolicLinkTarget(QStringLiteral("Set SymbolicLink Movie Folder"), true, QStringLiteral("movie"));
}

void Calcndar::didEndGetDirectorySheetAndSetSymbolicLink(int returnCode, const QString& path,
                                                         const QString& context) {
  if (returnCode != 1 || path.isEmpty() || !QFileInfo::exists(path)) return;
  QString name = window_->symbLinkHeaderField()->text() + QFileInfo(path).fileName();
  if (context == QLatin1String("graph"))
    name += QStringLiteral(".pictd");
  else if (context == QLatin1String("movie"))
    name += QStringLiteral(".movd");
  const QString link = dayFolder() + QLatin1Char('/') + name;
  if (entryExists(link)) {
    sound("Basso");
    return;
  }
  if (!QDir().mkpath(dayFolder()) || !QFile::link(QFileInfo(path).absoluteFilePath(), link)) {
    showErrMessageToConsole(("The link " + link + " to " + path + " could not be made.\n").toStdString());
    sound("Basso");
    return;
  }
  refreshCalendar();
  showDiaryFiles();
  selectDiaryFileNameFromNameAction(name);
}

#include "tools/text/ui/calendar_set_param.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextCursor>
#include <QTextEdit>

#include "platform/atomic_file.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/property_list.h"
#include "platform/rich_text_file.h"
#include "platform/text_encoding.h"
#include "platform/ui/dialogs.h"
#include "tools/text/palm_doc.h"
#include "platform/ui/selected_text.h"

namespace palm = pravella::palm;

CalendarSetParam::CalendarSetParam(Host host, QObject* parent) : QObject(parent), host_(std::move(host)) {}

CalendarSetParam::~CalendarSetParam() { pravella::NotificationCenter::defaultCenter().removeObservers(this); }

QString CalendarSetParam::installFolderFile() {
  return pravella::paths::preferences() + QStringLiteral("/palmInstallFolder.string");
}

void CalendarSetParam::awakeFromNib() {
  auto& center = pravella::NotificationCenter::defaultCenter();
  auto on = [&](const char* name, std::function<void(pravella::Notification&)> fn) {
    center.addObserver(QString::fromLatin1(name), this, std::move(fn));
  };
  on("cal_saveMeDocFile", [this](pravella::Notification&) { saveMeDocFileAction(); });
  on("cal_saveAllDocToPalm", [this](pravella::Notification&) { saveAllDocToPalmAction(); });
  on("toPalmBelowAction_A", [this](pravella::Notification& n) { toPalmBelowAction_A(n.text); });
  on("cal_setPalmHotSyncFolder", [this](pravella::Notification&) { setPalmHotSyncFolderAction(); });
  on("cal_addSchedule", [this](pravella::Notification&) { addScheduleAction(); });
  on("cal_addMemo", [this](pravella::Notification&) { addMemoAction(); });
}

void CalendarSetParam::sound(const char* name) {
  if (host_.playSound) host_.playSound(name);
}

void CalendarSetParam::showAlert(const QString& title, const QString& message) {
  pravella::dialogs::alert(host_.window, title, message, QStringLiteral("OK"));
}

bool CalendarSetParam::installFolder(QString* folder) {
  QFile file(installFolderFile());
  if (!file.open(QIODevice::ReadOnly)) {
    sound("Sosumi");
    showAlert(QStringLiteral("Installation Folder is not Exist!"), QStringLiteral("You have to set a location of its Folder."));
    return false;
  }
  *folder = QString::fromUtf8(file.readAll()).trimmed();
  return true;
}

void CalendarSetParam::saveMeDocFileAction() {
  if (!host_.documentField) return;
  saveMeDocFileString(host_.documentField->toPlainText(), host_.title ? host_.title() : QString());
}

namespace {

// The plain text of the rich-text documents named, each followed by a line end; documents that
// do not read are passed over.
QString plainTextsOf(const QStringList& paths) {
  QString text;
  for (const QString& path : paths) {
    if (QFileInfo(path).suffix() != QLatin1String("rtfd")) continue;
    bool ok = false;
    const QString plain = pravella::plainTextOfRichTextFile(path, &ok);
    if (ok) text += plain + u'\n';
  }
  return text;
}

}  // namespace

void CalendarSetParam::saveAllDocToPalmAction() {
  const QDate day = host_.selectedDay ? host_.selectedDay() : QDate::currentDate();
  const QString folder = pravella::paths::dayFolder(day.year(), day.month(), day.day());
  QStringList paths;
  for (const QString& name : QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name))
    paths << folder + u'/' + name;
  saveMeDocFileString_2(plainTextsOf(paths),
                        QStringLiteral("%1%2%3").arg(day.year(), 4, 10, QChar(u'0')).arg(day.month(), 2, 10, QChar(u'0')).arg(day.day(), 2, 10, QChar(u'0')));
}

void CalendarSetParam::toPalmBelowAction_A(const QString& searchText) {
  const QString work = pravella::paths::vkData();
  const QStringList days = pravella::plist::readStringArray(work + QStringLiteral("/fa01.dat")).value_or(QStringList());
  const QStringList names = pravella::plist::readStringArray(work + QStringLiteral("/fa02.dat")).value_or(QStringList());
  QStringList paths;
  for (int i = 0; i < std::min(days.size(), names.size()); ++i) {
    const QStringList ymd = days.at(i).split(u'/');
    if (ymd.size() < 3) continue;
    paths << pravella::paths::dayFolder(ymd.at(0).toInt(), ymd.at(1).toInt(), ymd.at(2).toInt()) + u'/' + names.at(i);
  }
  saveMeDocFileString_2(plainTextsOf(paths), QStringLiteral("find_") + searchText);
}

void CalendarSetParam::setPalmHotSyncFolderAction() {
  const QString chosen =
      pravella::dialogs::chooseFolder(host_.window, QStringLiteral("Set Palm Install Folder"), pravella::paths::home());
  if (chosen.isEmpty()) return;
  QDir().mkpath(pravella::paths::preferences());
  pravella::writeFileAtomically(installFolderFile(), chosen.toUtf8());
}

void CalendarSetParam::saveMeDocFileString(const QString& text, const QString& title) {
  QString folder;
  if (!installFolder(&folder)) return;
  QString name;
  const QString selection = pravella::selectedPlainText(host_.documentField);
  const auto usable = [](const QString& candidate) {
    const QByteArray bytes = palm::shiftJisName(candidate);
    return !bytes.isEmpty() && bytes.size() <= 31 && !palm::safeFileName(candidate).isEmpty();
  };
  if (usable(selection)) name = selection;
  else if (const QString bare = QFileInfo(title).completeBaseName(); usable(bare)) name = bare;
  if (name.isEmpty()) {
    sound("Sosumi");
    showAlert(QStringLiteral("Title is too long or None!"), QStringLiteral("needs valid Title !"));
    return;
  }
  writeMeDoc(folder, text, name);
}

void CalendarSetParam::saveMeDocFileString_2(const QString& text, const QString& name) {
  QString folder;
  if (installFolder(&folder)) writeMeDoc(folder, text, name);
}

void CalendarSetParam::writeMeDoc(const QString& folder, const QString& text, const QString& name) {
  // A name from user text never leads out of the install folder.
  const QString fileName = palm::safeFileName(name);
  if (fileName.isEmpty()) {
    sound("Sosumi");
    showAlert(QStringLiteral("Title is too long or None!"), QStringLiteral("needs valid Title !"));
    return;
  }
  const QByteArray file = palm::palmDocFile(palm::shiftJisName(name), palm::textBytes(palm::indexedText(text)));
  if (pravella::writeFileAtomically(folder + u'/' + fileName + QStringLiteral(".pdb"), file)) {
    sound("Ping");
    showAlert(QStringLiteral("Success! Convert To MeDoc and Save to the Install Folder"), name);
  } else {
    sound("Pong2003");
    showAlert(QStringLiteral("UnSuccess! Convert To MeDoc and Save to the Install Folder"), name);
  }
}

void CalendarSetParam::writeNumbered(const QByteArray& bytes, const QString& folderName, const QString& prefix,
                                     const char* kind) {
  QString install;
  if (!installFolder(&install)) return;
  const QString folder = QFileInfo(install).absolutePath() + u'/' + folderName;
  if (!QFileInfo(folder).isDir()) {
    sound("Sosumi");
    showAlert(QStringLiteral("%1 is not Exist!").arg(folderName), QStringLiteral("You have to create an %1.").arg(folderName));
    return;
  }
  const QString name = palm::firstFreeNumberedName(folder, prefix);
  if (name.isEmpty()) {
    sound("Pong2003");
    showAlert(QStringLiteral("Too many install files are exist in the %1!").arg(folderName), prefix + QStringLiteral("999.txt"));
    return;
  }
  // Written only where nothing stands: a text of the software's never goes.
  const bool written = !QFileInfo::exists(folder + u'/' + name) &&
                       pravella::writeFileAtomically(folder + u'/' + name, bytes).ok;
  const QString what = QString::fromLatin1(kind);
  const QString success = what == QLatin1String("Memo")
                              ? QStringLiteral("Success! Convert To Memo and Save to the AddMemo folderr")
                              : QStringLiteral("Success! Convert To %1 and Save to the %2").arg(what, folderName);
  if (written) {
    sound("Ping");
    showAlert(success, name);
  } else {
    sound("Pong2003");
    showAlert(QStringLiteral("UnSuccess! Convert To %1 and Save to the %2").arg(what, folderName), name);
  }
}

void CalendarSetParam::addScheduleAction() {
  if (!host_.documentField) return;
  const QString text = host_.documentField->toPlainText();
  if (text.size() > 2048) {
    sound("Sosumi");
    showAlert(QStringLiteral("Comment is too big!"), QStringLiteral("less than the number of 2048-letters"));
    return;
  }
  const QDate day = host_.selectedDay ? host_.selectedDay() : QDate::currentDate();
  writeNumbered(pravella::encoding::encodeLossy(palm::scheduleText(text, day), pravella::encoding::kShiftJIS),
                QStringLiteral("AddSchedule folder"), QStringLiteral("addSchedule"), "Schedule");
}

void CalendarSetParam::addMemoAction() {
  if (!host_.documentField) return;
  const QByteArray bytes =
      pravella::encoding::encodeLossy(host_.documentField->toPlainText(), pravella::encoding::kShiftJIS);
  if (bytes.size() > 4096) {
    sound("Sosumi");
    showAlert(QStringLiteral("Document is too big!"), QStringLiteral("less than the number of 4096-letters"));
    return;
  }
  writeNumbered(bytes, QStringLiteral("AddMemo folder"), QStringLiteral("addMemo"), "Memo");
}

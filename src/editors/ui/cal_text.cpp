#include "editors/ui/cal_text.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QTextEdit>

#include "editors/plain_text_export.h"
#include "platform/console_log.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/rich_text_file.h"

CalText::CalText(QTextEdit* documentView, QWidget* calendarWindow, Host host, QObject* parent)
    : QObject(parent), documentView_(documentView), calendarWindow_(calendarWindow), host_(std::move(host)) {}

CalText::~CalText() {
  pravella::NotificationCenter::defaultCenter().removeObservers(this);
  if (sheet_) sheet_->deleteLater();
}

void CalText::awakeFromNib() {
  auto& center = pravella::NotificationCenter::defaultCenter();
  center.addObserver(QStringLiteral("cal_saveText"), this,
                     [this](pravella::Notification&) { saveTextAction(); });
  center.addObserver(QStringLiteral("cal_saveAsText"), this,
                     [this](pravella::Notification&) { saveAsTextAction(); });
  center.addObserver(QStringLiteral("cal_loadText"), this,
                     [this](pravella::Notification&) { loadTextAction(); });
}

void CalText::sound(const char* name) {
  if (host_.playSound) host_.playSound(name);
}

QFileDialog* CalText::makeSheet(const QString& title, const QString& folder) {
  if (sheet_) sheet_->close();
  auto* dialog = new QFileDialog(calendarWindow_, title, folder);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  dialog->setWindowModality(Qt::WindowModal);
  sheet_ = dialog;
  return dialog;
}

bool CalText::exportTo(const QString& path) {
  const QString text = pravella::plainTextOf(*documentView_->document());
  const pravella::WriteResult written = pravella::writeShiftJISText(path, text);
  if (!written) {
    // A failed write is said, never taken for a success.
    showErrMessageToConsole((written.error + u'\n').toStdString());
    if (host_.reportFailure) host_.reportFailure(written.error);
    sound("Basso");
    return false;
  }
  if (host_.showDiaryFiles) host_.showDiaryFiles();
  sound("Tink");
  return true;
}

void CalText::saveTextAction() {
  if (host_.save && !host_.save()) return;
  const QString document = host_.nowDisplayedDocument ? host_.nowDisplayedDocument() : QString();
  if (document.isEmpty() || !QFileInfo::exists(document)) {
    sound("Basso");
    return;
  }
  exportTo(pravella::textExportPath(document));
}

void CalText::saveAsTextAction() {
  if (host_.save && !host_.save()) return;
  const QString document = host_.nowDisplayedDocument ? host_.nowDisplayedDocument() : QString();
  if (document.isEmpty() || !QFileInfo::exists(document)) return;
  const QDate day = host_.selectedDay ? host_.selectedDay() : QDate::currentDate();
  QFileDialog* dialog = makeSheet(QStringLiteral("Export Text"),
                                  pravella::paths::dayFolder(day.year(), day.month(), day.day()));
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  dialog->setFileMode(QFileDialog::AnyFile);
  dialog->setNameFilter(QStringLiteral("Text (*.txt)"));
  dialog->setDefaultSuffix(QStringLiteral("txt"));
  dialog->selectFile(QFileInfo(pravella::textExportPath(document)).fileName());
  connect(dialog, &QDialog::finished, this, [this, dialog](int result) {
    const QStringList files = dialog->selectedFiles();
    didEndSaveTextSheet(result == QDialog::Accepted ? 1 : 0, files.isEmpty() ? QString() : files.first());
  });
  dialog->open();
}

void CalText::didEndSaveTextSheet(int returnCode, const QString& path) {
  if (returnCode != 1 || path.isEmpty()) {
    sound("Basso");
    return;
  }
  // The file type is required: a name without ".txt" gets it.
  exportTo(QFileInfo(path).suffix() == QLatin1String("txt") ? path : path + QStringLiteral(".txt"));
}

void CalText::loadTextAction() {
  QFileDialog* dialog = makeSheet(QStringLiteral("Select TextFile"), pravella::paths::home());
  dialog->setAcceptMode(QFileDialog::AcceptOpen);
  dialog->setFileMode(QFileDialog::ExistingFile);
  connect(dialog, &QDialog::finished, this, [this, dialog](int result) {
    const QStringList files = dialog->selectedFiles();
    didEndSelectTextFile(result == QDialog::Accepted ? 1 : 0, files.isEmpty() ? QString() : files.first());
  });
  dialog->open();
}

void CalText::didEndSelectTextFile(int returnCode, const QString& path) {
  if (returnCode != 1 || path.isEmpty()) {
    sound("Basso");
    return;
  }
  const std::optional<QString> text = pravella::readTextFileForImport(path);
  if (!text) {
    showErrMessageToConsole(("Can not read the text file " + path + u'\n').toStdString());
    sound("Basso");
    return;
  }
  // Behind the selection, never over it: the program that asked for the file has its own
  // output selected by now.
  QTextCursor cursor = documentView_->textCursor();
  cursor.setPosition(cursor.selectionEnd());
  cursor.insertText(*text);
  documentView_->setTextCursor(cursor);
  sound("Tink");
}

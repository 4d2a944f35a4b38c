#include "diary/ui/conv_classic_doc.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QProgressBar>
#include <QTextCursor>

#include "diary/classic_import.h"
#include "diary/ui/calcndar.h"
#include "diary/ui/main_window.h"
#include "lang/values.h"
#include "editors/ui/main_text_view.h"
#include "platform/console_log.h"

ConvClassicDoc::ConvClassicDoc(Calcndar* calendar, pravella::MainWindow* calendarWindow, QObject* parent)
    : QObject(parent), calendar_(calendar), calendarWindow_(calendarWindow) {
  setObjectName(QStringLiteral("ConvClassicDoc"));
  progBar_ = new QProgressBar(calendarWindow);
  progBar_->setObjectName(QStringLiteral("convClassicProgress"));
  progBar_->hide();
}

void ConvClassicDoc::convClassicDoc() {
  if (sheet_) return;
  sheet_ = new QFileDialog(calendarWindow_, QStringLiteral("Set Old vk Diary Folder"));
  sheet_->setAttribute(Qt::WA_DeleteOnClose);
  sheet_->setFileMode(QFileDialog::Directory);
  sheet_->setOption(QFileDialog::ShowDirsOnly);
  sheet_->setWindowModality(Qt::WindowModal);
  // The old diaries came on removable media.
  sheet_->setDirectory(QStringLiteral("/media"));
  connect(sheet_, &QFileDialog::finished, this, [this](int result) {
    const QStringList chosen = sheet_ ? sheet_->selectedFiles() : QStringList();
    didEndSelectOldVkDiaryFolder(result == QDialog::Accepted ? 1 : 0, chosen.value(0));
  });
  sheet_->open();
}

void ConvClassicDoc::didEndSelectOldVkDiaryFolder(int returnCode, const QString& folder) {
  if (returnCode != 1 || folder.isEmpty()) return;
  PravellaSelf = calendar_;
  searchYearMonthFolder(folder);
}

int ConvClassicDoc::searchYearMonthFolder(const QString& folder) {
  progBar_->setRange(pravella::classic::kFirstYear, pravella::classic::kLastYear);
  pravella::classic::WalkHooks hooks;
  hooks.year = [this](int year) {
    progBar_->setValue(year);
    progBar_->repaint();
  };
  hooks.missingMonth = [this] {
    if (pvSoundStatus != 0 && playSound_) playSound_("Basso");
  };
  int saved = 0;
  for (const pravella::classic::OldDocument& doc : pravella::classic::findOldDocuments(folder, hooks))
    if (saveDocuments(doc.path, doc.year, doc.month, doc.day)) ++saved;
  progBar_->setMinimum(0);
  progBar_->setValue(0);
  return saved;
}

bool ConvClassicDoc::saveDocuments(const QByteArray& path, int year, int month, int day) {
  QString text;
  if (!pravella::classic::readOldText(path, text)) {
    showErrMessageToConsole("Can not read the old document " + path.toStdString() + "\n");
    return false;
  }
  // The shown memo is saved (or refused) before the day changes.
  if (!calendar_->save()) return false;
  calendar_->beforeDayToPlain();
  calendar_->setSelectedDay(QDate(year, month, day));
  calendar_->refreshCalendar();
  calendar_->selectDayAction2(day);
  calendar_->newFileAction();
  calendarWindow_->editingDiaryFileName()->setText(
      pravella::classic::oldDocumentTitle(text, year, month, day, xnum_));
  calendar_->checkFileName();  // an old title is no file name yet ("/", a leading ".")
  QTextCursor cursor(calendarWindow_->documentView()->document());
  cursor.select(QTextCursor::Document);
  cursor.insertText(text);
  return calendar_->save_2();
}

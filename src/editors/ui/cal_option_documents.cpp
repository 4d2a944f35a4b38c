// The commands through which programs read and change the main document and set the fonts
// of the memo sheet, read Japanese text files, ask for a file or folder, list a folder and
// read or set classic type and creator codes.

#include <QFileDialog>
#include <QTextEdit>

#include <string>

#include "diary/ui/main_window.h"
#include "diary/ui/side_view_drawers.h"
#include "editors/document_files.h"
#include "editors/ui/cal_option.h"
#include "editors/ui/document_commands.h"
#include "lang/builtins/command_bridge.h"
#include "lang/values.h"
#include "platform/console_log.h"
#include "platform/finder_info.h"
#include "platform/notification_center.h"
#include "platform/text_encoding.h"

namespace dc = pravella::doc_commands;

namespace {

void loadText(const QString& name, const char* encoding) {
  const pravella::LoadedText loaded = pravella::loadEncodedTextFile(name, encoding);
  if (!loaded.ok) {
    showErrMessageToConsole((loaded.why + QLatin1Char('\n')).toStdString());
    pravella::failCommand();
    return;
  }
  pravella::answerString(loaded.text);
}

void answerCode(const QString& path, bool creator) {
  QByteArray type, maker;
  pravella::getFinderInfo(path, &type, &maker);
  const QByteArray code = pravella::unquotedFourCharCode(creator ? maker : type);
  pravella::answerString(std::string_view(code.constData(), static_cast<std::size_t>(code.size())));
}

void setCode(const QString& payload, bool creator) {
  const QStringList f = payload.split(QLatin1Char('\t'));
  if (f.size() != 2) return;
  const QByteArray quoted = pravella::quotedFourCharCode(f[1].toUtf8());
  const QByteArray keep("''");
  pravella::setFinderInfo(f[0], creator ? keep : quoted, creator ? quoted : keep);
}

}  // namespace

void CalOption::registerDocumentCommands() {
  using pravella::Notification;
  auto& center = pravella::NotificationCenter::defaultCenter();
  auto on = [&](const char* name, std::function<void(Notification&)> fn) {
    center.addObserver(QString::fromLatin1(name), this, std::move(fn));
  };
  if (!pathPanel_) {
    pathPanel_ = [this](const QString& title, const QString& folder, bool folders) {
      QFileDialog panel(window_, title, folder);
      panel.setOption(QFileDialog::DontUseNativeDialog);
      panel.setFileMode(folders ? QFileDialog::Directory : QFileDialog::ExistingFile);
      if (folders) panel.setOption(QFileDialog::ShowDirsOnly);
      panel.setAcceptMode(QFileDialog::AcceptOpen);
      panel.setWindowModality(Qt::ApplicationModal);
      return panel.exec() == QDialog::Accepted && !panel.selectedFiles().isEmpty()
                 ? panel.selectedFiles().first()
                 : QString();
    };
  }

  on("cal_soundBeep", [this](Notification& n) { sound(n.text.toUtf8().constData()); });

  // The main document.
  on("cal_getSelectedDocument", [this](Notification&) { dc::answerSelectedText(documentField()); });
  on("cal_getAllDocument", [this](Notification&) { dc::answerAllText(documentField()); });
  on("cal_docCopy", [this](Notification&) { documentField()->copy(); });
  on("cal_docCut", [this](Notification&) { documentField()->cut(); });
  on("cal_docPaste", [this](Notification&) { documentField()->paste(); });
  on("cal_getDocSelectedRange", [this](Notification&) { dc::answerSelectedRange(documentField()); });
  on("cal_getDocumentLength", [this](Notification&) { dc::answerLength(documentField()); });
  on("cal_setDocSelectedRange", [this](Notification& n) { dc::selectRange(documentField(), n.text); });
  on("cal_setDocSelectedAll", [this](Notification&) { dc::selectAll(documentField()); });
  on("cal_setDocFont", [this](Notification& n) { dc::setFontName(documentField(), n.text); });
  on("cal_setDocFontSize", [this](Notification& n) { dc::setFontSize(documentField(), n.text); });
  on("cal_setDocFontColor", [this](Notification& n) { dc::setFontColour(documentField(), n.text); });
  // The memo sheet.
  on("cal_setMemoFont", [this](Notification& n) { dc::setFontName(memoField(), n.text); });
  on("cal_setMemoFontSize", [this](Notification& n) { dc::setFontSize(memoField(), n.text); });
  on("cal_setMemoFontColor", [this](Notification& n) { dc::setFontColour(memoField(), n.text); });

  // Files.
  on("cal_loadTextJIS", [](Notification& n) { loadText(n.text, pravella::encoding::kIso2022JP); });
  on("cal_loadTextShiftJIS", [](Notification& n) { loadText(n.text, pravella::encoding::kShiftJIS); });
  on("cal_loadTextEUC", [](Notification& n) { loadText(n.text, pravella::encoding::kEucJP); });
  auto askPath = [this](const QString& title, bool folders) {
    const QString chosen = pathPanel_(title, QString::fromStdString(current_fullPath), folders);
    NowLoadSaveName = chosen.toStdString();
    pravella::answerString(chosen);
  };
  on("cal_getFilePath", [askPath](Notification&) { askPath(QStringLiteral("Get File Path"), false); });
  on("cal_getFolderPath", [askPath](Notification&) { askPath(QStringLiteral("Get Folder Path"), true); });
  on("cal_getFileList", [](Notification& n) {
    const std::optional<std::string> list = pravella::folderListText(n.text);
    if (!list) {
      pravella::failCommand();
      return;
    }
    pravella::answerString(*list);
  });
  on("cal_getFileType", [](Notification& n) { answerCode(n.text, false); });
  on("cal_getFileCreator", [](Notification& n) { answerCode(n.text, true); });
  on("cal_setFileType", [](Notification& n) { setCode(n.text, false); });
  on("cal_setFileCreator", [](Notification& n) { setCode(n.text, true); });
}

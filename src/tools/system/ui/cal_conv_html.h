#pragma once
// CalConvHTML: the export of the shown memo to other document formats on the Desktop (text,
// RTF, ODT, DOCX, DOC, Word XML, web archive) and to an HTML folder that opens in the web
// sheet; the converter behind the language's "textutil" and "convertDocument"; and
// "cal_saveToSTJ", which saves the clipboard's picture as a JPEG file.
//
// A failed conversion is never silent: "Basso", the reason on the console, and from a window
// action an alert.
//
// An export from the window runs on a worker of its own (LibreOffice may take tens of seconds),
// with the shared progress indicator showing it and reset when it ends; the window stays
// answering meanwhile, and a second export asked for while one runs is refused with the reason.

#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <thread>

#include "tools/ui/desk_tool_host.h"

class CalConvHTML : public QObject {
  Q_OBJECT
 public:
  explicit CalConvHTML(pravella::DeskToolHost host, QObject* parent = nullptr);
  ~CalConvHTML() override;

  // Serves the language's converter, registers the observers, adds the Export menu.
  void awakeFromNib();

  // The HTML export of the shown document, opened in the web sheet. From the window it runs on
  // the export worker; a program's ("cal_makeHTML", `fromWindow` false) waits for it, and
  // only a failure from the window is shown in an alert.
  void convertToHTMLAction(bool fromWindow = true);
  // The seven formats of the shown document.
  void convertToTextAction() { convertShown(QStringLiteral("txt")); }
  void convertToRtfAction() { convertShown(QStringLiteral("rtf")); }
  void convertToDocxAction() { convertShown(QStringLiteral("docx")); }
  void convertToWordmlAction() { convertShown(QStringLiteral("wordml")); }
  void convertToOdtcAction() { convertShown(QStringLiteral("odt")); }
  void convertToDocAction() { convertShown(QStringLiteral("doc")); }
  void convertToWebarchiveAction() { convertShown(QStringLiteral("webarchive")); }

  // Saves the shown document, then converts `path` onto the Desktop on the export worker.
  // False when it was refused before it began (a refused save, an export already running).
  bool convertToAction(const QString& format, const QString& path);
  // "path\tquality": the clipboard's picture as a JPEG there; fails the command otherwise.
  void saveJPEG2stj(const QString& payload);
  void openConvertedIndexHTML(const QString& page);

  QMenu* exportMenu() const { return menu_; }

  // An export started from the window runs, or its result is not yet handled.
  bool exporting() const { return busy_; }

 signals:
  void exportEnded();

 private:
  struct Outcome {
    bool ok = false;
    QString reason;
    QString page;  // the file written: the HTML export's page, the converted document
  };
  // Runs `work` on the export worker, the progress shown in the shared indicator and on the
  // main window's status line, which names `what` ("\"Memo\" as DOC") while it runs and the
  // file written or the failure when it ends, whatever drawer is open; `done` then runs here
  // with what it gave, the progress reset.
  void startExport(const QString& what, std::function<Outcome()> work,
                   std::function<void(const Outcome&)> done);
  void say(const QString& message);
  // True (the reason shown) when an export runs already.
  bool refuseWhileExporting();
  void pingFromWorker();
  void convertShown(const QString& format);
  bool saveShown();
  void fail(const QString& reason, bool fromWindow);
  void sound(const char* name);

  pravella::DeskToolHost host_;
  QPointer<QMenu> menu_;  // owned by the tools menu, which may go first
  std::thread worker_;
  bool busy_ = false;  // from the start of an export to the end of handling its result
};

#pragma once
// CalConvHTML: the export of the shown memo to other document formats on the Desktop (text,
// RTF, ODT, DOCX, DOC, Word XML, web archive) and to an HTML folder that opens in the web
// sheet; the converter behind the language's "textutil" and "convertDocument"; and
// "cal_saveToSTJ", which saves the clipboard's picture as a JPEG file.
//
// A failed conversion is never silent: "Basso", the reason on the console, and from a window
// action an alert.

#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QString>

#include "tools/ui/desk_tool_host.h"

class CalConvHTML : public QObject {
  Q_OBJECT
 public:
  explicit CalConvHTML(pravella::DeskToolHost host, QObject* parent = nullptr);
  ~CalConvHTML() override;

  // Serves the language's converter, registers the observers, adds the Export menu.
  void awakeFromNib();

  // The HTML export of the shown document, opened in the web sheet. `fromWindow`: a failure
  // is shown in an alert too.
  void convertToHTMLAction(bool fromWindow = true);
  // The seven formats of the shown document.
  void convertToTextAction() { convertShown(QStringLiteral("txt")); }
  void convertToRtfAction() { convertShown(QStringLiteral("rtf")); }
  void convertToDocxAction() { convertShown(QStringLiteral("docx")); }
  void convertToWordmlAction() { convertShown(QStringLiteral("wordml")); }
  void convertToOdtcAction() { convertShown(QStringLiteral("odt")); }
  void convertToDocAction() { convertShown(QStringLiteral("doc")); }
  void convertToWebarchiveAction() { convertShown(QStringLiteral("webarchive")); }

  // Saves the shown document, then converts `path` onto the Desktop. True when it was written.
  bool convertToAction(const QString& format, const QString& path, bool fromWindow = true);
  // "path\tquality": the clipboard's picture as a JPEG there; fails the command otherwise.
  void saveJPEG2stj(const QString& payload);
  void openConvertedIndexHTML(const QString& page);

  QMenu* exportMenu() const { return menu_; }

 private:
  void convertShown(const QString& format);
  bool saveShown();
  void fail(const QString& reason, bool fromWindow);
  void sound(const char* name);

  pravella::DeskToolHost host_;
  QPointer<QMenu> menu_;  // owned by the tools menu, which may go first
};

#pragma once
// The HTML export of a memo: "<Desktop>/vkHTML_folder/<name>.htmld/index.html", its pictures
// as "memoPictureNNN.jpg" beside it. The export works on a copy read from the saved document,
// so the memo and its files stay as they are.

#include <QString>

#include <functional>

namespace pravella {

struct HtmlExportResult {
  bool ok = false;
  QString folder;  // the export folder
  QString page;    // its index.html
  QString reason;  // a sentence when !ok
};

// The folder every HTML export goes into.
QString htmlExportFolder();

// Exports `document` (any document the converter reads), replacing an earlier export of the
// same name in one step (the export folder is the application's own; a failure keeps the
// earlier export whole); `started` runs once the page is being made.
HtmlExportResult exportHtmlFolder(const QString& document, const std::function<void()>& started = {});

// The page text with every "file:///" removed, scanned left to right; a page too large for the
// language's text buffer is given back as it was.
QString withoutFileScheme(const QString& page);

}  // namespace pravella

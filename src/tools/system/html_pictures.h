#pragma once
// A document as an HTML page whose pictures are JPEG files beside it. The document itself is
// never changed: the page is made from a copy, so exporting a memo leaves the memo as it was.

#include <QString>
#include <QStringList>
#include <QTextDocument>

namespace pravella {

struct HtmlWithPictures {
  bool ok = false;
  QString html;
  QStringList pictures;  // the files written, relative to the page's folder
  QString reason;        // a sentence when !ok
};

// Writes each picture of `doc` as "<stem>NNN.jpg" (NNN from 001; `stem` may begin with a
// folder, relative to `pageFolder`, which is made) on white at quality 0.9, and gives the page
// that shows them there. One picture used twice is written once.
HtmlWithPictures htmlWithPictureFiles(const QTextDocument& doc, const QString& pageFolder, const QString& stem);

// The relative address of a file below the page's folder, safe in an src attribute ("./" and
// each path segment percent-encoded, so that a name with ":" or "#" stays a file name).
QString relativeAddress(const QString& relativePath);

}  // namespace pravella

#pragma once
// Which view opens a day's document, by its kind: the memo, a sheet or window of this
// application, a refusal, or another program. One answer for a click on the document's row
// and for the choice of the document that start-up shows.

#include <QString>

namespace pravella {

enum class DayDocumentViewer {
  Missing,       // no file (a vanished one, a dangling link): a new memo
  NotAFile,      // a named pipe or a device: listed, never read
  PlainText,     // ".txt": the memo, read-only
  PictureSheet,  // ".pictd"
  MovieSheet,    // ".movd"
  WebSheet,      // ".webarchive", ".pdf"
  RichText,      // ".rtf", ".rtfd": the memo
  Picture,       // a picture file that reads as an image
  MovieWindow,   // a movie file, while the movie windows are there
  MedicalImage,  // a volume that the medical image viewer reads
  UnreadDicom,   // a DICOM file of a kind that is not read: said so
  OtherProgram,  // anything else: the desktop's opener, on the user's click
};

// `path` is the document's full path; `movieWindows` whether a movie window can open now.
DayDocumentViewer dayDocumentViewer(const QString& path, bool movieWindows);

// The viewers that show the document's content in this application (no refusal, no other
// program).
bool showsContentItself(DayDocumentViewer viewer);

}  // namespace pravella

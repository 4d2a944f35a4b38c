#include "diary/day_document_viewer.h"

#include <QFileInfo>
#include <QImageReader>

#include "diary/day_documents.h"
#include "imaging/acr_nema.h"
#include "imaging/med_image_files.h"
#include "imaging/movie/movie_document.h"
#include "platform/bounded_read.h"

namespace pravella {

namespace {

bool isMedicalImage(const QString& path) {
  int width = 0, height = 0, slices = 0, offset = 0;
  return checkMedImageFile(path.toStdString(), &width, &height, &slices, &offset) == 1;
}

}  // namespace

DayDocumentViewer dayDocumentViewer(const QString& path, bool movieWindows) {
  using V = DayDocumentViewer;
  if (!QFileInfo(path).exists()) return V::Missing;
  // Checked before anything opens it: opening a pipe would wait for a writer, reading a device
  // never end.
  if (!specialFileKind(path).isEmpty()) return V::NotAFile;
  const QString ext = fileExtension(QFileInfo(path).fileName());
  if (ext == QLatin1String("TXT") || ext == QLatin1String("txt")) return V::PlainText;
  if (ext == QLatin1String("PICTD") || ext == QLatin1String("pictd")) return V::PictureSheet;
  if (ext == QLatin1String("MOVD") || ext == QLatin1String("movd")) return V::MovieSheet;
  if (ext == QLatin1String("webarchive") || ext == QLatin1String("pdf")) return V::WebSheet;
  if (ext == QLatin1String("rtf") || ext == QLatin1String("rtfd")) return V::RichText;
  if (QImageReader(path).canRead()) return V::Picture;
  if (movieWindows && movie::MovieDocument::isMovieFile(path)) return V::MovieWindow;
  if (isMedicalImage(path)) return V::MedicalImage;
  if (!unreadDicomKind(path.toStdString()).empty()) return V::UnreadDicom;
  return V::OtherProgram;
}

bool showsContentItself(DayDocumentViewer viewer) {
  using V = DayDocumentViewer;
  return viewer != V::Missing && viewer != V::NotAFile && viewer != V::UnreadDicom &&
         viewer != V::OtherProgram;
}

}  // namespace pravella

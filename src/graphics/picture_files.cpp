#include "graphics/picture_files.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>

#include <cmath>

#include "graphics/graphics_hooks.h"
#include "graphics/picture.h"
#include "graphics/picture_file_ends.h"
#include "platform/atomic_file.h"
#include "platform/bounded_read.h"

std::int32_t quality = 512;

void resetJpegQuality() { quality = 512; }

namespace {

constexpr int kPictHeaderSize = 512;
// No picture a value can hold comes from a larger file.
constexpr qint64 kMaxPictureFileBytes = qint64{1} << 30;

QString resolved(const std::string& path) {
  return QString::fromStdString(pravella::graphics::resolveProgramPath(path));
}

// A refused write says why in the run's result ("Cannot save "x.pict": No such file or
// directory"), before the caller's own message; the file is named as the program named it.
bool writeOrReport(const std::string& path, const QByteArray& data) {
  const pravella::WriteResult result =
      pravella::writeFileAtomically(resolved(path), data, QFile::decodeName(QByteArray::fromStdString(path)));
  if (!result) pravella::graphics::reportError(result.error.toStdString());
  return result.ok;
}

// Picture bytes of a file: after a 512-byte header when one is there, else the whole file.
bool readPictFile(const QByteArray& data, QByteArray& out) {
  for (const qsizetype skip : {static_cast<qsizetype>(kPictHeaderSize), static_cast<qsizetype>(0)}) {
    if (data.size() <= skip) continue;
    const pravella::Picture picture(data.mid(skip));
    if (!picture.toImage().isNull()) {
      out = picture.bytes();
      return true;
    }
  }
  return false;
}

// A file a picture importer takes for a PICT file: by its name, or by the version opcode
// behind the size word and frame (after the 512-byte header or at the start).
bool looksLikePict(const QString& path, const QByteArray& data) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == QLatin1String("pict") || suffix == QLatin1String("pct") || suffix == QLatin1String("pic"))
    return true;
  for (const qsizetype at : {static_cast<qsizetype>(kPictHeaderSize), static_cast<qsizetype>(0)}) {
    const QByteArray version = data.mid(at + 10, 4);
    if (version == QByteArray("\x00\x11\x02\xFF", 4) || version.startsWith(QByteArray("\x11\x01", 2)))
      return true;
  }
  return false;
}

}  // namespace

namespace pravella {

int qtJpegQuality(std::int32_t codecQuality) {
  const double q = std::fmax(0, std::fmin(1024, codecQuality));
  return static_cast<int>(std::lround(q <= 512 ? q * 75.0 / 512.0 : 75.0 + (q - 512) * 25.0 / 512.0));
}

}  // namespace pravella

int savePICT(const QByteArray& picture, const std::string& path) {
  QByteArray file(kPictHeaderSize, '\0');
  file.append(picture);
  return writeOrReport(path, file) ? 0 : 1;
}

int DoSavePicture2(const std::string& path, const QByteArray& picture) {
  if (picture.isEmpty()) {
    pravella::graphics::reportError("Picture is empty.");
    return 0;
  }
  if (savePICT(picture, path) != 0) {
    pravella::graphics::reportError("file save");
    return 0;
  }
  return 1;
}

int DoSetJpegQuality(double q) {
  if (!(q > 0 && q <= 1024)) return 0;
  quality = static_cast<std::int32_t>(q);
  return 1;
}

int SaveJPEG_x(const std::string& path, const QByteArray& picture) {
  if (path.empty()) return 1;
  const QImage image = pravella::Picture(picture).toImageOnWhite();
  if (image.isNull()) return 2;
  QByteArray jpeg;
  QBuffer buffer(&jpeg);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "jpeg");
  writer.setQuality(pravella::qtJpegQuality(quality));
  if (!writer.write(image)) return 2;
  return writeOrReport(path, jpeg) ? 0 : 3;
}

bool canImportPicture(const std::string& path) {
  const QString name = resolved(path);
  // A pipe or a device is no picture file, but the loader says so rather than a stand-in; so
  // does a file that is missing or cannot be read, with the system's reason.
  if (QFileInfo::exists(name) && !pravella::isRegularFile(name)) return true;
  QFile file(name);
  if (!file.open(QIODevice::ReadOnly)) return true;
  if (!QImageReader::imageFormat(&file).isEmpty()) return true;
  if (file.size() > kMaxPictureFileBytes) return false;
  file.seek(0);
  // A PICT file is one whether it reads or not: one that does not fails to load, rather than
  // passing for a file that is no picture.
  return looksLikePict(file.fileName(), file.readAll());
}

namespace pravella {

const char* pictureFromFileData(const QByteArray& data, const QString& name, QByteArray& out, QString* why) {
  QBuffer buffer;
  buffer.setData(data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  const QByteArray format = reader.format();
  auto damaged = [&](const QString& reason) {
    if (why) *why = reason;
    return "Can not get Picture.";
  };
  if (format.isEmpty()) {
    // Not a format Qt knows: perhaps one of our (or an old) PICT files.
    if (readPictFile(data, out)) return nullptr;
    if (!looksLikePict(name, data)) return "Invalid ComponentInstance.";
    return damaged(QStringLiteral("its PICT picture is damaged or cut short"));
  }
  const QString kind = QString::fromLatin1(format).toUpper();
  // A reader that fills a cut file's missing rows would pass off a picture that is not the file's.
  if (pictureFileEndsEarly(format, data))
    return damaged(QStringLiteral("the file ends before its %1 picture does").arg(kind));
  // Qt's own words for a file it knows but cannot decode ("Unable to read image data").
  auto undecodable = [&] {
    return damaged(QStringLiteral("the %1 reader says \"%2\"").arg(kind, reader.errorString()));
  };
  const QSize size = reader.size();
  // A JPEG file goes in unchanged: no loss, and it is as small as it already is.
  if (format == "jpeg" && size.isValid() &&
      static_cast<std::size_t>(data.size()) < graphics::pictureByteLimit() - 1024) {
    QImage probe;
    if (reader.read(&probe)) {
      out = Picture::fromJpeg(data, probe.size()).bytes();
      if (!out.isEmpty()) return nullptr;
      return "Can not get Picture.";
    }
    return undecodable();
  }
  const QImage image = reader.read();
  if (image.isNull()) return undecodable();
  // Direct pixels first (exact, keeps transparency), unless they plainly cannot fit: a photo
  // barely packs, so three bytes a pixel is what it would take.
  const std::size_t limit = graphics::pictureByteLimit();
  Picture picture;
  if (static_cast<double>(image.width()) * image.height() * 3 < 2.0 * static_cast<double>(limit))
    picture = Picture::fromImage(image);
  // Photos too big for direct pixels are embedded as JPEG, at falling quality until they fit.
  for (const int q : {90, 75, 50, 25}) {
    if (!picture.isEmpty() && picture.size() < limit) break;
    picture = Picture::fromPhoto(image, q);
  }
  if (picture.isEmpty() || picture.size() >= limit) return "Can not get Picture.";
  out = picture.bytes();
  return nullptr;
}

}  // namespace pravella

int DoLoadPicture(const std::string& path, QByteArray& out) {
  using pravella::graphics::reportError;
  const QString name = resolved(path);
  const pravella::BoundedRead read = pravella::readRegularFile(name, kMaxPictureFileBytes);
  if (!read) {
    // The system's reason ("Cannot read "…": No such file or directory"), then the loader's.
    reportError(read.error.toStdString());
    reportError(read.refusal == pravella::ReadRefusal::NoMemory  ? "Memory allocation error."
                : read.refusal == pravella::ReadRefusal::Missing ? "Invalid ComponentInstance."
                                                                 : "Can not get Picture.");
    return 0;
  }
  QString why;
  if (const char* error = pravella::pictureFromFileData(read.data, name, out, &why)) {
    // A file a reader knows but cannot decode says why, naming it as the program named it.
    if (!why.isEmpty()) reportError("Cannot decode \"" + path + "\": " + why.toStdString());
    reportError(error);
    return 0;
  }
  return 1;
}

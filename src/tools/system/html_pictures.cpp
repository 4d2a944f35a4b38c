#include "tools/system/html_pictures.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QPixmap>
#include <QTextBlock>
#include <QTextCursor>
#include <QUrl>

#include <memory>

#include "tools/jpeg_file.h"

namespace pravella {

namespace {

constexpr float kPictureQuality = 0.9f;

QImage pictureOf(const QTextDocument& doc, const QString& name) {
  const QVariant resource = doc.resource(QTextDocument::ImageResource, QUrl(name));
  if (resource.userType() == QMetaType::QImage) return resource.value<QImage>();
  if (resource.userType() == QMetaType::QPixmap) return resource.value<QPixmap>().toImage();
  if (resource.userType() == QMetaType::QByteArray) return QImage::fromData(resource.toByteArray());
  return {};
}

struct PictureSpan {
  int position;
  int length;
  QTextImageFormat format;
};

std::vector<PictureSpan> pictureSpans(const QTextDocument& doc) {
  std::vector<PictureSpan> spans;
  for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (fragment.isValid() && fragment.charFormat().isImageFormat())
        spans.push_back({fragment.position(), fragment.length(), fragment.charFormat().toImageFormat()});
    }
  }
  return spans;
}

}  // namespace

QString relativeAddress(const QString& relativePath) {
  QStringList segments;
  for (const QString& segment : relativePath.split(u'/', Qt::SkipEmptyParts))
    segments << QString::fromLatin1(QUrl::toPercentEncoding(segment));
  return QStringLiteral("./") + segments.join(u'/');
}

HtmlWithPictures htmlWithPictureFiles(const QTextDocument& doc, const QString& pageFolder, const QString& stem) {
  HtmlWithPictures out;
  std::unique_ptr<QTextDocument> copy(doc.clone());
  QHash<QString, QString> written;  // picture name in the document -> its file
  for (const PictureSpan& span : pictureSpans(*copy)) {
    const QString name = span.format.name();
    QString file = written.value(name);
    if (file.isEmpty()) {
      const QImage image = pictureOf(doc, name);
      if (image.isNull()) continue;  // nothing to show: the page keeps the name it had
      file = stem + QString::asprintf("%03d.jpg", static_cast<int>(written.size()) + 1);
      const QString path = pageFolder + u'/' + file;
      if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !saveAsJpeg(image, path, kPictureQuality)) {
        out.reason = QStringLiteral("The picture %1 could not be written").arg(path);
        return out;
      }
      written.insert(name, file);
      out.pictures << file;
    }
    QTextImageFormat format = span.format;
    format.setName(relativeAddress(file));
    // The page shows the picture at the size the memo shows it.
    if (!format.hasProperty(QTextFormat::ImageWidth) && !format.hasProperty(QTextFormat::ImageHeight)) {
      const QImage image = pictureOf(doc, name);
      format.setWidth(image.width());
      format.setHeight(image.height());
    }
    QTextCursor cursor(copy.get());
    cursor.setPosition(span.position);
    cursor.setPosition(span.position + span.length, QTextCursor::KeepAnchor);
    cursor.setCharFormat(format);
  }
  out.html = copy->toHtml();
  out.ok = true;
  return out;
}

}  // namespace pravella

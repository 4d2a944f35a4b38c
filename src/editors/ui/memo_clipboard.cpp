#include "editors/ui/memo_clipboard.h"

#include <QDataStream>
#include <QHash>
#include <QImage>
#include <QMimeData>
#include <QSet>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QUrl>
#include <atomic>
#include <vector>

#include "platform/rtf.h"

namespace pravella {
namespace {

constexpr const char* kAttachmentsMime = "application/x-pravella-memo-attachments";

struct CopiedAttachment {
  QString url;
  QString fileName;
  QString sourceFolder;
  QImage image;
  QByteArray data;
};

// Calls `fn(position, length, format)` for every attachment character run in [start, end).
template <typename Fn>
void forEachAttachment(const QTextDocument& doc, int start, int end, Fn fn) {
  for (QTextBlock b = doc.findBlock(start); b.isValid() && b.position() < end; b = b.next()) {
    for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
      const QTextFragment f = it.fragment();
      if (!f.isValid() || !f.charFormat().isImageFormat()) continue;
      if (f.position() + f.length() <= start || f.position() >= end) continue;
      // Only the object characters: text behind a picture may carry its format.
      const QString text = f.text();
      for (qsizetype at = 0; at < text.size();) {
        if (text.at(at) != QChar::ObjectReplacementCharacter) {
          ++at;
          continue;
        }
        qsizetype to = at;
        while (to < text.size() && text.at(to) == QChar::ObjectReplacementCharacter) ++to;
        fn(f.position() + static_cast<int>(at), static_cast<int>(to - at), f.charFormat().toImageFormat());
        at = to;
      }
    }
  }
}

std::vector<CopiedAttachment> unpack(const QByteArray& packed) {
  std::vector<CopiedAttachment> list;
  QDataStream in(packed);
  qint32 count = 0;
  in >> count;
  for (qint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
    CopiedAttachment a;
    in >> a.url >> a.fileName >> a.sourceFolder >> a.image >> a.data;
    if (in.status() == QDataStream::Ok && !a.url.isEmpty()) list.push_back(std::move(a));
  }
  return list;
}

QString quoted(const QString& url) { return QLatin1Char('"') + url.toHtmlEscaped() + QLatin1Char('"'); }

}  // namespace

void addCopiedAttachments(const QTextDocument& doc, int start, int end, QMimeData& mime) {
  std::vector<CopiedAttachment> list;
  QSet<QString> seen;
  forEachAttachment(doc, start, end, [&](int, int, const QTextImageFormat& f) {
    const QString url = f.name();
    if (seen.contains(url)) return;
    seen.insert(url);
    CopiedAttachment a;
    a.url = url;
    a.fileName = f.property(rtf::kAttachmentFileName).toString();
    a.sourceFolder = f.property(rtf::kAttachmentSourceFolder).toString();
    a.image = doc.resource(QTextDocument::ImageResource, QUrl(url)).value<QImage>();
    a.data = doc.resource(rtf::kAttachmentDataResource, rtf::attachmentDataUrl(url)).toByteArray();
    if (!a.image.isNull() || !a.data.isEmpty()) list.push_back(std::move(a));
  });
  if (list.empty()) return;
  QByteArray packed;
  QDataStream out(&packed, QIODevice::WriteOnly);
  out << static_cast<qint32>(list.size());
  for (const CopiedAttachment& a : list) out << a.url << a.fileName << a.sourceFolder << a.image << a.data;
  mime.setData(QLatin1String(kAttachmentsMime), packed);
}

bool insertWithCopiedAttachments(QTextCursor& cursor, const QMimeData& source) {
  QTextDocument* doc = cursor.document();
  if (!doc || !source.hasHtml()) return false;
  const std::vector<CopiedAttachment> copied = unpack(source.data(QLatin1String(kAttachmentsMime)));
  if (copied.empty()) return false;
  // Fresh names: the same name may stand for another picture here (a copy from another
  // process, or the memo's earlier document).
  static std::atomic<int> counter{0};
  QString html = source.html();
  QHash<QString, const CopiedAttachment*> byUrl;
  for (const CopiedAttachment& a : copied) {
    const QString fresh = QStringLiteral("pravella-attachment:pasted-%1").arg(++counter);
    html.replace(quoted(a.url), quoted(fresh));
    doc->addResource(QTextDocument::ImageResource, QUrl(fresh), a.image);
    doc->addResource(rtf::kAttachmentDataResource, rtf::attachmentDataUrl(fresh), a.data);
    byUrl.insert(fresh, &a);
  }
  cursor.beginEditBlock();
  const int start = cursor.selectionStart();
  cursor.insertFragment(QTextDocumentFragment::fromHtml(html, doc));
  const int end = cursor.position();
  // HTML keeps no file names: each pasted attachment gets back those of its original.
  struct Run {
    int position;
    int length;
    QTextImageFormat format;
  };
  std::vector<Run> runs;
  forEachAttachment(*doc, start, end, [&](int position, int length, QTextImageFormat f) {
    const CopiedAttachment* a = byUrl.value(f.name());
    if (!a) return;
    f.setProperty(rtf::kAttachmentFileName, a->fileName);
    if (!a->sourceFolder.isEmpty()) f.setProperty(rtf::kAttachmentSourceFolder, a->sourceFolder);
    runs.push_back({position, length, f});
  });
  for (const Run& r : runs) {
    QTextCursor one(doc);
    one.setPosition(r.position);
    one.setPosition(r.position + r.length, QTextCursor::KeepAnchor);
    one.setCharFormat(r.format);
  }
  cursor.endEditBlock();
  return true;
}

}  // namespace pravella

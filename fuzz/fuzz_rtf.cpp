// The RTF reader on any bytes, then a read-back check: what the writer makes of the document
// must read again to the same text, less the attachments that a single .rtf leaves out (those
// that are no pictures live only in RTFD documents). The reader's plain-text path must give
// the document's text too.

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz_support.h"
#include "platform/rich_text_file.h"
#include "platform/rtf.h"

namespace {

// The document's text as a single .rtf keeps it.
QString keptText(const QTextDocument& doc) {
  QString text = doc.toRawText();
  // Backwards, so that a removal does not move the positions still to come.
  for (QTextBlock b = doc.lastBlock(); b.isValid(); b = b.previous()) {
    QList<QTextFragment> fragments;
    for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) fragments.prepend(it.fragment());
    for (const QTextFragment& f : fragments) {
      const QTextCharFormat format = f.charFormat();
      if (format.isImageFormat() && !pravella::rtf::keptInPlainRtf(doc, format.toImageFormat()))
        text.remove(f.position(), f.length());
    }
  }
  return pravella::withLineFeeds(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  pravella::fuzz::prepare();
  QTextDocument doc;
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const bool ok = pravella::rtf::read(bytes, doc).ok;
  if (pravella::rtf::readPlainText(bytes).text != pravella::plainTextOf(doc)) {
    std::fprintf(stderr, "plain text: not the document's text\n");
    std::abort();
  }
  if (!ok) return 0;
  const QByteArray written = pravella::rtf::write(doc, pravella::rtf::AttachmentMode::Embed).rtf;
  QTextDocument again;
  if (!pravella::rtf::read(written, again).ok) {
    std::fprintf(stderr, "read-back: the written document does not read\n");
    std::abort();
  }
  if (pravella::plainTextOf(again) != keptText(doc)) {
    std::fprintf(stderr, "read-back: the text changed\n");
    std::abort();
  }
  return 0;
}

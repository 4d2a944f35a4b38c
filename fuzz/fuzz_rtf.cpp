// The RTF reader on any bytes, then a read-back check: what the writer makes of the document
// must read again to the same text. The reader's plain-text path must give that text too.

#include <QTextDocument>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz_support.h"
#include "platform/rich_text_file.h"
#include "platform/rtf.h"

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
  if (pravella::plainTextOf(again) != pravella::plainTextOf(doc)) {
    std::fprintf(stderr, "read-back: the text changed\n");
    std::abort();
  }
  return 0;
}

// The electronic dictionary reader on any bytes: the catalog, the index pages and bodies of a
// plain and a compressed book, the compressed text itself, the gaiji fonts, the pictures
// file and the gaiji mapping table, each in turn replaced by the input (its first byte
// chooses which; see edic_book.h), or a tagged body rendered as the dictionary window renders
// it. Everything the window does with a book runs: the catalog is read, both books are
// searched forward and backward, and the first bodies found are converted and rendered with
// their glyphs, figures and pictures, following their links once. Bodies stay within their
// buffer and searches within their hit limit.

#include <QFile>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

#include <cstdint>
#include <string>
#include <vector>

#include "edic_book.h"
#include "fuzz_support.h"
#include "lang/builtins/startup.h"
#include "net/edic/body_rendering.h"
#include "net/edic/body_text.h"
#include "net/edic/book_pictures.h"
#include "net/edic/compressed_text.h"
#include "net/edic/dictionary_history.h"
#include "net/edic/dictionary_table.h"
#include "net/edic/gaiji_table.h"
#include "net/edic/index_search.h"
#include "net/edic/reader_lock.h"
#include "net/edic/search_driver.h"
#include "platform/paths.h"
#include "platform/text_encoding.h"

namespace {

namespace book = pravella::fuzz::edic;
using pravella::fuzz::fail;

QString folderOf(book::Mode mode) {
  return mode == book::kGaijiTable ? pravella::paths::diary()
                                   : pravella::fuzz::home() + "/Documents/eDicFile";
}

void putFile(book::Mode mode, const QByteArray& bytes) {
  for (const QString& place : book::placesOf(mode))
    if (!pravella::fuzz::writeFile(folderOf(mode) + u'/' + place, bytes))
      fail("a book file cannot be written");
}

// The window's rendering of a body, with the book's own glyphs, figures and pictures.
// The compressed book's state is open while it renders.
void render(const std::string& title, const std::string& body, QTextDocument& document) {
  pravella::edic::BodyPictures pictures;
  pictures.gaiji = [&title](uint16_t code, int kind) { return getGaijiData16(title, code, kind); };
  pictures.figure = [&title](int64_t page, int64_t offset) {
    auto file = EBDictionaryFile(title);
    if (!file) return QImage();
    pravella::edic::PlainBookReader reader(*file);
    return getFigOfEPWING(reader, page, offset);
  };
  if (is_That_HONMON2_EPWING_V6(title)) {
    pictures.figure = [](int64_t page, int64_t offset) {
      pravella::edic::CompressedBookReader reader(sharedZipData());
      return getFigOfEPWING(reader, page, offset);
    };
    pictures.picture = [&title](int kind, int64_t page, int64_t offset) {
      return kind == 9 ? GetBMPpictrue_EPWING_V6(sharedZipData(), page, offset)
                       : GetJPEGpictrue_EPWING_V6(title, page, offset);
    };
  }
  const QString text =
      pravella::encoding::decodeLossy(QByteArray::fromStdString(body), pravella::encoding::kShiftJIS);
  pravella::edic::renderBody(document, text, QString::fromStdString(title), pictures);
}

// Converts and renders the body at a position as the window shows it; the links it holds.
std::vector<pravella::edic::BodyEntry> show(const std::string& title, int64_t page, int64_t offset) {
  pravella::edic::ReaderLock lock;
  std::string body;
  QTextDocument document;
  if (is_That_HONMON2_EPWING_V6(title)) {
    ZIP_Data& state = sharedZipData();
    if (!eb_zopen_epwzipped(state, title)) return {};
    if (convertHonbun_EPWING_V6(state, page, offset, body)) {
      if (body.size() > pravella::edic::kBodyBufferSize) fail("a body passes its buffer");
      render(title, body, document);
    }
    eb_zclose(state);
  } else if (convertHonbun(title, page, offset, body)) {
    if (body.size() > pravella::edic::kBodyBufferSize) fail("a body passes its buffer");
    render(title, body, document);
  }
  std::vector<pravella::edic::BodyEntry> links;
  for (QTextBlock b = document.begin(); b.isValid(); b = b.next())
    for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it)
      if (const QString href = it.fragment().charFormat().anchorHref(); !href.isEmpty())
        if (auto entry = pravella::edic::parseLinkTarget(href)) links.push_back(*entry);
  return links;
}

// Reads the books of the table; with `only`, just that one (the other did not change).
void readBooks(const char* only) {
  std::string titles;
  checkEBDictionary(titles);
  for (const auto& row : pravella::edic::bookTable()) {
    if (only && row.name != only) continue;
    std::vector<pravella::edic::SearchRow> rows;
    for (const char* key : {"あ", "き", "条件", "いあ"})
      for (auto direction :
           {pravella::edic::SearchDirection::Forward, pravella::edic::SearchDirection::Backward})
        pravella::edic::searchDictionaryBook(row.name, QString::fromUtf8(key), direction, rows);
    if (rows.size() > 8 * pravella::edic::kMaxHits) fail("a search passes its hit limit");
    for (std::size_t i = 0; i < rows.size() && i < 6; ++i)
      for (const auto& link : show(row.name, rows[i].honbun, rows[i].offset))
        if (link.title == row.name) show(link.title, link.page, link.offset);
    for (uint16_t code : {0xA121, 0xA122, 0xA123, 0xB121})
      for (int kind : {0, 1}) getGaijiData16(row.name, code, kind);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  pravella::fuzz::prepare();
  static const bool ready = [] {
    if (vkStartUp() != 1) return false;
    for (int m = 0; m < book::kModes; ++m)
      putFile(static_cast<book::Mode>(m), book::fileOf(static_cast<book::Mode>(m)));
    SetDispJisyoGaijiCodeSwitch(1);
    return true;
  }();
  if (!ready) fail("the book cannot be made");
  QByteArray bytes = pravella::fuzz::bytesOf(data, size);
  const auto mode = static_cast<book::Mode>(pravella::fuzz::takeFirstByte(bytes) % book::kModes);
  setEDicPath("");
  Initialize_ZIP_Data();
  putFile(mode, bytes);
  DoLoadGaijiTable();
  if (mode == book::kTaggedBody) {
    std::string titles;
    checkEBDictionary(titles);
    QTextDocument document;
    render(book::kPlainTitle, bytes.toStdString(), document);
    pravella::edic::ReaderLock lock;
    if (eb_zopen_epwzipped(sharedZipData(), book::kCompressedTitle)) {
      render(book::kCompressedTitle, bytes.toStdString(), document);
      eb_zclose(sharedZipData());
    }
  } else if (mode == book::kPlainBody) {
    readBooks(book::kPlainTitle);
  } else if (mode == book::kCompressedBody || mode == book::kPictures) {
    readBooks(book::kCompressedTitle);
  } else {
    readBooks(nullptr);
  }
  putFile(mode, book::fileOf(mode));
  Initialize_ZIP_Data();
  return 0;
}

// The web archive writer's output read back. The input's parts are the page's title, its
// HTML and its location, then a content type, content id and data for each picture. The
// archive must read as MIME does: CR LF lines of at most 998 characters, headers that unfold
// and decode (RFC 2047 encoded words, percent-encoded ids) to the values given, one body part
// per page and picture under the boundary, and each body decoding to its bytes. Content ids
// are cut to the length the writer takes.

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QUrl>

#include <cstdint>
#include <optional>

#include "fuzz_support.h"
#include "tools/system/mhtml_archive.h"

namespace {

using pravella::fuzz::fail;

// A text as the writer can carry it: through UTF-8 (a lone surrogate has no bytes of its own).
QString carried(const QString& text) { return QString::fromUtf8(text.toUtf8()); }

// One RFC 2047 encoded word ("=?charset?B|Q?text?="), or nothing when `word` is none.
std::optional<QByteArray> decodedWord(const QByteArray& word) {
  if (!word.startsWith("=?") || !word.endsWith("?=")) return std::nullopt;
  const QList<QByteArray> fields = word.mid(2, word.size() - 4).split('?');
  if (fields.size() != 3) return std::nullopt;
  const QByteArray encoding = fields[1].toUpper();
  if (encoding == "B") return QByteArray::fromBase64(fields[2]);
  if (encoding != "Q") return std::nullopt;
  QByteArray text = fields[2];
  text.replace('_', ' ');
  return QByteArray::fromPercentEncoding(text, '=');
}

// An unfolded header value with its encoded words decoded; blanks between two encoded words
// go, as RFC 2047 says.
QString headerText(const QByteArray& value) {
  QByteArray out, blanks;
  bool afterWord = false;
  qsizetype at = 0;
  while (at < value.size()) {
    qsizetype end = at;
    while (end < value.size() && (value[end] == ' ' || value[end] == '\t')) ++end;
    blanks = value.mid(at, end - at);
    at = end;
    while (end < value.size() && value[end] != ' ' && value[end] != '\t') ++end;
    if (end == at) {
      out += blanks;
      break;
    }
    const QByteArray token = value.mid(at, end - at);
    if (const auto word = decodedWord(token)) {
      if (!afterWord) out += blanks;
      out += *word;
      afterWord = true;
    } else {
      out += blanks + token;
      afterWord = false;
    }
    at = end;
  }
  QStringDecoder utf8(QStringDecoder::Utf8);
  const QString text = utf8.decode(out);
  if (utf8.hasError()) fail("a header does not decode as UTF-8");
  return text;
}

struct Part {
  QMap<QByteArray, QByteArray> headers;  // names in lower case, values unfolded
  QByteArray body;
};

// Header lines (CR LF already checked) into unfolded values; a line that is no header and no
// continuation is a failure.
QMap<QByteArray, QByteArray> headersOf(const QByteArray& block) {
  QMap<QByteArray, QByteArray> headers;
  QByteArray name;
  for (const QByteArray& line : block.split('\n')) {
    const QByteArray l = line.endsWith('\r') ? line.chopped(1) : line;
    if (l.isEmpty()) continue;
    if (l.startsWith(' ') || l.startsWith('\t')) {
      if (name.isEmpty()) fail("a continuation line without a header");
      headers[name] += l;
      continue;
    }
    const qsizetype colon = l.indexOf(':');
    if (colon <= 0) fail("a header line without a name");
    name = l.left(colon).toLower();
    if (headers.contains(name)) fail("a header is given twice");
    headers[name] = l.mid(colon + 1).trimmed();
  }
  for (QByteArray& v : headers) v = v.trimmed();
  return headers;
}

void checkLines(const QByteArray& archive) {
  qsizetype start = 0;
  for (qsizetype i = 0; i < archive.size(); ++i) {
    if (archive[i] == '\r' && (i + 1 >= archive.size() || archive[i + 1] != '\n'))
      fail("a CR without its LF");
    if (archive[i] != '\n') continue;
    if (i == 0 || archive[i - 1] != '\r') fail("an LF without its CR");
    if (i - 1 - start > 998) fail("a line longer than 998 characters");
    start = i + 1;
  }
  if (start != archive.size()) fail("the archive does not end with a line end");
}

// The content type a picture is written with: its own when it is a MIME type (type/subtype
// of token characters), else the type of any bytes.
QByteArray contentTypeOf(const QString& given) {
  static const QRegularExpression kMimeType(
      QRegularExpression::anchoredPattern(QStringLiteral("[A-Za-z0-9!#$&^_.+-]+/[A-Za-z0-9!#$&^_.+-]+")));
  return kMimeType.match(given).hasMatch() ? given.toLatin1() : QByteArrayLiteral("application/octet-stream");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  pravella::fuzz::prepare();
  const QList<QByteArray> fields = pravella::fuzz::splitParts(pravella::fuzz::bytesOf(data, size));
  const QString title = QString::fromUtf8(fields.value(0));
  const QString html = QString::fromUtf8(fields.value(1));
  const QString location = QString::fromUtf8(fields.value(2));
  QList<pravella::MhtmlPart> pictures;
  for (qsizetype i = 3; i < fields.size(); i += 3)
    pictures.append({QString::fromUtf8(fields.at(i)),
                     QString::fromUtf8(fields.value(i + 1)).left(pravella::kMaxContentIdLength),
                     fields.value(i + 2)});

  const QByteArray archive = pravella::mhtmlArchive(title, html, location, pictures);
  checkLines(archive);
  const qsizetype split = archive.indexOf("\r\n\r\n");
  if (split < 0) fail("the archive has no end of its headers");
  const QMap<QByteArray, QByteArray> top = headersOf(archive.left(split + 2));
  if (headerText(top.value("subject")) != carried(title)) fail("read-back: the title differs");
  if (headerText(top.value("snapshot-content-location")) != carried(location))
    fail("read-back: the location differs");
  const QByteArray type = top.value("content-type");
  const qsizetype b = type.indexOf("boundary=\"");
  if (!type.startsWith("multipart/related;") || b < 0) fail("the archive is no multipart/related");
  const QByteArray boundary = "--" + type.mid(b + 10, type.indexOf('"', b + 10) - b - 10);

  // The body: parts between boundary lines, then the closing one.
  const QByteArray body = archive.mid(split + 4);
  const QList<QByteArray> pieces = ("\r\n" + body).split('\n');
  QList<Part> parts;
  QByteArray current;
  bool inPart = false, closed = false;
  for (const QByteArray& raw : pieces) {
    const QByteArray line = raw.endsWith('\r') ? raw.chopped(1) : raw;
    if (closed) {
      if (!line.isEmpty()) fail("text after the closing boundary");
      continue;
    }
    if (line == boundary || line == boundary + "--") {
      if (inPart) {
        const qsizetype end = current.indexOf("\r\n\r\n");
        if (end < 0) fail("a part without the end of its headers");
        parts.append({headersOf(current.left(end + 2)), current.mid(end + 4)});
      }
      current.clear();
      inPart = true;
      closed = line != boundary;
      continue;
    }
    if (inPart) current += line + "\r\n";
  }
  if (!closed) fail("the archive is not closed by its boundary");
  if (parts.size() != 1 + pictures.size()) fail("read-back: the parts are not the page and its pictures");

  const Part& page = parts.front();
  if (!page.headers.value("content-type").startsWith("text/html")) fail("the page is no HTML");
  if (headerText(page.headers.value("content-location")) != carried(location))
    fail("read-back: the page location differs");
  if (QByteArray::fromBase64(page.body) != html.toUtf8()) fail("read-back: the page differs");
  for (qsizetype i = 0; i < pictures.size(); ++i) {
    const Part& p = parts.at(i + 1);
    // A picture without an id has no Content-ID header.
    const QByteArray bracketed = p.headers.value("content-id");
    if (bracketed.isEmpty() != pictures.at(i).contentId.isEmpty()) fail("read-back: a content id is missing");
    if (!bracketed.isEmpty() && (!bracketed.startsWith('<') || !bracketed.endsWith('>')))
      fail("a content id without its brackets");
    const QString id = QUrl::fromPercentEncoding(bracketed.mid(1).chopped(1));
    if (id != carried(pictures.at(i).contentId)) fail("read-back: a content id differs");
    if (p.headers.value("content-type") != contentTypeOf(pictures.at(i).contentType))
      fail("read-back: a picture's content type differs");
    const QString cid = headerText(p.headers.value("content-location"));
    if (!cid.startsWith(QStringLiteral("cid:")) || QUrl::fromPercentEncoding(cid.mid(4).toUtf8()) != id)
      fail("read-back: a picture's location is not its content id");
    if (QByteArray::fromBase64(p.body) != pictures.at(i).data) fail("read-back: a picture differs");
  }
  return 0;
}

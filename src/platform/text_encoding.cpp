#include "platform/text_encoding.h"

#include <iconv.h>

#include <cerrno>
#include <string>
#include <vector>

namespace pravella::encoding {
namespace {

// One iconv conversion descriptor, closed on every path.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (valid()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts all of `in`. On a sequence that cannot be converted, calls `onBad` with the
  // position; it returns how many input bytes to skip and what to write instead, or a
  // negative count to give up.
  template <typename OnBad>
  bool run(const char* in, size_t inLeft, std::string& out, OnBad onBad) {
    std::vector<char> buffer(4096);
    char* src = const_cast<char*>(in);
    while (true) {
      char* dst = buffer.data();
      size_t dstLeft = buffer.size();
      const size_t r = inLeft > 0 ? iconv(cd_, &src, &inLeft, &dst, &dstLeft)
                                  : iconv(cd_, nullptr, nullptr, &dst, &dstLeft);
      out.append(buffer.data(), buffer.size() - dstLeft);
      if (r != static_cast<size_t>(-1)) {
        if (inLeft > 0) continue;
        if (src == nullptr) return true;
        // All input is converted; one more pass flushes the shift state (ISO-2022-JP text
        // must end in ASCII).
        src = nullptr;
        continue;
      }
      if (errno == E2BIG) continue;
      // EILSEQ, or EINVAL for a sequence cut off at the end.
      std::string instead;
      const long skip = onBad(src, inLeft, instead);
      if (skip < 0) return false;
      const size_t n = std::min(static_cast<size_t>(skip), inLeft);
      src += n;
      inLeft -= n;
      // The replacement is written in the target encoding, already converted by the caller.
      out += instead;
      if (inLeft == 0) {
        src = nullptr;
        char* d = buffer.data();
        size_t dl = buffer.size();
        iconv(cd_, nullptr, nullptr, &d, &dl);
        out.append(buffer.data(), buffer.size() - dl);
        return true;
      }
    }
  }

 private:
  iconv_t cd_;
};

// The length of the UTF-8 sequence that starts with byte b (1 for a stray byte).
size_t utf8Length(unsigned char b) {
  if (b >= 0xF0 && b < 0xF8) return 4;
  if (b >= 0xE0) return b < 0xF0 ? 3 : 1;
  if (b >= 0xC0) return 2;
  return 1;
}

QString decodeImpl(const QByteArray& bytes, const char* encoding, bool lossy, bool* ok) {
  if (ok) *ok = false;
  if (!encoding) return {};
  Converter c("UTF-8", encoding);
  if (!c.valid()) return {};
  std::string out;
  const bool done = c.run(bytes.constData(), static_cast<size_t>(bytes.size()), out,
                          [lossy](const char*, size_t, std::string& instead) -> long {
                            if (!lossy) return -1;
                            instead = "\xEF\xBF\xBD";  // U+FFFD
                            return 1;
                          });
  if (!done) return {};
  if (ok) *ok = true;
  return QString::fromUtf8(out.data(), static_cast<qsizetype>(out.size()));
}

QByteArray encodeImpl(const QString& text, const char* encoding, bool lossy, int* replaced, bool* ok) {
  if (ok) *ok = false;
  if (replaced) *replaced = 0;
  if (!encoding) return {};
  Converter c(encoding, "UTF-8");
  if (!c.valid()) return {};
  const QByteArray utf8 = text.toUtf8();
  std::string out;
  int count = 0;
  const bool done =
      c.run(utf8.constData(), static_cast<size_t>(utf8.size()), out,
            [lossy, &count](const char* at, size_t left, std::string& instead) -> long {
              if (!lossy) return -1;
              instead = "?";
              ++count;
              return static_cast<long>(std::min(left, utf8Length(static_cast<unsigned char>(*at))));
            });
  if (!done) return {};
  if (replaced) *replaced = count;
  if (ok) *ok = true;
  return QByteArray(out.data(), static_cast<qsizetype>(out.size()));
}

}  // namespace

const char* codePageName(int codePage) {
  switch (codePage) {
    case 437:
      return "CP437";
    case 850:
      return "CP850";
    case 874:
      return "CP874";
    case 932:
      return kShiftJIS;
    case 936:
      return "CP936";
    case 949:
      return "CP949";
    case 950:
      return "CP950";
    case 1250:
      return "CP1250";
    case 1251:
      return "CP1251";
    case 1252:
      return "CP1252";
    case 1253:
      return "CP1253";
    case 1254:
      return "CP1254";
    case 1255:
      return "CP1255";
    case 1256:
      return "CP1256";
    case 1257:
      return "CP1257";
    case 1258:
      return "CP1258";
    case 10000:
      return "MACINTOSH";
    // Macintosh Japanese is Shift-JIS with a few extra symbols; CP932 reads its text.
    case 10001:
      return kShiftJIS;
    case 20932:
      return kEucJP;
    case 50220:
      return kIso2022JP;
    case 51932:
      return kEucJP;
    case 65001:
      return kUtf8;
    default:
      return nullptr;
  }
}

QString decode(const QByteArray& bytes, const char* encoding, bool* ok) {
  return decodeImpl(bytes, encoding, false, ok);
}

QString decodeLossy(const QByteArray& bytes, const char* encoding, bool* ok) {
  return decodeImpl(bytes, encoding, true, ok);
}

QByteArray encodeLossy(const QString& text, const char* encoding, int* replaced, bool* ok) {
  return encodeImpl(text, encoding, true, replaced, ok);
}

QByteArray encode(const QString& text, const char* encoding, bool* ok) {
  return encodeImpl(text, encoding, false, nullptr, ok);
}

}  // namespace pravella::encoding

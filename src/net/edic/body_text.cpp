#include "net/edic/body_text.h"

#include "lang/run_state.h"
#include "lang/stdlib/kana_conversion.h"
#include "lang/stdlib/kanji_code.h"
#include "net/edic/dictionary_table.h"
#include "net/edic/escape_table.h"
#include "net/edic/reader_lock.h"

using namespace pravella::edic;

namespace {

class BodyConverter {
 public:
  BodyConverter(BookReader& reader, const std::function<bool()>& stop)
      : reader_(reader), compressed_(reader.compressed()), stop_(stop) {}

  std::string run() {
    bool lineStart = true;
    while (!full_) {
      if (lineStart && compressed_ && stop_ && stop_()) break;
      unsigned char unit[2];
      if (!reader_.read(unit, 2)) break;
      if (lineStart) {
        lineStart = false;
        if (!(unit[0] == 0x1F && unit[1] == 0x09)) {
          ensureNewline();
          append(startCounter_ == 1 ? "<Tab:000>" : "<Tab:001>");
          startCounter_ = 0;
        }
      }
      if (unit[0] != 0x1F) {
        character(unit[0], unit[1]);
        continue;
      }
      const Step step = escape(unit[1]);
      if (step == Step::Fail) break;
      if (step == Step::NewLine) lineStart = true;
      if (step == Step::EndOfEntry) {
        if (!compressed_) append("\n");
        break;
      }
    }
    return out_;
  }

 private:
  enum class Step { Go, NewLine, EndOfEntry, Fail };

  void append(const std::string& piece) {
    if (full_ || out_.size() + piece.size() > kBodyBufferSize - 1) {
      full_ = true;
      return;
    }
    out_ += piece;
  }

  // A character of the book's text. The two that open tags are marked, so that text which
  // merely spells a tag is never taken for one.
  void appendText(char c) {
    if (c == '<')
      c = kTextLessThan;
    else if (c == '[')
      c = kTextBracket;
    append(std::string(1, c));
  }

  void ensureNewline() {
    if (out_.size() >= 2 && out_.back() != '\n') append("\n");
  }

  // A number as "%03ld" writes it: at least three digits, zero-padded.
  static std::string pad3(int64_t n) {
    std::string digits = std::to_string(n);
    if (n >= 0 && digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
    return digits;
  }
  static std::string num(int64_t n) { return std::to_string(n); }

  void character(unsigned char row, unsigned char cell) {
    if (row >= 0x80) {
      append((narrow_ ? "<GH[" : "<GF[") + pad3(row) + ":" + pad3(cell) + "]>");
      return;
    }
    if (narrow_ && row != 0x24 && row != 0x25) {
      const unsigned char half = zen2han(row, cell);
      if (half != 255 && half < 0x80) appendText(static_cast<char>(half));
      return;
    }
    const uint16_t sjis = Jis2Sjis(static_cast<uint16_t>(row << 8 | cell));
    if (sjis != 0) append(std::string{static_cast<char>(sjis >> 8), static_cast<char>(sjis & 0xFF)});
  }

  bool bcd4(int64_t& v) { return reader_.bcd(4, v); }
  bool bcd2(int64_t& v) { return reader_.bcd(2, v); }

  Step escape(int code) {
    int64_t a = 0, b = 0, c = 0, d = 0;
    switch (code) {
      case 0x03:
        return Step::EndOfEntry;
      case 0x04:
        narrow_ = true;
        return Step::Go;
      case 0x05:
        narrow_ = false;
        return Step::Go;
      case 0x09: {
        uint32_t n = 0;
        if (!reader_.u2(n)) return Step::Fail;
        if (n >= 2) {
          ensureNewline();
          append("<Tab:" + pad3(n) + ">");
        } else if (startCounter_ == 1) {
          ensureNewline();
          append("<Tab:000>");
          startCounter_ = 0;
        } else {
          return Step::EndOfEntry;  // the next entry's first line has begun
        }
        return Step::Go;
      }
      case 0x0A:
        if (!compressed_) append("\n");
        return Step::NewLine;
      case 0x0E:
        appendText('[');
        return Step::Go;
      case 0x0F:
        appendText(']');
        return Step::Go;
      case 0x10:
      case 0x11:
        return Step::Go;
      case 0x12:
        append("<bold_start>");
        return Step::Go;
      case 0x13:
        append("<bold_end>");
        return Step::Go;
      case 0x41:
        if (!reader_.skip(2)) return Step::Fail;
        append("<key_start>");
        return Step::Go;
      case 0x61:
        append("<key_end>");
        return Step::Go;
      case 0x42:
      case 0x43:
        append("<[Link]");
        return Step::Go;
      case 0x62:
      case 0x63:
        if (!bcd4(a) || !bcd2(b)) return Step::Fail;
        append("[Link:" + num(a) + "," + num(b) + "]>");
        return Step::Go;
      case 0x44:
        if (!reader_.skip(10)) return Step::Fail;
        append("<Fig_start>");
        return Step::Go;
      case 0x45:
        if (!reader_.skip(12)) return Step::Fail;
        append("<Fig_start>");
        return Step::Go;
      case 0x64:
        if (!reader_.skip(6)) return Step::Fail;
        append("<Fig_pointer>");
        return Step::Go;
      case 0x3C:
        if (!reader_.skip(compressed_ ? 6 : 12) || !bcd4(a) || !bcd2(b)) return Step::Fail;
        append("<Fig-[" + num(a) + "," + num(b) + "]>");
        return Step::Go;
      case 0x4D:
        if (!compressed_) {
          if (!reader_.skip(18)) return Step::Fail;
          append("<bmpfig_start>");
          return Step::Go;
        } else {
          uint32_t kind = 0;
          if (!reader_.u2(kind) || !reader_.skip(10) || !bcd4(a) || !bcd2(b)) return Step::Fail;
          picture_ = {true, kind, a, b};
          return Step::Go;
        }
      case 0x6D:
        if (!compressed_)
          append("<bmpfig_end>");
        else if (picture_.seen)
          append("<Pict[" + num(picture_.kind) + ":" + num(picture_.page) + ":" + num(picture_.offset) +
                 "]>");
        return Step::Go;
      default:
        break;
    }
    if (compressed_) {
      switch (code) {
        case 0x4B:
          if (!bcd4(a) || !bcd2(b)) return Step::Fail;
          append("GraphSelect_[" + num(a) + ":" + num(b) + "]_");
          return Step::Go;
        case 0x6B:
          append("GraphSelect_end");
          return Step::Go;
        case 0x39:
          if (!reader_.skip(44)) return Step::Fail;
          append("< Movie_start >");
          return Step::Go;
        case 0x59:
          append("< Movie_end >");
          return Step::Go;
        case 0x4A:
          if (!reader_.skip(4) || !bcd4(a) || !bcd2(b) || !bcd4(c) || !bcd2(d)) return Step::Fail;
          append("< Sound_[" + num(a) + ":" + num(b) + ":" + num(c) + ":" + num(d) + "]_>");
          return Step::Go;
        case 0x6A:
          append("< Sound_end >");
          return Step::Go;
        default:
          break;
      }
    }
    return reader_.skip(escapeArgumentBytes(code)) ? Step::Go : Step::Fail;
  }

  struct PictureStart {
    bool seen = false;
    uint32_t kind = 0;
    int64_t page = 0, offset = 0;
  };

  BookReader& reader_;
  const bool compressed_;
  const std::function<bool()>& stop_;
  std::string out_;
  bool full_ = false;
  bool narrow_ = false;
  int startCounter_ = 1;
  PictureStart picture_;
};

}  // namespace

namespace pravella::edic {

std::string convertBody(BookReader& reader, const std::function<bool()>& stopRequested) {
  return BodyConverter(reader, stopRequested).run();
}

}  // namespace pravella::edic

bool convertHonbun(const std::string& name, int64_t page, int64_t offset, std::string& out) {
  ReaderLock lock;
  out.clear();
  auto file = EBDictionaryFile(name);
  if (!file) return false;
  PlainBookReader reader(*file);
  if (!reader.seek(page, offset)) return false;
  out = convertBody(reader);
  return true;
}

bool convertHonbun_EPWING_V6(ZIP_Data& state, int64_t page, int64_t offset, std::string& out) {
  ReaderLock lock;
  out.clear();
  CompressedBookReader reader(state);
  if (!reader.seek(page, offset)) return false;
  out = convertBody(reader, [] { return ButtonPress(); });
  return true;
}

#include "lang/tokenizer.h"

#include <cctype>

namespace {

// What was written last; only an open word (kWord) is extended by the next character.
enum State { kNothing = 0, kNumber = 1, kWord = 2, kString = 3, kOperator = 4, kSeparator = 5 };

// The character classes are the C locale's, byte by byte: nothing of 0x80 or above belongs
// to any class.
inline bool isSpace(unsigned char c) { return c < 0x80 && std::isspace(c); }
inline bool isPunct(unsigned char c) { return c < 0x80 && std::ispunct(c); }
inline bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }
inline bool isHex(unsigned char c) { return c < 0x80 && std::isxdigit(c); }

constexpr std::string_view kPi = "3.14159265358979323846264";

class Tokenizer {
 public:
  Tokenizer(std::string_view src, std::string& out) : s_(src), out_(out) {}

  int run();

 private:
  unsigned char at(std::size_t i) const { return i < s_.size() ? static_cast<unsigned char>(s_[i]) : 0; }
  bool startsWith(std::size_t i, std::string_view text) const { return s_.substr(i, text.size()) == text; }
  // Whether `text` is at i with at least one more byte of the source after it.
  bool followedAt(std::size_t i, std::string_view text) const {
    return i + text.size() < s_.size() && startsWith(i, text);
  }
  bool ideographicSpace(std::size_t i) const { return i + 2 < s_.size() && startsWith(i, "\xE3\x80\x80"); }
  // Whether the character at i would be appended to a word open before it.
  bool continuesWord(std::size_t i) const;
  // "Pai" at i standing as a word of its own: not inside a word, and no word character after it.
  bool piWord(std::size_t i) const {
    return followedAt(i, "Pai") && state_ != kWord && !continuesWord(i + 3);
  }

  bool put(char c);  // write_char_shikibunri
  bool put(std::string_view text) {
    for (char c : text)
      if (!put(c)) return false;
    return true;
  }
  bool endWord() { return state_ == kWord ? put('\n') : true; }
  bool endToken() { return (!out_.empty() && out_.back() != '\n') ? put('\n') : true; }
  int fail(std::string_view message);  // error_message, then failure

  bool hexNumber();
  int number();
  int exponent();  // comIsDigitExp
  int string();

  std::string_view s_;
  std::string& out_;
  std::size_t pos_ = 0;
  State state_ = kNothing;
  bool full_ = false;
};

bool Tokenizer::put(char c) {
  if (out_.size() >= kTokenTextLimit) {
    full_ = true;
    return false;
  }
  out_ += c;
  return true;
}

int Tokenizer::fail(std::string_view message) {
  std::string line;
  if (!out_.empty() && out_.back() != '\n') line += '\n';
  line += message;
  line += '\n';
  // A full text has no room for its message: the last tokens give way, so that the message is
  // always the last line.
  if (out_.size() + line.size() > kTokenTextLimit) {
    out_.resize(kTokenTextLimit - line.size());
    if (!out_.empty() && out_.back() != '\n' && line.front() != '\n') line.insert(line.begin(), '\n');
    if (out_.size() + line.size() > kTokenTextLimit) out_.resize(kTokenTextLimit - line.size());
  }
  out_ += line;
  return 0;
}

bool Tokenizer::continuesWord(std::size_t i) const {
  const unsigned char c = at(i);
  if (i >= s_.size() || isSpace(c) || ideographicSpace(i)) return false;
  if (c < 0x80) return !isPunct(c) || c == '_';
  // Of the characters above ASCII, pi, the multiplication signs and the wave dash are tokens.
  return !(startsWith(i, "\xCF\x80") || startsWith(i, "\xEF\xBD\xA5") || startsWith(i, "\xE2\x80\xA2") ||
           startsWith(i, "\xE3\x80\x9C"));
}

bool Tokenizer::hexNumber() {
  if (!endWord() || !put(s_[pos_]) || !put(s_[pos_ + 1])) return false;
  pos_ += 2;
  while (pos_ < s_.size() && isHex(at(pos_))) {
    if (!put(s_[pos_])) return false;
    ++pos_;
  }
  state_ = kNumber;
  return endToken();
}

int Tokenizer::exponent() {
  if (!put(s_[pos_])) return 0;  // the e or E
  ++pos_;
  if (pos_ >= s_.size() || (at(pos_) != '+' && at(pos_) != '-')) return fail("digit error (need + or -)");
  if (!put(s_[pos_])) return 0;
  ++pos_;
  if (pos_ >= s_.size() || !isDigit(at(pos_))) return fail("digit error (need digit)");
  while (pos_ < s_.size() && isDigit(at(pos_))) {
    if (!put(s_[pos_])) return 0;
    ++pos_;
  }
  return 1;
}

int Tokenizer::number() {
  while (pos_ < s_.size() && isDigit(at(pos_))) {
    if (!put(s_[pos_])) return 0;
    ++pos_;
  }
  if (pos_ < s_.size() && at(pos_) == '.') {
    if (!put('.')) return 0;
    ++pos_;
    while (pos_ < s_.size() && isDigit(at(pos_))) {
      if (!put(s_[pos_])) return 0;
      ++pos_;
    }
  }
  if (pos_ < s_.size() && (at(pos_) == 'e' || at(pos_) == 'E')) {
    if (!exponent()) return 0;
  }
  state_ = kNumber;
  return endToken() ? 1 : 0;
}

int Tokenizer::string() {
  if (!put('"')) return 0;
  ++pos_;
  for (;;) {
    if (pos_ >= s_.size()) return fail("string error (need \")");
    const unsigned char c = at(pos_);
    if (c == '"') break;
    const bool backslash = c == '\\';
    const bool yen = c == 0xC2 && at(pos_ + 1) == 0xA5 && pos_ + 1 < s_.size();
    if (backslash || yen) {
      const std::size_t next = pos_ + (backslash ? 1 : 2);
      if (next >= s_.size()) return fail("string error (need \")");
      const unsigned char e = at(next);
      if (e == 'n') {
        if (backslash) {
          if (!put("\\:")) return 0;
          pos_ = next + 1;
        } else {
          // A yen sign before n is not an escape: it stays as it is.
          if (!put("\xC2\xA5")) return 0;
          pos_ = next;
        }
        continue;
      }
      if (e == 'r') {
        if (!put('\r')) return 0;
        pos_ = next + 1;
      } else if (e == 't') {
        if (!put('\t')) return 0;
        pos_ = next + 1;
      } else if (yen && e == 0xC2 && at(next + 1) == 0xA5 && next + 1 < s_.size()) {
        if (!put('\\')) return 0;
        pos_ = next + 2;
      } else {
        if (!put(static_cast<char>(e))) return 0;
        pos_ = next + 1;
      }
      continue;
    }
    if (c == '\n') {
      // A real line break keeps the token on one line; the parser turns it back.
      if (!put("\\:")) return 0;
    } else if (!put(static_cast<char>(c))) {
      return 0;
    }
    ++pos_;
  }
  if (!put("\"\n")) return 0;
  ++pos_;
  state_ = kString;
  return 1;
}

int Tokenizer::run() {
  const std::size_t n = s_.size();
  while (pos_ < n && (isSpace(at(pos_)) || ideographicSpace(pos_))) pos_ += isSpace(at(pos_)) ? 1 : 3;

  while (pos_ < n) {
    const unsigned char c = at(pos_);
    bool ok = true;
    if (c == '0' && (at(pos_ + 1) == 'x' || at(pos_ + 1) == 'X') && pos_ + 2 < n) {
      ok = hexNumber();
    } else if (piWord(pos_) || followedAt(pos_, "\xCF\x80")) {
      // "Pai" is pi only as a word of its own, so that names holding it (volumePairedTtest, a
      // variable Pair) stay whole.
      ok = endWord() && put(kPi) && put('\n');
      pos_ += c == 'P' ? 3 : 2;
      state_ = kNumber;
    } else if (followedAt(pos_, "\xEF\xBD\xA5") || followedAt(pos_, "\xE2\x80\xA2")) {
      ok = endWord() && put('x') && endToken();
      pos_ += 3;
      state_ = kOperator;
    } else if (c == '~' || followedAt(pos_, "\xE3\x80\x9C")) {
      ok = endToken();
      while (pos_ < n && at(pos_) != '\n') ++pos_;
      if (pos_ < n) ++pos_;
      state_ = kSeparator;
    } else if (isSpace(c) || ideographicSpace(pos_)) {
      while (pos_ < n && (isSpace(at(pos_)) || ideographicSpace(pos_))) pos_ += isSpace(at(pos_)) ? 1 : 3;
      ok = endToken();
      state_ = kSeparator;
    } else if (c >= 0x80) {
      std::size_t len = 0;
      if (c >= 0xC0 && c <= 0xDF)
        len = 2;
      else if (c >= 0xE0 && c <= 0xEF)
        len = 3;
      // A continuation byte out of place or a four-byte character: no message.
      if (len == 0) return 0;
      for (std::size_t k = 0; k < len && pos_ < n && ok; ++k, ++pos_) ok = put(s_[pos_]);
      state_ = kWord;
    } else if (isDigit(c) && state_ != kWord) {
      if (!number()) return full_ ? fail("too many instruction") : 0;
    } else if (c == '"') {
      if (!string()) return full_ ? fail("too many instruction") : 0;
    } else if (pos_ + 3 <= n && startsWith(pos_, "<*>")) {
      ok = endWord() && put('x') && endToken();
      pos_ += 3;
      state_ = kOperator;
    } else if (!isPunct(c) || c == '_') {
      ok = put(static_cast<char>(c));
      ++pos_;
      state_ = kWord;
    } else {
      ok = endWord();
      std::size_t len = 1;
      if (pos_ + 1 < n) {
        static constexpr std::string_view kTwo[] = {
            "++", "--", "..", "==", ">=", "<=", "!=", "<>", ">>", "<<"};
        for (std::string_view op : kTwo) {
          if (startsWith(pos_, op)) {
            len = 2;
            break;
          }
        }
      }
      ok = ok && put(s_.substr(pos_, len)) && endToken();
      pos_ += len;
      state_ = kOperator;
    }
    if (!ok) return full_ ? fail("too many instruction") : 0;
  }
  if (!endToken()) return fail("too many instruction");
  return 1;
}

}  // namespace

int shikiBunri(std::string_view source, std::string& tokens) {
  tokens.clear();
  // The text is taken up to its terminator, as a C string would be.
  const std::size_t nul = source.find('\0');
  if (nul != std::string_view::npos) source = source.substr(0, nul);
  Tokenizer t(source, tokens);
  return t.run();
}

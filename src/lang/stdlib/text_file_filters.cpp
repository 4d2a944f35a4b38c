#include "lang/stdlib/text_file_filters.h"

#include <QFile>
#include <QSaveFile>

#include <cctype>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "lang/report.h"
#include "lang/stdlib/c_number.h"
#include "lang/stdlib/file_access.h"
#include "lang/values.h"
#include "platform/cformat.h"

namespace {

int fail(std::string_view message) {
  error_disp(message);
  return 0;
}

// A line holds at most this many bytes; the filters' line buffers were 4096 bytes.
constexpr std::size_t kMaxLine = 4095;

class LineReader {
 public:
  enum class Status { Line, End, TooLong };
  explicit LineReader(std::FILE* f) : f_(f) {}

  // The next line without its LF and without any CR. `endedByLf` tells whether a LF ended it
  // (only the last line of a file can lack one). The empty rest behind a file's final LF is
  // no line: a filter must not grow a file by an empty line on every pass.
  Status next(std::string& line, bool* endedByLf = nullptr) {
    if (done_) return Status::End;
    line.clear();
    bool any = false;
    for (int c = std::getc(f_); c != EOF; c = std::getc(f_)) {
      any = true;
      if (c == '\n') {
        if (endedByLf) *endedByLf = true;
        return Status::Line;
      }
      if (c == '\r') continue;
      if (line.size() >= kMaxLine) return Status::TooLong;
      line.push_back(static_cast<char>(c));
    }
    done_ = true;
    if (!any) return Status::End;
    if (endedByLf) *endedByLf = false;
    return Status::Line;
  }

 private:
  std::FILE* f_;
  bool done_ = false;
};

// An output file written atomically: a unique temporary file beside the target, renamed over
// it by commit(); dropped without commit, it leaves the target as it was.
class AtomicOutput {
 public:
  bool open(std::string_view name) {
    std::string full;
    if (!pravella::resolveLanguagePath(name, full)) return false;
    file_ = std::make_unique<QSaveFile>(QFile::decodeName(full.c_str()));
    ok_ = file_->open(QIODevice::WriteOnly);
    return ok_;
  }
  void write(std::string_view bytes) {
    if (ok_ &&
        file_->write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()))
      ok_ = false;
  }
  void writeLine(std::string_view line) {
    write(line);
    write("\n");
  }
  bool commit() { return ok_ && file_->commit(); }

 private:
  std::unique_ptr<QSaveFile> file_;
  bool ok_ = false;
};

enum class Verdict { Skip, Write, Fail };
using LineFilter = std::function<Verdict(const std::string& line, std::string& out)>;

int runFilter(std::string_view input, std::string_view output, const LineFilter& filter) {
  if (output.empty()) return fail("Can't read file.");
  pravella::UniqueFile in = pravella::openLanguageFile(input, "r");
  if (!in) return fail("Can't read file.");
  AtomicOutput out;
  if (!out.open(output)) return fail("Can't write file.");
  LineReader reader(in.get());
  std::string line, result;
  for (;;) {
    const LineReader::Status status = reader.next(line);
    if (status == LineReader::Status::End) break;
    if (status == LineReader::Status::TooLong) return fail("Too Big String");
    result.clear();
    const Verdict verdict = filter(line, result);
    if (verdict == Verdict::Fail) return 0;
    if (verdict == Verdict::Write) out.writeLine(result);
  }
  if (!out.commit()) return fail("Can't write file.");
  return 1;
}

int twoFiles(std::string_view input, std::string_view output, const LineFilter& filter) {
  if (input == output) return fail("Same File Name");
  return runFilter(input, output, filter);
}

// --- the filters -------------------------------------------------------------------------

Verdict keepNonEmpty(const std::string& line, std::string& out) {
  if (line.empty()) return Verdict::Skip;
  out = line;
  return Verdict::Write;
}

LineFilter area(int first, int last) {
  return [first, last](const std::string& line, std::string& out) {
    const auto from = static_cast<std::size_t>(first);
    if (from < line.size())
      out = line.substr(from, std::min(static_cast<std::size_t>(last), line.size() - 1) - from + 1);
    return Verdict::Write;
  };
}

enum class Op { Greater, GreaterEqual, LessEqual, Less, Equal, NotEqual };

bool parseOp(std::string_view text, Op* op) {
  static constexpr std::pair<std::string_view, Op> kOps[] = {
      {">", Op::Greater}, {">=", Op::GreaterEqual}, {"<=", Op::LessEqual},
      {"<", Op::Less},    {"==", Op::Equal},        {"!=", Op::NotEqual},
  };
  for (const auto& [name, value] : kOps) {
    if (name == text) {
      *op = value;
      return true;
    }
  }
  return false;
}

bool holds(double a, Op op, double b) {
  switch (op) {
    case Op::Greater:
      return a > b;
    case Op::GreaterEqual:
      return a >= b;
    case Op::LessEqual:
      return a <= b;
    case Op::Less:
      return a < b;
    case Op::Equal:
      return a == b;
    case Op::NotEqual:
      return a != b;
  }
  return false;
}

LineFilter numberInSpan(Op op, int first, int last, double value) {
  return [=](const std::string& line, std::string& out) {
    if (line.size() <= static_cast<std::size_t>(last)) return Verdict::Skip;
    const double number = pravella::cAtof(std::string_view(line).substr(first, last - first + 1));
    if (!holds(number, op, value)) return Verdict::Skip;
    out = line;
    return Verdict::Write;
  };
}

// The n-th run of bytes other than space and TAB (from 1), cut at 255 bytes; empty when the
// line has fewer.
std::string nthItem(const std::string& line, int n) {
  int index = 0;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= line.size()) break;
    const std::size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (++index == n) return line.substr(start, std::min<std::size_t>(i - start, 255));
  }
  return {};
}

LineFilter nthNumber(Op op, int n, double value) {
  return [=](const std::string& line, std::string& out) {
    if (!holds(pravella::cAtof(nthItem(line, n)), op, value)) return Verdict::Skip;
    out = line;
    return Verdict::Write;
  };
}

LineFilter containing(std::string_view word, bool wanted) {
  return [w = std::string(word), wanted](const std::string& line, std::string& out) {
    if ((line.find(w) != std::string::npos) != wanted) return Verdict::Skip;
    out = line;
    return Verdict::Write;
  };
}

LineFilter deleting(std::string_view word) {
  return [w = std::string(word)](const std::string& line, std::string& out) {
    out = line;
    const std::size_t at = out.find(w);
    if (at != std::string::npos) out.erase(at, w.size());
    return Verdict::Write;
  };
}

LineFilter exchanging(std::string_view search, std::string_view replacement) {
  return [s = std::string(search), r = std::string(replacement)](const std::string& line, std::string& out) {
    // An empty search text occurs nowhere (it would otherwise match at every position).
    std::size_t at = 0;
    for (std::size_t hit; !s.empty() && (hit = line.find(s, at)) != std::string::npos; at = hit + s.size()) {
      out.append(line, at, hit - at);
      out += r;
    }
    out.append(line, at, std::string::npos);
    return out.empty() ? Verdict::Skip : Verdict::Write;
  };
}

// Words as a white-space-delimited scan reads them.
std::vector<std::string> words(const std::string& line) {
  std::vector<std::string> result;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
    if (i >= line.size()) break;
    const std::size_t start = i;
    while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) ++i;
    result.push_back(line.substr(start, i - start));
  }
  return result;
}

bool itemNumbers(const double* items, int count, std::vector<int>& numbers) {
  for (int k = 0; k < count; ++k) {
    const int n = vkTruncToInt(items[k]);
    if (n < 1) return false;
    numbers.push_back(n);
  }
  return true;
}

LineFilter chosenItems(std::vector<int> numbers) {
  return [numbers = std::move(numbers)](const std::string& line, std::string& out) {
    const std::vector<std::string> w = words(line);
    for (std::size_t k = 0; k < numbers.size(); ++k) {
      const auto index = static_cast<std::size_t>(numbers[k]);
      if (index > w.size()) continue;
      out += w[index - 1];
      if (k + 1 < numbers.size()) out += '\t';
    }
    return out.empty() ? Verdict::Skip : Verdict::Write;
  };
}

bool validArea(int first, int last) { return first >= 0 && first <= last; }

}  // namespace

int TextFile_DeleteNullLine(std::string_view input, std::string_view output) {
  return twoFiles(input, output, keepNonEmpty);
}

int TextFile_DeleteNullLine_SameName(std::string_view name) { return runFilter(name, name, keepNonEmpty); }

int TextFile_SelectArea(std::string_view input, std::string_view output, int first, int last) {
  if (input == output) return fail("Same File Name");
  if (!validArea(first, last)) return fail("Bad area");
  return runFilter(input, output, area(first, last));
}

int TextFile_SelectArea_SameName(std::string_view name, int first, int last) {
  if (!validArea(first, last)) return fail("Bad area");
  return runFilter(name, name, area(first, last));
}

namespace {

// The operator and the area are checked before anything is opened: a bad one must not
// leave an emptied output, nor a rewritten input.
int selectNumber(std::string_view input, std::string_view output, std::string_view op, int first, int last,
                 double value) {
  Op o;
  if (!parseOp(op, &o)) return fail("Bad operator");
  if (!validArea(first, last)) return fail("Bad area");
  return runFilter(input, output, numberInSpan(o, first, last, value));
}

int selectNthNumber(std::string_view input, std::string_view output, std::string_view op, int n,
                    double value) {
  Op o;
  if (!parseOp(op, &o)) return fail("Bad operator");
  return runFilter(input, output, nthNumber(o, n, value));
}

}  // namespace

int TextFile_SelectItem_Number(std::string_view input, std::string_view output, std::string_view op,
                               int first, int last, double value) {
  if (input == output) return fail("Same File Name");
  return selectNumber(input, output, op, first, last, value);
}

int TextFile_SelectItem_Number_SameFile(std::string_view name, std::string_view op, int first, int last,
                                        double value) {
  return selectNumber(name, name, op, first, last, value);
}

int TextFile_SelectItem_NthNumber(std::string_view input, std::string_view output, std::string_view op, int n,
                                  double value) {
  if (input == output) return fail("Same File Name");
  return selectNthNumber(input, output, op, n, value);
}

int TextFile_SelectItem_NthNumber_SameFile(std::string_view name, std::string_view op, int n, double value) {
  return selectNthNumber(name, name, op, n, value);
}

int TextFile_SelectItem(std::string_view input, std::string_view output, std::string_view word) {
  return twoFiles(input, output, containing(word, true));
}

int TextFile_SelectItem_sameName(std::string_view name, std::string_view word) {
  return runFilter(name, name, containing(word, true));
}

int TextFile_DeSelectItem(std::string_view input, std::string_view output, std::string_view word) {
  return twoFiles(input, output, containing(word, false));
}

int TextFile_DeSelectItem_sameName(std::string_view name, std::string_view word) {
  return runFilter(name, name, containing(word, false));
}

int TextFile_DeleteItem(std::string_view input, std::string_view output, std::string_view word) {
  return twoFiles(input, output, deleting(word));
}

int TextFile_DeleteItem_sameName(std::string_view name, std::string_view word) {
  return runFilter(name, name, deleting(word));
}

int TextFile_ExchangeItem(std::string_view input, std::string_view output, std::string_view search,
                          std::string_view replacement) {
  return twoFiles(input, output, exchanging(search, replacement));
}

int TextFile_ExchangeItem_SameName(std::string_view name, std::string_view search,
                                   std::string_view replacement) {
  return runFilter(name, name, exchanging(search, replacement));
}

int TextFile_GetNthItem(std::string_view input, std::string_view output, const double* items, int count) {
  if (input == output) return fail("Same File Name");
  std::vector<int> numbers;
  if (!itemNumbers(items, count, numbers)) return 0;
  return runFilter(input, output, chosenItems(std::move(numbers)));
}

int TextFile_GetNthItem_SameName(std::string_view name, const double* items, int count) {
  std::vector<int> numbers;
  if (!itemNumbers(items, count, numbers)) return 0;
  return runFilter(name, name, chosenItems(std::move(numbers)));
}

int TextFile_CountSameString(std::string_view input, std::string_view output) {
  if (input == output) return fail("Same File Name");
  if (output.empty()) return fail("Can't read file.");
  pravella::UniqueFile in = pravella::openLanguageFile(input, "r");
  if (!in) return fail("Can't read file.");
  AtomicOutput out;
  if (!out.open(output)) return fail("Can't write file.");
  // Distinct lines in order of first appearance, with their counts.
  std::vector<std::pair<std::string, long>> counted;
  std::unordered_map<std::string, std::size_t> index;
  LineReader reader(in.get());
  std::string line;
  for (;;) {
    bool endedByLf = false;
    const LineReader::Status status = reader.next(line, &endedByLf);
    if (status == LineReader::Status::End) break;
    if (status == LineReader::Status::TooLong) return fail("Can not read data");
    // A last line without LF is not counted, nor is an empty line.
    if (!endedByLf || line.empty()) continue;
    const auto [it, added] = index.try_emplace(line, counted.size());
    if (added) counted.emplace_back(line, 0);
    ++counted[it->second].second;
  }
  for (const auto& [text, n] : counted) out.write(text + pravella::cformat("\t%ld\n", n));
  if (!out.commit()) return fail("Can't write file.");
  return 1;
}

int TextFile_Cut(std::string_view input, std::string_view marker) {
  pravella::UniqueFile in = pravella::openLanguageFile(input, "r");
  if (!in) {
    error_disp("Can't read file.");
    return fail("Can not open files");
  }
  long piece = 0;
  auto out = std::make_unique<AtomicOutput>();
  auto nextPiece = [&]() {
    std::string name(input);
    name += pravella::cformat(".%03ld", ++piece);
    // A piece's name, like every name the program gives, must fit 255 bytes.
    if (name.size() > 255) return fail("Too long path name.");
    out = std::make_unique<AtomicOutput>();
    if (!out->open(name)) {
      error_disp("Can't write file.");
      return fail("Can not open write_file");
    }
    return 1;
  };
  if (!nextPiece()) return 0;
  LineReader reader(in.get());
  std::string line;
  for (;;) {
    const LineReader::Status status = reader.next(line);
    if (status == LineReader::Status::End) break;
    if (status == LineReader::Status::TooLong) return fail("Can not read data");
    if (line.find(marker) != std::string::npos) {
      if (!out->commit()) return fail("Can't write file.");
      if (!nextPiece()) return 0;
    }
    out->writeLine(line);
  }
  if (!out->commit()) return fail("Can't write file.");
  return 1;
}

int TextFile_Cat(std::string_view input, std::string_view output) {
  if (input == output) return fail("Same File Name");
  if (output.empty()) return fail("Could not be found the append file.");
  pravella::UniqueFile in = pravella::openLanguageFile(input, "rb");
  if (!in) return fail("Can't read file.");
  std::string content;
  if (pravella::UniqueFile old = pravella::openLanguageFile(output, "rb")) {
    if (!pravella::readRest(old.get(), content)) return fail("Can't read file.");
  }
  if (!pravella::readRest(in.get(), content)) return fail("Can't read file.");
  // The output is replaced as a whole, so a failed append leaves it as it was.
  if (!pravella::writeLanguageFile(output, content)) return fail("Can't read file.");
  return 1;
}

int textFile_GetLineNumber(std::string_view name, double* count) {
  pravella::UniqueFile f = pravella::openLanguageFile(name, "rb");
  if (!f) return fail("Can't read file.");
  std::vector<char> block(32768);
  double lines = 0;
  std::size_t got;
  while ((got = std::fread(block.data(), 1, block.size(), f.get())) > 0) {
    for (std::size_t i = 0; i < got; ++i) lines += block[i] == '\n';
  }
  *count = lines;
  return 1;
}

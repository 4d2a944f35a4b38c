// The RTF reader's plain text: the parser's runs go straight into a string, which comes out as
// the plain text of the document rtf::read would build, with no document and no layout.
// Searches read thousands of memos this way.
//
// The string is kept in the document's raw form while it grows (paragraphs end in U+2029, a
// table is its cells, each after U+FDD0, and U+FDD1 behind the last), since where a table
// begins depends on what the text before it ends with; the separators become "\n" at the end.

#include <vector>

#include "platform/rtf.h"
#include "platform/rtf_parser.h"

namespace pravella::rtf {
namespace {

using detail::Group;
using detail::ParaState;

constexpr char16_t kParagraphEnd = 0x2029;
constexpr char16_t kLineEnd = 0x2028;
constexpr char16_t kCellStart = 0xFDD0;  // a document's raw text begins every table cell with it
constexpr char16_t kTableEnd = 0xFDD1;   // and ends the table with this one
constexpr char16_t kObject = 0xFFFC;

// A character that a document takes as the end of a paragraph when it comes in inserted text.
bool endsParagraph(char16_t c) {
  return c == u'\n' || c == u'\r' || c == kParagraphEnd || c == kCellStart || c == kTableEnd;
}

class PlainTextSink : public detail::Sink {
 public:
  bool wantsFormats() const override { return false; }

  void text(const QString& run, const Group&) override {
    QString& to = place();
    const char16_t* p = reinterpret_cast<const char16_t*>(run.constData());
    const char16_t* end = p + run.size();
    const char16_t* from = p;
    for (; p < end; ++p) {
      if (!endsParagraph(*p)) continue;
      to.append(QStringView(from, p - from));
      // "\r\n" ends one paragraph.
      if (*p == u'\r' && p + 1 < end && p[1] == u'\n') ++p;
      to.append(QChar(kParagraphEnd));
      from = p + 1;
    }
    to.append(QStringView(from, end - from));
  }

  void paragraphEnd(const ParaState& pa, const QString& listMarker, const Group&) override {
    place().append(QChar(kParagraphEnd));
    if (!inTable_) listItemEndsAt_ = detail::isListItem(pa, listMarker) ? out_.size() : -1;
  }

  void startTable(int columns, const std::vector<int>&) override {
    // As in the document: an empty paragraph behind an ordinary one is taken back, so that the
    // table follows that paragraph.
    const bool emptyParagraph =
        out_.isEmpty() || out_.back() == QChar(kParagraphEnd) || out_.back() == QChar(kTableEnd);
    const bool afterTable = !out_.isEmpty() && out_.back() == QChar(kTableEnd);
    const bool afterListItem = listItemEndsAt_ == out_.size();
    if (emptyParagraph && !out_.isEmpty() && !afterTable && !afterListItem) out_.chop(1);
    cells_.assign(1, std::vector<QString>(static_cast<size_t>(columns)));
    inTable_ = true;
    moveToCell(0, 0);
  }

  void appendRow() override { cells_.emplace_back(cells_.front().size()); }

  void appendColumn() override {
    for (std::vector<QString>& row : cells_) row.emplace_back();
  }

  void moveToCell(int row, int column) override {
    row_ = static_cast<size_t>(row);
    column_ = static_cast<size_t>(column);
  }

  void tabIntoCell(int row, int column) override {
    moveToCell(row, column);
    place().append(u'\t');
  }

  void endTable() override {
    for (const std::vector<QString>& row : cells_)
      for (const QString& cell : row) {
        out_.append(QChar(kCellStart));
        out_.append(cell);
      }
    out_.append(QChar(kTableEnd));
    cells_.clear();
    inTable_ = false;
  }

  void attachment(const Attachment&, QSizeF, const Group&) override { place().append(QChar(kObject)); }

  void finish(const ParaState&, const QString&, const Group*) override {
    if (inTable_) endTable();
  }

  // The text with its paragraph and line ends as "\n", as plainTextOf gives a document's.
  QString take() {
    for (QChar& c : out_)
      if (c == QChar(kParagraphEnd) || c == QChar(kLineEnd)) c = u'\n';
    return std::move(out_);
  }

 private:
  QString& place() { return inTable_ ? cells_[row_][column_] : out_; }

  QString out_;
  // Where out_ ended when the last paragraph that ended was a list item (-1: it was none).
  qsizetype listItemEndsAt_ = -1;
  bool inTable_ = false;
  std::vector<std::vector<QString>> cells_;  // the open table, row by row
  size_t row_ = 0, column_ = 0;
};

}  // namespace

PlainText readPlainText(const QByteArray& rtf, const AttachmentPresence& present) {
  AttachmentLoader loader;
  if (present)
    loader = [&present](const QString& name) -> std::optional<Attachment> {
      if (!present(name)) return std::nullopt;
      return Attachment{name, {}, {}};
    };
  detail::Parser parser(rtf, loader);
  PlainTextSink sink;
  PlainText result;
  result.read = parser.run(sink);
  if (result.read.ok) result.text = sink.take();
  return result;
}

}  // namespace pravella::rtf

#include "tools/text/find_replace.h"
#include "platform/rich_text_file.h"

#include <QElapsedTimer>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <vector>

namespace pravella::findtext {

QString documentText(const QTextDocument& document) { return plainTextOf(document); }

qsizetype findForward(QStringView text, QStringView find, qsizetype from) {
  if (find.isEmpty() || from < 0 || from > text.size() - find.size()) return -1;
  return text.indexOf(find, from, Qt::CaseInsensitive);
}

qsizetype findBackward(QStringView text, QStringView find, qsizetype from) {
  if (find.isEmpty() || from < 0) return -1;
  from = std::min(from, text.size() - find.size());
  if (from < 0) return -1;
  return text.lastIndexOf(find, from, Qt::CaseInsensitive);
}

bool replaceAllRefused(QStringView text, QStringView find, QStringView replacement) {
  return find.isEmpty() || text.size() < find.size() || replacement.contains(find, Qt::CaseInsensitive);
}

namespace {

// The text being rewritten, as pieces: runs of the original text (kept) and inserted
// replacements. The search runs over this virtual text without rebuilding it per replacement.
struct Piece {
  bool inserted = false;
  qsizetype start = 0;  // in the original text, for a kept run
  qsizetype length = 0;
  QString text;  // for an inserted piece
};

class Rewrite {
 public:
  explicit Rewrite(QStringView original) : original_(original) {}

  qsizetype size() const { return size_; }

  // The characters of the virtual text from `from` to its end within the written part.
  QString tail(qsizetype from) const {
    QString out;
    qsizetype at = size_;
    for (auto it = pieces_.rbegin(); it != pieces_.rend() && at > from; ++it) {
      at -= it->length;
      const qsizetype skip = std::max<qsizetype>(0, from - at);
      const QStringView piece = it->inserted ? QStringView(it->text) : original_.mid(it->start, it->length);
      out.prepend(piece.mid(skip).toString());
    }
    return out;
  }

  void keep(qsizetype start, qsizetype length) {
    if (length <= 0) return;
    if (!pieces_.empty() && !pieces_.back().inserted && pieces_.back().start + pieces_.back().length == start) {
      pieces_.back().length += length;
    } else {
      pieces_.push_back({false, start, length, {}});
    }
    size_ += length;
  }

  void insert(const QString& text) {
    if (text.isEmpty()) return;
    pieces_.push_back({true, 0, text.size(), text});
    size_ += text.size();
  }

  // Cuts the written part back to `length` characters.
  void truncate(qsizetype length) {
    while (size_ > length) {
      Piece& last = pieces_.back();
      const qsizetype cut = std::min(last.length, size_ - length);
      last.length -= cut;
      if (last.inserted) last.text.truncate(last.length);
      size_ -= cut;
      if (last.length == 0) pieces_.pop_back();
    }
  }

  // The edits that turn the original into the result: each replaces an original range (the gap
  // between two kept runs) by the inserted text between them, in ascending order.
  struct Edit {
    qsizetype start, end;
    QString text;
  };
  std::vector<Edit> edits(qsizetype restStart) const {
    std::vector<Edit> out;
    qsizetype originalAt = 0;
    QString pending;
    auto flush = [&](qsizetype nextKept) {
      if (nextKept > originalAt || !pending.isEmpty()) out.push_back({originalAt, nextKept, pending});
      pending.clear();
    };
    for (const Piece& p : pieces_) {
      if (p.inserted) {
        pending += p.text;
      } else {
        flush(p.start);
        originalAt = p.start + p.length;
      }
    }
    flush(restStart);
    return out;
  }

 private:
  QStringView original_;
  std::vector<Piece> pieces_;
  qsizetype size_ = 0;
};

}  // namespace

int replaceAll(QTextDocument& document, const QString& find, const QString& replacement, const Progress& progress) {
  const QString text = documentText(document);
  if (replaceAllRefused(text, find, replacement)) return -1;
  const qsizetype n = find.size();

  Rewrite written(text);
  qsizetype rest = 0;  // the original text from here on is not yet written
  qsizetype from = 0;  // where the next search starts, in the virtual text
  int count = 0;
  QElapsedTimer clock;
  clock.start();
  for (;;) {
    // A match may begin inside what was written (at most n - 1 characters before its end, or
    // further back where the last replacement was shorter) and run into the rest.
    qsizetype at = -1;
    if (from < written.size()) {
      const QString window = written.tail(from) + QStringView(text).mid(rest, n - 1).toString();
      const qsizetype j = window.indexOf(find, 0, Qt::CaseInsensitive);
      if (j >= 0 && from + j < written.size()) at = from + j;
    }
    if (at < 0) {
      const qsizetype m = QStringView(text).indexOf(find, rest, Qt::CaseInsensitive);
      if (m < 0) break;
      written.keep(rest, m - rest);
      rest = m + n;
    } else {
      const qsizetype fromWritten = std::min(n, written.size() - at);
      written.truncate(at);
      rest += n - fromWritten;
    }
    written.insert(replacement);
    ++count;
    from = std::max<qsizetype>(0, written.size() - n);
    if (progress && clock.elapsed() > 1000) {
      progress(written.size() + (text.size() - rest) - n - 1, written.size() - replacement.size());
      clock.restart();
    }
  }
  if (count == 0) return 0;

  // Applied from the end, so that the earlier positions stay valid; one undo step.
  QTextCursor cursor(&document);
  cursor.beginEditBlock();
  const auto edits = written.edits(rest);
  for (auto it = edits.rbegin(); it != edits.rend(); ++it) {
    cursor.setPosition(it->start);
    cursor.setPosition(it->end, QTextCursor::KeepAnchor);
    cursor.insertText(it->text);
  }
  cursor.endEditBlock();
  return count;
}

}  // namespace pravella::findtext

#include "tools/dictionaries/text_dictionary.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/paths.h"
#include "platform/text_encoding.h"

namespace pravella::textdic {

namespace {

// Lossy: a bad byte becomes U+FFFD and never hides the rest of the file.
QString readShiftJIS(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return encoding::decodeLossy(file.readAll(), encoding::kShiftJIS);
}

bool isLineBreak(QChar c) { return c == u'\n' || c == u'\r'; }

qsizetype skipSpaces(const QString& s, qsizetype i) {
  while (i < s.size() && s.at(i).isSpace()) ++i;
  return i;
}

// A body name must stay inside the index file's folder.
bool safeBodyName(const QString& name) {
  if (name.isEmpty() || name.startsWith(u'/') || QDir::isAbsolutePath(name)) return false;
  const QStringList parts = name.split(u'/');
  return !parts.contains(QStringLiteral(".."));
}

}  // namespace

QString dictionaryFolder() { return paths::diary() + QStringLiteral("/Dictionary"); }

QStringList findDictionaryFiles(const QString& root) {
  QStringList files;
  const QDir top(root);
  const QStringList folders = top.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
  for (const QString& folder : folders) {
    const QDir dir(top.filePath(folder));
    const QStringList names = dir.entryList(QDir::Files, QDir::Name);
    for (const QString& name : names) {
      if (QFileInfo(name).suffix() == QStringLiteral("TAG")) files << dir.filePath(name);
    }
  }
  return files;
}

QString han2zen(const QString& word) {
  static const QString half =
      QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  QString out;
  out.reserve(word.size());
  for (QChar c : word) {
    if (c == u'\n') continue;
    const qsizetype at = half.indexOf(c);
    // The full-width forms lie at a fixed distance from ASCII.
    out += at < 0 ? c : QChar(char16_t(c.unicode() + 0xFEE0));
  }
  return out;
}

LineRange findLine(const QString& text, qsizetype pos) {
  LineRange r;
  pos = std::clamp<qsizetype>(pos, 0, text.size());
  qsizetype s = std::min(pos, text.size() - 1);
  while (s >= 0 && !isLineBreak(text.at(s))) --s;
  r.start = s + 1;
  qsizetype e = pos;
  while (e < text.size() && !isLineBreak(text.at(e))) ++e;
  r.end = std::max(e, r.start);
  return r;
}

bool parseIndexLine(const QString& line, const QString& indexPath, Hit* hit) {
  qsizetype i = skipSpaces(line, 0);
  const qsizetype open = line.indexOf(u'(', i);
  if (open < 0) return false;
  const QString name = line.mid(i, open - i).trimmed();
  if (!safeBodyName(name)) return false;
  i = skipSpaces(line, open + 1);
  qsizetype close = line.indexOf(u')', i);
  if (close < 0) close = line.size();
  const QString number = line.mid(i, close - i).trimmed();
  const qsizetype hash = line.indexOf(u'#', close);
  QString word;
  if (hash >= 0) {
    const qsizetype w = skipSpaces(line, hash + 1);
    qsizetype end = line.indexOf(u' ', w);
    if (end < 0) end = line.size();
    word = line.mid(w, end - w);
  }
  const QFileInfo index(indexPath);
  hit->path = index.absolutePath() + u'/' + name;
  hit->dictionary = QFileInfo(name).completeBaseName();
  hit->group = index.completeBaseName();
  hit->line = number;
  hit->word = word;
  return true;
}

SearchResult search(const QStringList& indexFiles, const QString& word,
                    const std::function<void(int)>& progress) {
  SearchResult result;
  if (word.isEmpty()) return result;
  // Folding is simple case folding, one code unit for one, so positions carry over.
  const QString needle = word.toCaseFolded();
  for (int f = 0; f < indexFiles.size(); ++f) {
    if (progress) progress(f + 1);
    const QString text = readShiftJIS(indexFiles.at(f));
    const qsizetype first = text.indexOf(u'#');
    if (first < 0) continue;
    const QString folded = text.toCaseFolded();
    qsizetype pos = first;
    while (true) {
      const qsizetype at = folded.indexOf(needle, pos);
      if (at < 0) break;
      const LineRange range = findLine(text, at);
      Hit hit;
      if (parseIndexLine(text.mid(range.start, range.end - range.start), indexFiles.at(f), &hit)) {
        result.hits.append(hit);
        if (result.hits.size() > kMaxHits) {
          result.tooMany = true;
          return result;
        }
      }
      // Always forward, at most one hit a line.
      pos = std::max(range.end, at + 1);
    }
  }
  return result;
}

QString entryText(const QString& bodyPath, int lineNumber) {
  if (lineNumber < 1) return {};
  const QStringList lines = readShiftJIS(bodyPath).split(u'\n');
  if (lineNumber > lines.size()) return {};
  auto bare = [](QString s) {
    if (s.endsWith(u'\r')) s.chop(1);
    return s;
  };
  QString out = bare(lines.at(lineNumber - 1));
  for (qsizetype i = lineNumber; i < lines.size() && lines.at(i).startsWith(u' '); ++i) out += bare(lines.at(i));
  return out;
}

QString historyEntry(int lineNumber, const QString& path) {
  return QStringLiteral("%1\t%2").arg(lineNumber, 5).arg(path);
}

bool splitHistoryEntry(const QString& entry, int* lineNumber, QString* path) {
  const qsizetype tab = entry.indexOf(u'\t');
  if (tab < 0) return false;
  bool ok = false;
  *lineNumber = entry.left(tab).trimmed().toInt(&ok);
  *path = entry.mid(tab + 1);
  return ok;
}

void HitHistory::add(const QString& entry) {
  entries_.removeOne(entry);
  entries_.append(entry);
  current_ = int(entries_.size()) - 1;
}

QString HitHistory::step(int delta) {
  if (entries_.isEmpty()) {
    current_ = -1;
    return {};
  }
  current_ = std::clamp(current_ + delta, 0, int(entries_.size()) - 1);
  return entries_.at(current_);
}

QString HitHistory::back() { return step(-1); }
QString HitHistory::forward() { return step(1); }

void WordList::add(const QString& word) {
  words_.removeOne(word);
  words_.append(word);
}

QStringList WordList::newestFirst() const {
  QStringList out(words_.crbegin(), words_.crend());
  return out;
}

}  // namespace pravella::textdic

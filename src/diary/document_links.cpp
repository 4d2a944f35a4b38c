#include "diary/document_links.h"

#include "diary/day_documents.h"
#include "diary/day_folders.h"
#include "platform/paths.h"

namespace pravella {

namespace {

bool isLineEnd(QChar c) { return c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator; }

}  // namespace

std::optional<BracketPair> bracketPairAround(const QString& text, qsizetype caret) {
  const qsizetype n = text.size();
  BracketPair pair;
  for (qsizetype q = caret; q >= 0 && q < n; --q) {
    const QChar c = text[q];
    if (isLineEnd(c) || c == u']') break;
    if (c == u'[') {
      pair.open = q;
      break;
    }
  }
  if (pair.open < 0) return std::nullopt;
  for (qsizetype q = caret; q < n; ++q) {
    const QChar c = text[q];
    if (isLineEnd(c) || c == u'[') break;
    if (c == u']') {
      pair.close = q;
      break;
    }
  }
  if (pair.close < 0) return std::nullopt;
  return pair;
}

QString diaryDocumentLinkText(const QString& path, const QDate& shownDay) {
  const std::optional<DayOfPath> day = dayOfDiaryDocument(path);
  if (!day) return {};
  const QString name = documentDisplayName(path.section(QLatin1Char('/'), -1));
  if (day->year == shownDay.year() && day->month == shownDay.month() && day->day == shownDay.day())
    return QStringLiteral(" [") + name + QStringLiteral("] ");
  return QStringLiteral(" [") + path.section(QLatin1Char('/'), -4, -2) + QLatin1Char('/') + name +
         QStringLiteral("] ");
}

QString diaryPathLinkText(const QString& path) {
  const QString root = paths::diary() + QLatin1Char('/');
  if (!path.startsWith(root) || path.size() == root.size()) return {};
  const QString below = path.mid(root.size());
  const qsizetype slash = below.lastIndexOf(QLatin1Char('/'));
  return QStringLiteral(" [") + below.left(slash + 1) + documentDisplayName(below.mid(slash + 1)) +
         QStringLiteral("] ");
}

}  // namespace pravella

#include "diary/document_companions.h"

#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#include "diary/day_documents.h"

namespace pravella {

namespace {

struct Companion {
  const char* extension;
  const char* kind;  // what the user calls it
};

constexpr Companion kCompanions[] = {{"htmld", "HTML pages"}, {"tbld", "tables"}};

bool entryExists(const QString& path) { return QFileInfo(path).exists() || QFileInfo(path).isSymLink(); }

QString shownName(const QString& path) { return documentDisplayName(QFileInfo(path).fileName()); }

// The system's reason, when the mover left one.
QString because(int error) {
  return error == 0 ? QStringLiteral(".")
                    : QStringLiteral(": %1.").arg(QString::fromLocal8Bit(std::strerror(error)));
}

}  // namespace

bool isCompanionExtension(QStringView extension) {
  for (const Companion& c : kCompanions)
    if (extension == QLatin1String(c.extension)) return true;
  return false;
}

QStringList companionPathsFor(const QString& documentPath) {
  QStringList companions;
  if (isCompanionExtension(fileExtension(documentPath))) return companions;
  const QString stem = withoutExtension(documentPath);
  for (const Companion& c : kCompanions)
    companions.append(stem + QLatin1Char('.') + QLatin1String(c.extension));
  return companions;
}

bool renameEntry(const QString& from, const QString& to) {
  return renameWithoutReplacing(QFile::encodeName(from), QFile::encodeName(to));
}

namespace {

// Does `act` to the document and then to each companion it has, each to the companion name of
// `to`; when a companion's name there is taken nothing is done, and when `act` fails for a
// companion, `undo` takes back what was done. `done` names the act for the user ("moved").
DocumentMove carryWithCompanions(const QString& from, const QString& to, const EntryMover& act,
                                 const EntryMover& undo, const QString& done) {
  DocumentMove result;
  struct Step {
    QString from, to;
    const char* kind;
  };
  std::vector<Step> steps;
  const QStringList olds = companionPathsFor(from), news = companionPathsFor(to);
  for (qsizetype i = 0; i < olds.size() && i < news.size(); ++i) {
    if (!entryExists(olds[i]) || olds[i] == news[i]) continue;
    // Asked before anything is done: a half-done move would part the memo from its tables.
    if (entryExists(news[i])) {
      result.error =
          QStringLiteral("\"%1\" is not %2: its %3 cannot follow it, because \"%4\" already exists.")
              .arg(shownName(from), done, QLatin1String(kCompanions[i].kind), QFileInfo(news[i]).fileName());
      return result;
    }
    steps.push_back({olds[i], news[i], kCompanions[i].kind});
  }
  errno = 0;
  if (!act(from, to)) {
    const int error = errno;
    result.error =
        QStringLiteral("\"%1\" could not be %2 to \"%3\"").arg(shownName(from), done, shownName(to)) +
        because(error);
    return result;
  }
  for (std::size_t step = 0; step < steps.size(); ++step) {
    errno = 0;
    if (act(steps[step].from, steps[step].to)) continue;
    const int error = errno;
    // Back to where everything was, the document last.
    for (std::size_t back = step; back-- > 0;) undo(steps[back].from, steps[back].to);
    const bool restored = undo(from, to);
    result.error = QStringLiteral("\"%1\" is not %2: its %3 (\"%4\") could not follow it")
                       .arg(shownName(from), done, QLatin1String(steps[step].kind),
                            QFileInfo(steps[step].from).fileName()) +
                   because(error);
    if (!restored)
      result.error += QStringLiteral(" The document itself is at \"%1\".").arg(QFileInfo(to).fileName());
    return result;
  }
  result.ok = true;
  return result;
}

}  // namespace

DocumentMove moveDocumentWithCompanions(const QString& from, const QString& to, const EntryMover& move) {
  return carryWithCompanions(
      from, to, move, [&move](const QString& a, const QString& b) { return move(b, a); },
      QStringLiteral("moved"));
}

DocumentMove linkDocumentWithCompanions(const QString& from, const QString& to) {
  const auto link = [](const QString& target, const QString& at) {
    // symlink() itself refuses an existing name, dangling links included.
    return ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(at).constData()) == 0;
  };
  const auto unlink = [](const QString&, const QString& at) {
    return ::unlink(QFile::encodeName(at).constData()) == 0;
  };
  return carryWithCompanions(from, to, link, unlink, QStringLiteral("linked"));
}

DocumentTrash trashDocumentWithCompanions(const QString& path, const QDateTime& when) {
  DocumentTrash result;
  result.document = moveToTrash(path, when);
  if (!result.document.ok) return result;
  for (const QString& companion : companionPathsFor(path)) {
    if (!entryExists(companion)) continue;
    const TrashResult moved = moveToTrash(companion, when);
    if (!moved.ok) result.errors.append(moved.error);
  }
  return result;
}

}  // namespace pravella

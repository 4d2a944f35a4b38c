#include "diary/document_companions.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#include "diary/day_documents.h"
#include "diary/undecodable_names.h"
#include "platform/atomic_file.h"

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

// Takes away a copy this made: a link as a link, never what it leads to.
void removeCopy(const QString& path) {
  const QFileInfo info(path);
  if (info.isDir() && !info.isSymLink())
    QDir(path).removeRecursively();
  else
    QFile::remove(path);
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

namespace {

// The documents of `folder` whose name without extension is `stem`, but for `except`.
QStringList documentsNamed(const QString& folder, const QString& stem, const QString& except,
                           const QStringList& going) {
  QStringList named;
  QStringList names = QDir(folder).entryList(
      QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
  // A name that is no UTF-8 is a document too, under the name the day list gives it.
  names += undecodableEntries(folder);
  for (const QString& other : names) {
    if (other == except || withoutExtension(other) != stem) continue;
    const QString ext = fileExtension(other);
    if (ext == QLatin1String("ROIData") || isCompanionExtension(ext)) continue;
    const QString path = folder + QLatin1Char('/') + other;
    if (!going.contains(path)) named.append(path);
  }
  return named;
}

}  // namespace

QStringList documentsSharingCompanions(const QString& documentPath, const QStringList& going) {
  const QFileInfo info(documentPath);
  const QString name = info.fileName();
  if (name.isEmpty() || isCompanionExtension(fileExtension(name))) return {};
  return documentsNamed(info.path(), withoutExtension(name), name, going);
}

QStringList documentsUsingCompanion(const QString& companionPath) {
  const QFileInfo info(companionPath);
  const QString name = info.fileName();
  if (!isCompanionExtension(fileExtension(name))) return {};
  return documentsNamed(info.path(), withoutExtension(name), QString(), {});
}

bool renameEntry(const QString& from, const QString& to) {
  return renameWithoutReplacing(QFile::encodeName(from), QFile::encodeName(to));
}

namespace {

// How the companions go with the document.
struct Carrying {
  EntryMover act;   // the document, and each companion no other document uses
  EntryMover undo;  // takes `act` back
  QString done;     // the act for the user ("moved")
  bool shared;      // true: companions another document uses are copied instead
};

// Does the act to the document and then to each companion it has, each to the companion name
// of `to`; when a companion's name there is taken nothing is done, and when a companion cannot
// follow, what was done is taken back.
DocumentMove carryWithCompanions(const QString& from, const QString& to, const Carrying& how,
                                 const QStringList& going) {
  DocumentMove result;
  struct Step {
    QString from, to;
    const char* kind;
    bool copy;
  };
  std::vector<Step> steps;
  // Asked once: another document of the name keeps the companions where they are.
  const bool othersStay = how.shared && !documentsSharingCompanions(from, going).isEmpty();
  const QStringList olds = companionPathsFor(from), news = companionPathsFor(to);
  for (qsizetype i = 0; i < olds.size() && i < news.size(); ++i) {
    if (!entryExists(olds[i]) || olds[i] == news[i]) continue;
    // Asked before anything is done: a half-done move would part the memo from its tables.
    if (entryExists(news[i])) {
      result.error =
          QStringLiteral("\"%1\" is not %2: its %3 cannot follow it, because \"%4\" already exists.")
              .arg(shownName(from), how.done, QLatin1String(kCompanions[i].kind),
                   QFileInfo(news[i]).fileName());
      return result;
    }
    steps.push_back({olds[i], news[i], kCompanions[i].kind, othersStay});
  }
  errno = 0;
  if (!how.act(from, to)) {
    const int error = errno;
    result.error =
        QStringLiteral("\"%1\" could not be %2 to \"%3\"").arg(shownName(from), how.done, shownName(to)) +
        because(error);
    return result;
  }
  for (std::size_t step = 0; step < steps.size(); ++step) {
    errno = 0;
    QString reason;
    if (steps[step].copy) {
      const WriteResult copied = copyAtomically(steps[step].from, steps[step].to);
      if (copied) continue;
      reason = QStringLiteral(": ") + copied.error;
      if (!reason.endsWith(QLatin1Char('.'))) reason += QLatin1Char('.');
    } else {
      if (how.act(steps[step].from, steps[step].to)) continue;
      reason = because(errno);
    }
    // Back to where everything was, the document last.
    for (std::size_t back = step; back-- > 0;) {
      if (steps[back].copy)
        removeCopy(steps[back].to);
      else
        how.undo(steps[back].from, steps[back].to);
    }
    const bool restored = how.undo(from, to);
    result.error = QStringLiteral("\"%1\" is not %2: its %3 (\"%4\") could not follow it")
                       .arg(shownName(from), how.done, QLatin1String(steps[step].kind),
                            QFileInfo(steps[step].from).fileName()) +
                   reason;
    if (!restored)
      result.error += QStringLiteral(" The document itself is at \"%1\".").arg(QFileInfo(to).fileName());
    return result;
  }
  result.ok = true;
  return result;
}

}  // namespace

DocumentMove moveDocumentWithCompanions(const QString& from, const QString& to, const EntryMover& move,
                                        const QStringList& going) {
  const Carrying how{move, [&move](const QString& a, const QString& b) { return move(b, a); },
                     QStringLiteral("moved"), true};
  return carryWithCompanions(from, to, how, going);
}

DocumentMove linkDocumentWithCompanions(const QString& from, const QString& to) {
  const auto link = [](const QString& target, const QString& at) {
    // symlink() itself refuses an existing name, dangling links included.
    return ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(at).constData()) == 0;
  };
  const auto unlink = [](const QString&, const QString& at) {
    return ::unlink(QFile::encodeName(at).constData()) == 0;
  };
  // A link takes nothing away: the companions are linked whoever else uses them.
  return carryWithCompanions(from, to, {link, unlink, QStringLiteral("linked"), false}, {});
}

DocumentTrash trashDocumentWithCompanions(const QString& path, const QDateTime& when) {
  DocumentTrash result;
  // Asked before the document goes, which would no longer be there to be told apart.
  const bool othersStay = !documentsSharingCompanions(path).isEmpty();
  result.document = moveToTrash(path, when);
  if (!result.document.ok || othersStay) return result;
  for (const QString& companion : companionPathsFor(path)) {
    if (!entryExists(companion)) continue;
    const TrashResult moved = moveToTrash(companion, when);
    if (!moved.ok) result.errors.append(moved.error);
  }
  return result;
}

}  // namespace pravella

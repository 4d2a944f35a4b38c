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

// A free name beside `path` for the copy a companion takes the place of, until it has.
QString asideName(const QString& path) {
  const QFileInfo info(path);
  for (int n = 1;; ++n) {
    const QString aside = info.path() + QStringLiteral("/.%1.replaced-%2").arg(info.fileName()).arg(n);
    if (!entryExists(aside)) return aside;
  }
}

// Does the act to the document and then to each companion it has, each to the companion name
// of `to`; when a companion's name there is taken nothing is done, and when a companion cannot
// follow, what was done is taken back. A name taken by one of `replaceable` (copies made
// earlier for documents of the same name) is no obstacle: a copy stays as it is, a companion
// that moves takes its place.
DocumentMove carryWithCompanions(const QString& from, const QString& to, const Carrying& how,
                                 const QStringList& replaceable = {}) {
  DocumentMove result;
  struct Step {
    QString from, to;
    const char* kind;
    bool copy;
    bool replaces;  // `to` is a copy made before, set aside while this one takes its place
    QString aside;
  };
  std::vector<Step> steps;
  // Asked once: another document of the name keeps the companions where they are.
  const bool othersStay = how.shared && !documentsSharingCompanions(from).isEmpty();
  const QStringList olds = companionPathsFor(from), news = companionPathsFor(to);
  for (qsizetype i = 0; i < olds.size() && i < news.size(); ++i) {
    if (!entryExists(olds[i]) || olds[i] == news[i]) continue;
    const bool madeBefore = entryExists(news[i]) && replaceable.contains(news[i]);
    // Asked before anything is done: a half-done move would part the memo from its tables.
    if (entryExists(news[i]) && !madeBefore) {
      result.error =
          QStringLiteral("\"%1\" is not %2: its %3 cannot follow it, because \"%4\" already exists.")
              .arg(shownName(from), how.done, QLatin1String(kCompanions[i].kind),
                   QFileInfo(news[i]).fileName());
      return result;
    }
    if (othersStay && madeBefore) continue;  // the copy there serves this one too
    steps.push_back({olds[i], news[i], kCompanions[i].kind, othersStay, madeBefore, QString()});
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
    Step& s = steps[step];
    errno = 0;
    QString reason;
    if (s.copy) {
      const WriteResult copied = copyAtomically(s.from, s.to);
      if (copied) continue;
      reason = QStringLiteral(": ") + copied.error;
      if (!reason.endsWith(QLatin1Char('.'))) reason += QLatin1Char('.');
    } else {
      if (s.replaces) {
        s.aside = asideName(s.to);
        if (!renameEntry(s.to, s.aside)) s.aside.clear();
      }
      if ((!s.replaces || !s.aside.isEmpty()) && how.act(s.from, s.to)) continue;
      reason = because(errno);
      if (!s.aside.isEmpty()) renameEntry(s.aside, s.to);
    }
    // Back to where everything was, the document last.
    for (std::size_t back = step; back-- > 0;) {
      if (steps[back].copy) {
        removeCopy(steps[back].to);
      } else {
        how.undo(steps[back].from, steps[back].to);
        if (!steps[back].aside.isEmpty()) renameEntry(steps[back].aside, steps[back].to);
      }
    }
    const bool restored = how.undo(from, to);
    result.error = QStringLiteral("\"%1\" is not %2: its %3 (\"%4\") could not follow it")
                       .arg(shownName(from), how.done, QLatin1String(s.kind), QFileInfo(s.from).fileName()) +
                   reason;
    if (!restored)
      result.error += QStringLiteral(" The document itself is at \"%1\".").arg(QFileInfo(to).fileName());
    return result;
  }
  for (const Step& s : steps) {
    if (!s.aside.isEmpty()) removeCopy(s.aside);  // the companion itself is there now
    (s.copy ? result.copied : result.carried).append(s.to);
  }
  result.ok = true;
  return result;
}

}  // namespace

DocumentMove moveDocumentWithCompanions(const QString& from, const QString& to, const EntryMover& move) {
  return DocumentMoves(move).move(from, to);
}

DocumentMove DocumentMoves::move(const QString& from, const QString& to) {
  const EntryMover& act = move_;
  const Carrying how{act, [&act](const QString& a, const QString& b) { return act(b, a); },
                     QStringLiteral("moved"), true};
  DocumentMove moved = carryWithCompanions(from, to, how, copies_);
  if (moved.ok) {
    copies_.append(moved.copied);
    for (const QString& carried : std::as_const(moved.carried)) copies_.removeAll(carried);
  }
  return moved;
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
  return carryWithCompanions(from, to, {link, unlink, QStringLiteral("linked"), false});
}

QStringList companionsGoingWith(const QString& documentPath, const QStringList& going) {
  QStringList companions;
  if (!documentsSharingCompanions(documentPath, going).isEmpty()) return companions;
  for (const QString& companion : companionPathsFor(documentPath))
    if (entryExists(companion)) companions.append(companion);
  return companions;
}

QString companionsGoingNote(const QString& documentPath, const QStringList& going) {
  QStringList parts;
  for (const QString& companion : companionsGoingWith(documentPath, going)) {
    const QString ext = fileExtension(companion);
    for (const Companion& c : kCompanions)
      if (ext == QLatin1String(c.extension))
        parts << QStringLiteral("its %1 \"%2\"").arg(QLatin1String(c.kind), QFileInfo(companion).fileName());
  }
  return parts.isEmpty() ? QString() : QStringLiteral(", with ") + parts.join(QStringLiteral(" and "));
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

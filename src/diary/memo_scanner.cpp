#include "diary/memo_scanner.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QMetaObject>

#include <algorithm>
#include <vector>

#include "diary/day_documents.h"
#include "diary/memo_search_text.h"
#include "platform/bounded_read.h"
#include "platform/folder_listing.h"
#include "platform/rich_text_file.h"
#include "platform/rtf.h"

namespace pravella {

namespace {

constexpr qint64 kBatchMilliseconds = 100;

bool isPackageName(const QString& name) {
  return fileExtension(name).compare(QLatin1String("rtfd"), Qt::CaseInsensitive) == 0;
}

// Walks a scope and calls `visit` with (path in the tree, path to read, name) for every
// package, in name order; stops as soon as `cancelled` says so. The listing gives each entry's
// type, so an entry costs no look-up of its own unless it is a link.
void walkPackages(const QString& folder, const std::function<bool()>& cancelled,
                  const std::function<void(const QString&, const QString&, const QString&)>& visit) {
  std::vector<FolderEntry> entries = listFolder(folder);
  // Code point order, as folderEntriesInNameOrder gives it.
  std::sort(entries.begin(), entries.end(),
            [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
  for (const FolderEntry& entry : entries) {
    if (cancelled()) return;
    const QString path = folder + QLatin1Char('/') + entry.name;
    if (entry.type == FolderEntry::Type::Link) {
      if (!isPackageName(entry.name)) continue;  // a linked folder could lead back up the tree
      const std::optional<QString> target = resolveSymbolicLink(path);
      if (target && QFileInfo(*target).isDir()) visit(path, *target, entry.name);
      continue;
    }
    if (entry.type != FolderEntry::Type::Folder) continue;
    if (isPackageName(entry.name))
      visit(path, path, entry.name);
    else
      walkPackages(path, cancelled, visit);
  }
}

// Scans the scopes; `found` gets each hit and the name looked at.
void scan(const QStringList& scopes, const QStringList& foldedWords, MemoSearchKind kind,
          const std::function<bool()>& cancelled,
          const std::function<void(const MonthListEntry*, const QString&)>& found) {
  for (const QString& scope : scopes) {
    walkPackages(scope, cancelled, [&](const QString& path, const QString& readPath, const QString& name) {
      const std::optional<MonthListEntry> row = entryForFoundPath(path);
      if (!row) return;
      bool hit = false;
      if (kind == MemoSearchKind::Name) {
        hit = containsAllWords(foldForSearch(name), foldedWords);
      } else if (const std::optional<QString> text = memoPackageText(readPath)) {
        hit = containsAllWords(foldForSearch(*text), foldedWords);
      }
      found(hit ? &*row : nullptr, name);
    });
    if (cancelled()) return;
  }
}

QStringList foldedWordsOf(const QStringList& words) {
  QStringList folded;
  for (const QString& w : words)
    if (!w.isEmpty()) folded << foldForSearch(w);
  return folded;
}

}  // namespace

std::optional<QString> memoPackageText(const QString& packagePath) {
  // Only a regular file: a named pipe in its place would stop the search for good.
  const BoundedRead rtf =
      readRegularFile(packagePath + QLatin1Char('/') + QLatin1String(kRtfdTextName), kMaxRichTextBytes);
  if (!rtf) return std::nullopt;
  // Attachments are not text: each stands as one placeholder character, whether or not its file
  // is there, so no attachment is looked for.
  rtf::PlainText plain = rtf::readPlainText(rtf.data, [](const QString&) { return true; });
  if (!plain.read.ok) return std::nullopt;
  return std::move(plain.text);
}

struct MemoScanner::Shared {
  std::atomic<quint64> generation{0};
  std::atomic<bool> running{false};
};

MemoScanner::MemoScanner(QObject* owner, BatchHandler onBatch, DoneHandler onDone)
    : owner_(owner),
      onBatch_(std::move(onBatch)),
      onDone_(std::move(onDone)),
      shared_(std::make_shared<Shared>()) {}

MemoScanner::~MemoScanner() {
  stop();
  reapWorkers(true);
}

void MemoScanner::reapWorkers(bool all) {
  for (auto it = workers_.begin(); it != workers_.end();) {
    if (all || it->finished->load()) {
      it->thread.join();
      it = workers_.erase(it);
    } else {
      ++it;
    }
  }
}

void MemoScanner::stop() {
  ++shared_->generation;
  shared_->running = false;
}

bool MemoScanner::isRunning() const { return shared_->running.load(); }

bool MemoScanner::start(const QStringList& scopes, const QStringList& words, MemoSearchKind kind) {
  stop();
  // The old scan sees its generation gone before its next package and ends by itself.
  reapWorkers(false);
  const QStringList folded = foldedWordsOf(words);
  if (folded.isEmpty()) return false;
  const quint64 generation = ++shared_->generation;
  shared_->running = true;
  std::shared_ptr<Shared> shared = shared_;
  QPointer<QObject> owner = owner_;
  BatchHandler onBatch = onBatch_;
  DoneHandler onDone = onDone_;
  auto finished = std::make_shared<std::atomic<bool>>(false);
  std::thread thread([=] {
    const auto current = [shared, generation] { return shared->generation.load() == generation; };
    // Runs on the owner's thread, and only while the scan is still the current one.
    const auto deliver = [&](std::function<void()> call) {
      if (!owner || !current()) return;
      QMetaObject::invokeMethod(
          owner.data(),
          [current, call = std::move(call)] {
            if (current()) call();
          },
          Qt::QueuedConnection);
    };
    MemoSearchBatch batch;
    QElapsedTimer sinceLast;
    bool firstSent = false;
    const auto flush = [&] {
      if (batch.rows.empty()) return;
      deliver([onBatch, b = batch] { onBatch(b); });
      batch.rows.clear();
      sinceLast.restart();
      firstSent = true;
    };
    sinceLast.start();
    scan(
        scopes, folded, kind, [&] { return !current(); },
        [&](const MonthListEntry* row, const QString& name) {
          batch.lastLookedAt = name;
          if (row) batch.rows.push_back(*row);
          if (!firstSent || sinceLast.elapsed() >= kBatchMilliseconds) flush();
        });
    flush();
    deliver([shared, onDone] {
      shared->running = false;
      onDone();
    });
    finished->store(true);
  });
  workers_.push_back({std::move(thread), std::move(finished)});
  return true;
}

MonthList MemoScanner::scanNow(const QStringList& scopes, const QStringList& words, MemoSearchKind kind) {
  MonthList rows;
  const QStringList folded = foldedWordsOf(words);
  if (folded.isEmpty()) return rows;
  scan(
      scopes, folded, kind, [] { return false; },
      [&](const MonthListEntry* row, const QString&) {
        if (row) rows.push_back(*row);
      });
  return rows;
}

}  // namespace pravella

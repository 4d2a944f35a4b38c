#include "editors/edit_journal.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextDocument>
#include <QThread>
#include <algorithm>
#include <memory>
#include <vector>

#include "editors/open_documents.h"
#include "platform/console_log.h"
#include "platform/rich_text_file.h"

namespace pravella {

namespace {

// Every journal of the process (GUI thread only).
std::vector<EditJournal*>& journals() {
  static std::vector<EditJournal*> all;
  return all;
}

bool onGuiThread() {
  return QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread();
}

// A view that shows a single .rtf file keeps it one file; every other view's text is a package.
WriteResult writeText(const QString& path, const QTextDocument& doc) {
  return path.endsWith(QLatin1String(".rtf"), Qt::CaseInsensitive) ? writeRtfFile(path, doc)
                                                                   : writeRtfdFile(path, doc);
}

bool sameKind(const QString& a, const QString& b) {
  const auto rtf = [](const QString& path) {
    return path.endsWith(QLatin1String(".rtf"), Qt::CaseInsensitive);
  };
  return rtf(a) == rtf(b);
}

}  // namespace

EditJournal::EditJournal(QTextDocument* document, const DocumentSlot& slot, QObject* parent,
                         std::function<QString()> unnamed)
    : EditJournal(document,
                  Source{[&slot] { return slot.hooks().edited && slot.hooks().edited(); },
                         [&slot, unnamed = std::move(unnamed)] {
                           return slot.path().isEmpty() && unnamed ? unnamed() : slot.path();
                         }},
                  parent) {
  slot_ = &slot;
}

EditJournal::EditJournal(QTextDocument* document, Source source, QObject* parent)
    : QObject(parent), document_(document), source_(std::move(source)) {
  pause_.setSingleShot(true);
  connect(&pause_, &QTimer::timeout, this, [this] { keepNow(); });
  connect(document_, &QTextDocument::contentsChanged, this, [this] { changed(); });
  // A document that goes before its view's controller leaves nothing to copy.
  connect(document_, &QObject::destroyed, this, [this] {
    finishWrite();
    document_ = nullptr;
    pause_.stop();
  });
  journals().push_back(this);
}

EditJournal::~EditJournal() {
  auto& all = journals();
  all.erase(std::remove(all.begin(), all.end(), this), all.end());
  finishWrite();
}

void EditJournal::changed() {
  changed_ = true;
  // Typing that never pauses is copied all the same, once the first change waited long enough.
  if (!pause_.isActive()) {
    firstChange_.start();
    pause_.start(kPauseMs);
  } else if (firstChange_.elapsed() + kPauseMs < kLongestWaitMs) {
    pause_.start(kPauseMs);
  }
}

void EditJournal::keepNow() {
  pause_.stop();
  if (!changed_ || !document_) return;
  if (!source_.edited()) {
    // Loaded, or taken back by the user: nothing unsaved to keep.
    changed_ = false;
    dropCopy();
    return;
  }
  if (write_.result.valid()) {
    again_ = true;
    return;
  }
  changed_ = false;
  const QString intended = source_.intended();
  const QString reuse = sameKind(copy_, intended) ? copy_ : QString();
  // The clone has no thread: the writer's thread takes it over, and deletes it there. A text
  // too long to clone within a pause of typing goes as its plain text, made a document there.
  std::shared_ptr<QTextDocument> clone;
  QString plain;
  if (document_->characterCount() <= kLongestRichCopy) {
    clone.reset(document_->clone());
    clone->moveToThread(nullptr);
  } else {
    plain = document_->toPlainText();
  }
  write_.coveredCount = coveredCount_;
  write_.intended = intended;
  write_.result = std::async(std::launch::async, [this, clone, plain, intended, reuse]() mutable {
                    if (!clone) {
                      clone = std::make_shared<QTextDocument>();
                      clone->setPlainText(plain);
                    }
                    const Recovery kept = writeRecoveryCopy(
                        intended, reuse, [&clone](const QString& path) { return writeText(path, *clone); });
                    clone.reset();
                    // Queued to this object: dropped should it be gone (it waits for this write).
                    QMetaObject::invokeMethod(
                        this, [this] { finishWrite(); }, Qt::QueuedConnection);
                    return kept;
                  }).share();
}

void EditJournal::finishWrite() {
  if (!write_.result.valid()) return;
  const Recovery kept = write_.result.get();
  const bool stale = write_.coveredCount != coveredCount_;
  const QString intended = write_.intended;
  write_ = {};
  if (stale) {
    // A save covered the text while it was written: the copy is not needed.
    if (kept.ok) removeRecoveryCopy(kept.path);
    if (copy_ == kept.path) copy_.clear();
  } else if (kept.ok) {
    if (!copy_.isEmpty() && copy_ != kept.path) removeRecoveryCopy(copy_);
    copy_ = kept.path;
    failedBefore_ = false;
  } else {
    if (!failedBefore_)
      showErrMessageToConsole(
          QStringLiteral("Pravella: unsaved edits of \"%1\" could not be kept in the recovery "
                         "folder: %2\n")
              .arg(intended, kept.error)
              .toStdString());
    failedBefore_ = true;
    changed_ = true;  // tried again at the next change or run
  }
  if (again_ && onGuiThread()) {
    again_ = false;
    changed_ = true;
    changed();
  }
}

void EditJournal::dropCopy() {
  removeRecoveryCopy(copy_);
  copy_.clear();
}

void EditJournal::covered() {
  ++coveredCount_;
  pause_.stop();
  changed_ = false;
  again_ = false;
  finishWrite();
  dropCopy();
}

QString EditJournal::copy() {
  finishWrite();
  return copy_;
}

void EditJournal::covered(const DocumentSlot& slot) {
  for (EditJournal* journal : journals())
    if (journal->slot_ == &slot) journal->covered();
}

std::function<void()> EditJournal::keepAllNow() {
  if (!onGuiThread()) return [] {};
  std::vector<std::shared_future<Recovery>> writes;
  for (EditJournal* journal : journals()) {
    // A write going on holds an older text: this one waits for it.
    if (journal->write_.result.valid() && journal->changed_) journal->finishWrite();
    journal->keepNow();
    if (journal->write_.result.valid()) writes.push_back(journal->write_.result);
  }
  return [writes = std::move(writes)] {
    for (const auto& write : writes) write.wait();
  };
}

void EditJournal::settleAll() {
  for (EditJournal* journal : journals()) {
    journal->finishWrite();
    if (!journal->copy_.isEmpty() && !journal->source_.edited()) journal->dropCopy();
  }
}

}  // namespace pravella

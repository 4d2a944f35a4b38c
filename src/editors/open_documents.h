#pragma once
// One document, many views: the main memo, the row memo view, the memo sheet, the finder's
// text and the bookmark and launcher memos can all show one file. Each view holds a
// DocumentSlot: it says which file it shows and takes the file's stamp (identity, size and
// times) whenever it reads or writes it. The registry of all slots, keyed by the file's
// canonical path, lets a save tell the other views of that file (they read it again, or, when
// they hold edits of their own, are told it changed elsewhere), and lets a view see that the
// file changed on disk since it read it, before it writes over it.

#include <QString>
#include <QtGlobal>
#include <functional>
#include <vector>

namespace pravella {

// What a file was at one moment. Every save of ours replaces the file (a new inode); an
// editor that rewrites a package's text in place changes the text file inside, which counts.
struct FileStamp {
  bool exists = false;
  quint64 device = 0, inode = 0;
  qint64 size = -1, modifiedNs = 0, changedNs = 0;
  quint64 innerInode = 0;  // the text file inside a package (TXT.rtf)
  qint64 innerSize = -1, innerModifiedNs = 0;

  // The stamp of the file a path leads to (symbolic links followed).
  static FileStamp of(const QString& path);
  bool operator==(const FileStamp&) const = default;
};

// The registry's key of a path: the end of its chain of symbolic links, absolute and
// canonical when it exists, cleaned otherwise.
QString documentKey(const QString& path);

// "name (2).ext" beside `path`: the first "name (n)" that is free, n from 2; a long name is
// shortened so that the whole fits the file system's limit.
QString keepBothPath(const QString& path);

// While one lives, saves ask no one (an auto-save, the saves of a quit or of a signal): a
// file changed on disk is kept and the view's text is saved beside it.
class UnattendedSaves {
 public:
  UnattendedSaves();
  ~UnattendedSaves();
  UnattendedSaves(const UnattendedSaves&) = delete;
  UnattendedSaves& operator=(const UnattendedSaves&) = delete;
  static bool active();
};

class DocumentSlot {
 public:
  struct Hooks {
    // The view holds edits not yet written.
    std::function<bool()> edited;
    // Reads the shown file again; the view has no edits to lose (or gave them up).
    std::function<void()> reload;
    // The file was saved by another view while this one holds edits: the view keeps them and
    // shows that the file changed elsewhere.
    std::function<void()> changedElsewhere;
    // The view's text was saved as another file ("keep both"): the view shows that file from
    // now on. Without it the view reads its own file again (its text is safe in the other).
    std::function<void(const QString& path)> follow;
    // The shown file (or a folder it lies in) moved or got a new name: the view shows it
    // under `path` from now on. Without it, `follow` is told.
    std::function<void(const QString& path)> moved;
    // The shown file (or a folder it lies in) went to the Trash: the view keeps its text as
    // unsaved, under no file, and says so. Without it the view is left as it is.
    std::function<void()> trashed;
  };

  explicit DocumentSlot(Hooks hooks);
  ~DocumentSlot();
  DocumentSlot(const DocumentSlot&) = delete;
  DocumentSlot& operator=(const DocumentSlot&) = delete;

  // The view has just read `path` (empty: it shows no file); the file's stamp is taken now.
  void shown(const QString& path);
  // The view shows no file any more.
  void clear() { shown(QString()); }
  // The view has just written `path`: it shows that file, with its new stamp; every other
  // view of the file reads it again or is told it changed elsewhere.
  void wrote(const QString& path);

  const QString& path() const { return path_; }
  const QString& key() const { return key_; }
  // The view shows `path`'s file.
  bool shows(const QString& path) const;
  // The file is there and is not what the view read or wrote last.
  bool changedOnDisk() const;
  // Another view saved the file while this one held edits (cleared by shown and wrote).
  bool changedElsewhere() const { return changedElsewhere_; }

  const Hooks& hooks() const { return hooks_; }

 private:
  friend class OpenDocuments;
  Hooks hooks_;
  QString path_;
  QString key_;
  FileStamp stamp_;
  bool changedElsewhere_ = false;
};

// Every slot of the process (GUI thread only).
class OpenDocuments {
 public:
  static OpenDocuments& instance();
  // The slots that show `path`'s file.
  std::vector<DocumentSlot*> showing(const QString& path) const;
  // Tells every slot but `saver` that shows `key` that the file was written.
  void written(const DocumentSlot* saver, const QString& key);
  // `oldPath` (a document, or a folder of documents) now lies at `newPath`: every slot that
  // shows it or a document inside it follows. Told after the move.
  void moved(const QString& oldPath, const QString& newPath);
  // `path` (a document, or a folder of documents) went to the Trash. Told after the move.
  void trashed(const QString& path);

 private:
  friend class DocumentSlot;
  std::vector<DocumentSlot*> slots_;
};

}  // namespace pravella

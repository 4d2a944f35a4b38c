#pragma once
// Where a bracketed link of the finder sheet's text leads. A link names a file below the diary
// folder ("2026/03/14/notes", "notes.txt"); a bare name is also looked for in the day of the
// document the sheet shows, and a name without extension as an rtfd memo.

#include <QString>

namespace pravella {

struct FinderLinkTarget {
  enum class Kind {
    WebArchive,  // `path`: the web archive for the web sheet; empty: there is none to show
    Document,    // a diary memo: `path`, of the day year/month/day
    NoDay,       // a memo outside the day folders: nothing happens
    OtherFile,   // `path`: opened by its own application
    Nowhere,     // no such file: the link text is searched in the memos
  };
  Kind kind = Kind::Nowhere;
  QString path;
  int year = 0, month = 0, day = 0;
};

// `finderFolder` is the folder of the document the sheet shows (may be empty).
FinderLinkTarget resolveFinderLink(const QString& link, const QString& finderFolder);

}  // namespace pravella

#pragma once
// A web archive as the web sheet saves and opens it: one MIME multipart/related file (MHTML)
// holding the page and each of its pictures as parts; the page names its pictures by "cid:"
// addresses, which every reader of the format resolves inside the archive.

#include <QByteArray>
#include <QList>
#include <QString>

namespace pravella {

// Percent-encoded, a character takes at most 9 bytes of the 998 a header line may hold.
inline constexpr int kMaxContentIdLength = 100;

struct MhtmlPart {
  QString contentType;  // "image/jpeg", ...; what is no MIME type goes as application/octet-stream
  // The page refers to it as "cid:" + this. Its header is one line that cannot be folded, so
  // an id holds at most kMaxContentIdLength characters (every character fits then).
  QString contentId;
  QByteArray data;
};

// The archive of an HTML page (UTF-8) at `pageLocation`, followed by `parts`. No header line
// passes 998 characters, and none can be ended early: titles and locations that need it go
// in folded encoded words, content ids with characters a header cannot hold percent-encoded.
QByteArray mhtmlArchive(const QString& title, const QString& html, const QString& pageLocation,
                        const QList<MhtmlPart>& parts);

}  // namespace pravella

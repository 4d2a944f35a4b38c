// The web archive writer's headers: nothing a title, a location or a content id holds can end
// a header line early or make one longer than 998 characters.

#include "tools/system/mhtml_archive.h"

#include <gtest/gtest.h>

#include "support/encoded_words.h"

using pravella::mhtmlArchive;
using pravella::MhtmlPart;

namespace {

// The header lines of every part (the archive's own and each part's), in order.
QList<QByteArray> headerLines(const QByteArray& archive) {
  QList<QByteArray> lines;
  bool inHeaders = true;
  for (const QByteArray& line : archive.split('\n')) {
    const QByteArray bare = line.endsWith('\r') ? line.chopped(1) : line;
    if (bare.startsWith("--")) {
      inHeaders = true;
      continue;
    }
    if (bare.isEmpty()) {
      inHeaders = false;
      continue;
    }
    if (inHeaders) lines << bare;
  }
  return lines;
}

// A header's value unfolded, with its encoded words decoded.
QString value(const QList<QByteArray>& lines, const QByteArray& name, int nth = 0) {
  QByteArray unfolded;
  bool taking = false;
  for (const QByteArray& line : lines) {
    if (taking && (line.startsWith(' ') || line.startsWith('\t'))) {
      unfolded += line;
      continue;
    }
    if (taking) break;
    if (line.startsWith(name + ": ") && nth-- == 0) {
      taking = true;
      unfolded = line.mid(name.size() + 2);
    }
  }
  return test_support::decodeEncodedWords(QString::fromLatin1(unfolded));
}

TEST(MhtmlArchive, LineBreaksInLocationsAndIdsAddNoHeader) {
  const QString location = "file:///tmp/a\r\nX-Injected: location\r\n\r\n<html>";
  const QString id = "pic\nX-Injected: id";
  const QByteArray archive =
      mhtmlArchive("Title\nX-Injected: title", "<p>x</p>", location, {MhtmlPart{"image/jpeg", id, "jpeg"}});
  const QList<QByteArray> lines = headerLines(archive);
  for (const QByteArray& line : lines) {
    EXPECT_FALSE(line.startsWith("X-Injected")) << line.constData();
    EXPECT_LE(line.size(), 998);
  }
  EXPECT_EQ(value(lines, "Snapshot-Content-Location"), location);
  EXPECT_EQ(value(lines, "Content-Location"), location);
  EXPECT_EQ(value(lines, "Subject"), "Title\nX-Injected: title");
  EXPECT_EQ(value(lines, "Content-ID"), "<pic%0AX-Injected:%20id>");
  EXPECT_EQ(value(lines, "Content-Location", 1), "cid:pic%0AX-Injected:%20id");
}

TEST(MhtmlArchive, ContentTypesThatAreNoMimeTypesAddNoHeader) {
  const QByteArray archive = mhtmlArchive(
      "T", "<p>x</p>", "file:///tmp/a",
      {MhtmlPart{"image/png\r\nX-Injected: type", "p1@x", "png"}, MhtmlPart{"an <odd> type", "p2@x", "odd"},
       MhtmlPart{"image/jpeg", "p3@x", "j"}, MhtmlPart{"image/png\n", "p4@x", "lf"}});
  const QList<QByteArray> lines = headerLines(archive);
  for (const QByteArray& line : lines) EXPECT_FALSE(line.startsWith("X-Injected")) << line.constData();
  EXPECT_EQ(value(lines, "Content-Type", 2), "application/octet-stream");
  EXPECT_EQ(value(lines, "Content-Type", 3), "application/octet-stream");
  EXPECT_EQ(value(lines, "Content-Type", 4), "image/jpeg");
  EXPECT_EQ(value(lines, "Content-Type", 5), "application/octet-stream");
  EXPECT_FALSE(archive.contains("image/png\n"));
}

TEST(MhtmlArchive, LongTitlesAndLocationsAreFolded) {
  const QString title = QString("Title ").repeated(300);
  const QString location = "https://example.org/" + QString(2000, 'p');
  const QByteArray archive =
      mhtmlArchive(title, "<p>x</p>", location, {MhtmlPart{"image/jpeg", "p1@x", "jpeg"}});
  const QList<QByteArray> lines = headerLines(archive);
  for (const QByteArray& line : lines) EXPECT_LE(line.size(), 78) << line.left(40).constData();
  EXPECT_EQ(value(lines, "Subject"), title);
  EXPECT_EQ(value(lines, "Snapshot-Content-Location"), location);
  EXPECT_EQ(value(lines, "Content-Location"), location);
  // Plain ids and locations stay as they were written.
  EXPECT_EQ(value(lines, "Content-ID"), "<p1@x>");
  EXPECT_EQ(value(lines, "Content-Location", 1), "cid:p1@x");
}

}  // namespace

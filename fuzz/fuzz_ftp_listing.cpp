// The FTP listing parser on any output of the ftp program: the input is the output of the
// listing run, then (after a part separator) the output of the names run. It goes the way a
// listing goes (output text, listing lines, entries, hidden ones left out, the current
// directory, joined paths), and what comes out keeps the parser's promises: an entry is one
// whole line (less the CR of a CR LF) whose name is its end after one blank, its own leading
// blanks kept (a link's up to its arrow), and
// a joined path has one "/" between its halves.

#include <cstdint>

#include "fuzz_support.h"
#include "net/ftp/ftp_listing.h"

namespace {

using pravella::fuzz::fail;
namespace ftp = pravella::ftp;

void checkEntry(const ftp::Entry& e) {
  if (e.name.isEmpty()) fail("an entry without a name");
  if (e.line.contains(u'\n')) fail("an entry is not one line");
  if (e.name.trimmed().isEmpty()) fail("a name of blanks only");
  const bool link =
      e.line.startsWith(u'l') && e.line.contains(QStringLiteral(" ") + e.name + QStringLiteral(" -> "));
  if (!link && !(e.line.endsWith(QStringLiteral(" ") + e.name)))
    fail("a name is not the end of its line after one blank");
}

void checkJoin(const QString& directory, const QString& name) {
  const QString joined = ftp::joinRemote(directory, name);
  QString tail = name;
  while (tail.startsWith(u'/')) tail.remove(0, 1);
  while (tail.endsWith(u'/')) tail.chop(1);
  if (tail.isEmpty()) return;
  if (!joined.endsWith(tail)) fail("a joined path does not end in the name");
  const QString head = joined.chopped(tail.size());
  if (!head.isEmpty() && (!head.endsWith(u'/') || (head.size() > 1 && head.endsWith(QStringLiteral("//")))))
    fail("a joined path has no single / before the name");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  pravella::fuzz::prepare();
  const QList<QByteArray> parts = pravella::fuzz::splitParts(pravella::fuzz::bytesOf(data, size));
  const QString listed = ftp::resultText(parts.value(0));
  const QString named = ftp::resultText(parts.value(1));
  if (listed.contains(QChar(0)) || named.contains(QChar(0))) fail("output text holds a NUL");
  ftp::outputReportsFailure(listed);
  const QStringList lines = ftp::listingLines(listed);
  const QVector<ftp::Entry> entries = ftp::parseListing(lines.join(u'\n') + u'\n');
  if (entries.size() > lines.size()) fail("more entries than lines");
  for (const ftp::Entry& e : entries) checkEntry(e);
  const QVector<ftp::Entry> shown = ftp::withoutHidden(entries);
  for (const ftp::Entry& e : shown)
    if (e.name.startsWith(u'.') && e.name != QLatin1String("..")) fail("a hidden entry is shown");
  const QString directory = ftp::currentDirectory(named).value_or(QStringLiteral("~/"));
  for (const ftp::Entry& e : shown) checkJoin(directory, e.name);
  return 0;
}

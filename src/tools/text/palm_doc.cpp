#include "tools/text/palm_doc.h"

#include <QFileInfo>
#include <QStringList>

#include "platform/text_encoding.h"

namespace pravella::palm {

namespace {

constexpr int kRecordSize = 4096;

void put16(QByteArray& out, quint32 v) {
  out += static_cast<char>((v >> 8) & 0xFF);
  out += static_cast<char>(v & 0xFF);
}
void put32(QByteArray& out, quint32 v) {
  put16(out, v >> 16);
  put16(out, v & 0xFFFF);
}

// Cut to at most `limit` bytes without splitting a two-byte Shift-JIS character.
QByteArray cutShiftJis(const QByteArray& bytes, int limit) {
  int end = 0;
  while (end < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[end]);
    const int width = ((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC)) ? 2 : 1;
    if (end + width > limit) break;
    end += width;
  }
  return bytes.left(end);
}

}  // namespace

QString indexedText(const QString& text) {
  static const QString kMarks = QString::fromUtf8("■□◆◇●○◎▲△▼▽※");
  const QStringList lines = text.split(u'\n');
  QList<int> headings;
  QStringList headingTexts;
  for (int i = 0; i < lines.size() && headings.size() <= 500; ++i) {
    const QString& line = lines.at(i);
    // Each mark a line begins with records it; a line begins with one mark only.
    if (!line.isEmpty() && kMarks.contains(line.front())) {
      headings << i;
      headingTexts << line;
    }
  }
  const int h = static_cast<int>(headings.size());
  QString out = QStringLiteral("#!Medoc index %1\n").arg(h);
  for (int k = 0; k < h; ++k) out += QStringLiteral("%1:").arg(h + headings.at(k) + 2) + headingTexts.at(k) + u'\n';
  return out + text;
}

QByteArray textBytes(const QString& text) {
  QByteArray bytes = encoding::encodeLossy(text, encoding::kShiftJIS);
  bytes.replace('\r', '\n');
  const qsizetype nul = bytes.indexOf('\0');
  if (nul >= 0) bytes.truncate(nul);
  return bytes;
}

QByteArray palmDocFile(const QByteArray& databaseName, const QByteArray& text) {
  const auto length = static_cast<quint32>(text.size());
  const quint32 n = (length + kRecordSize - 1) / kRecordSize;
  QByteArray out;
  out.reserve(static_cast<qsizetype>(104 + 8 * n + length));
  QByteArray name = cutShiftJis(databaseName, 31);
  name.resize(32, '\0');
  out += name;
  put16(out, 0);  // attributes
  put16(out, 0);  // version
  out += QByteArray::fromHex("B7B86B21B7B86B21");  // creation and modification dates
  put32(out, 0);  // last backup
  put32(out, 0);  // modification number
  put32(out, 0);  // application info
  put32(out, 0);  // sort info
  out += "TEXtREAd";
  put32(out, 0);  // unique ID seed
  put32(out, 0);  // next record list
  put16(out, n + 1);
  for (quint32 k = 0; k <= n; ++k) {
    put32(out, k == 0 ? 88 + 8 * n : 104 + 8 * n + kRecordSize * (k - 1));
    const quint32 id = 0x6F8000 + k;
    out += static_cast<char>(0x43);
    out += static_cast<char>((id >> 16) & 0xFF);
    put16(out, id & 0xFFFF);
  }
  put16(out, 0);  // gap
  put16(out, 1);  // no compression
  put16(out, 0);
  put32(out, length);
  put16(out, n);
  put16(out, kRecordSize);
  put32(out, 0);  // current position
  out += text;
  return out;
}

QByteArray shiftJisName(const QString& name) {
  bool ok = false;
  const QByteArray bytes = encoding::encode(name, encoding::kShiftJIS, &ok);
  return ok ? bytes : QByteArray();
}

QString safeFileName(const QString& name) {
  QString safe = name;
  safe.replace(u'/', u'_').replace(QChar(0), u'_');
  if (safe.isEmpty() || safe == QLatin1String(".") || safe == QLatin1String("..")) return {};
  return safe;
}

QString scheduleText(const QString& document, const QDate& day) {
  const QString first = document.section(u'\n', 0, 0);
  return QStringLiteral("[start]\r[description]") + first + QStringLiteral("\r[date]%1-%2-%3\r").arg(day.year()).arg(day.month()).arg(day.day()) +
         QStringLiteral("[comment]") + document + u'\r';
}

QString firstFreeNumberedName(const QString& folder, const QString& prefix) {
  for (int i = 0; i < 1000; ++i) {
    const QString name = QStringLiteral("%1%2.txt").arg(prefix).arg(i, 3, 10, QChar(u'0'));
    if (!QFileInfo::exists(folder + u'/' + name)) return name;
  }
  return {};
}

}  // namespace pravella::palm

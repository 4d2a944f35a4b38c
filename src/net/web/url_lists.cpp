#include "net/web/url_lists.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include "platform/atomic_file.h"
#include "platform/paths.h"
#include "platform/property_list.h"
#include "platform/text_encoding.h"

namespace pravella::web {

namespace {

const char* const kFiles[3] = {"url1.dat", "url2.dat", "url3.dat"};

QStringList readList(const QString& path) { return plist::readStringArray(path).value_or(QStringList()); }

QStringList fitted(QStringList list, qsizetype rows) {
  list.resize(rows);
  return list;
}

}  // namespace

bool UrlTable::holds(const QString& name, const QString& period, const QString& url) const {
  for (int i = 0; i < rows(); ++i)
    if (names.at(i) == name && periods.at(i) == period && urls.at(i) == url) return true;
  return false;
}

UrlTable readUrlTable(const QString& folder) {
  UrlTable t;
  t.names = readList(folder + '/' + kFiles[0]);
  t.periods = fitted(readList(folder + '/' + kFiles[1]), t.names.size());
  t.urls = fitted(readList(folder + '/' + kFiles[2]), t.names.size());
  return t;
}

UrlTable loadUrlTable() {
  const QString prefs = paths::preferences();
  if (QFileInfo::exists(prefs + '/' + kFiles[0])) return readUrlTable(prefs);
  return readUrlTable(paths::resources());
}

bool saveUrlTable(const UrlTable& table) {
  const QString prefs = paths::preferences();
  QDir().mkpath(prefs);
  const QStringList* lists[3] = {&table.names, &table.periods, &table.urls};
  bool ok = true;
  for (int i = 0; i < 3; ++i) ok = plist::writeStringArray(prefs + '/' + kFiles[i], *lists[i]).ok && ok;
  return ok;
}

QStringList optionWords(const QString& field) { return field.split(QLatin1Char(' '), Qt::SkipEmptyParts); }

bool isDownloadAddress(const QString& url) {
  for (const char* scheme : {"http://", "https://", "ftp://", "ftps://"})
    if (url.startsWith(QLatin1String(scheme), Qt::CaseInsensitive))
      return url.size() > qsizetype(qstrlen(scheme));
  return false;
}

QStringList addressArguments(QStringList options, const QString& url) {
  options << QStringLiteral("--") << url;
  return options;
}

QStringList curlLines(const QString& text) {
  QStringList lines;
  for (const QString& line : text.split(QLatin1Char('\n')))
    if (line.startsWith(QLatin1String("http")) || line.startsWith(QLatin1String("ftp"))) lines << line;
  return lines;
}

QString pictdFolderName(const QString& typed) {
  if (typed.contains(QLatin1Char('/')) || typed.contains(QChar(0)) || typed == QLatin1String(".") ||
      typed == QLatin1String(".."))
    return QString();
  const qsizetype dot = typed.lastIndexOf(QLatin1Char('.'));
  const QString base = dot < 0 ? typed : typed.left(dot);
  if (base.isEmpty() || base == QLatin1String(".") || base == QLatin1String("..")) return QString();
  return base + QLatin1String(".pictd");
}

QString todayFolder() {
  const QDate today = QDate::currentDate();
  return paths::dayFolder(today.year(), today.month(), today.day());
}

QString downloadFolder() { return todayFolder() + '/' + kDownloadFolderName; }

QString wgetProgram() {
  const QString local = QStringLiteral("/usr/local/bin/wget");
  return QFileInfo(local).isExecutable() ? local : QStringLiteral("wget");
}

QStringList pictureFormArguments(const QString& url) {
  QStringList args{"-r", "-A", ".gif,.JPG,.jpg", "-nd"};
  if (QFileInfo::exists(paths::preferences() + QLatin1String("/xxx.txt")))
    args << "-U" << "Mozilla/4.03 [en] (X11; I; SunOS 5.5.1 sun4u)";
  return addressArguments(args, url);
}

QStringList tableDownloadArguments(const QString& url) {
  return addressArguments({QStringLiteral("-N")}, url);
}

QString downloadedFile(const QString& folder, const QString& url) {
  const QString path = QUrl(url).path();
  const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
  return name.isEmpty() ? QString() : folder + '/' + name;
}

QString shiftJisCharactersOnly(const QString& text) {
  QString kept;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const qsizetype n = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
    const QString one = text.mid(i, n);
    bool ok = false;
    encoding::encode(one, encoding::kShiftJIS, &ok);
    if (ok) kept += one;
    i += n - 1;
  }
  return kept;
}

QString readWebBrowser() {
  QFile file(paths::preferences() + QLatin1String("/webBrowser.string"));
  if (!file.open(QIODevice::ReadOnly)) return QString();
  return QString::fromUtf8(file.readAll()).trimmed();
}

bool writeWebBrowser(const QString& name) {
  QDir().mkpath(paths::preferences());
  return writeFileAtomically(paths::preferences() + QLatin1String("/webBrowser.string"), name.toUtf8()).ok;
}

}  // namespace pravella::web

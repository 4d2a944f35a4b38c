#include "net/ftp/ftp_host_list.h"

#include <QDir>
#include <QFileInfo>

#include "platform/property_list.h"

namespace pravella::ftp {

namespace {
constexpr char kKey[] = "PravellaHost314159265";  // twelve letters, nine digits
constexpr int kKeyLength = 21;
static_assert(sizeof(kKey) == kKeyLength + 1);
}  // namespace

QByteArray scrambleBytes(const QByteArray& bytes) {
  QByteArray out = bytes;
  for (int i = 0; i < out.size() && i < kKeyLength; ++i) out[i] = static_cast<char>(out[i] ^ kKey[i]);
  return out;
}

QString scramblePassword(const QString& password) {
  return QStringLiteral("hex:") + QString::fromLatin1(scrambleBytes(password.toUtf8()).toHex());
}

QString unscramblePassword(const QString& stored) {
  if (stored.startsWith(QLatin1String("hex:"))) {
    const QByteArray hex = stored.mid(4).toLatin1();
    const QByteArray raw = QByteArray::fromHex(hex);
    if (raw.toHex() == hex.toLower()) return QString::fromUtf8(scrambleBytes(raw));
  }
  return QString::fromUtf8(scrambleBytes(stored.toUtf8()));
}

HostList::HostList(QString path) : path_(std::move(path)) {}

void HostList::reload() { records_ = plist::readStringArray(path_).value_or(QStringList{}); }

QString HostList::hostText(int index) const {
  if (index < 0 || index >= records_.size()) return {};
  return records_[index].split(QLatin1Char('\t')).value(0);
}

bool HostList::remember(const QString& hostText, const QString& user, const QString& password,
                        const QString& directory) {
  for (const QString& r : records_) {
    const QStringList f = r.split(QLatin1Char('\t'));
    if (f.value(0) == hostText && f.value(1) == user) return false;
  }
  records_ << QStringList{hostText, user, scramblePassword(password), directory}.join(QLatin1Char('\t'));
  save();
  return true;
}

std::optional<Pick> HostList::pick(int index) const {
  if (index < 0 || index >= records_.size()) return std::nullopt;
  const QStringList f = records_[index].split(QLatin1Char('\t'));
  Pick p;
  p.user = f.value(1);
  p.password = f.size() >= 3 ? unscramblePassword(f[2]) : QString();
  p.directory = f.size() >= 4 ? f[3] : QStringLiteral("~/");
  return p;
}

bool HostList::remove(const QString& hostText, const QString& user) {
  for (int i = 0; i < records_.size(); ++i) {
    const QStringList f = records_[i].split(QLatin1Char('\t'));
    if (f.value(0) == hostText && f.value(1) == user) {
      records_.removeAt(i);
      save();
      return true;
    }
  }
  return false;
}

void HostList::save() const {
  QDir().mkpath(QFileInfo(path_).path());
  plist::writeStringArray(path_, records_);
}

}  // namespace pravella::ftp

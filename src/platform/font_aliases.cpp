#include "platform/font_aliases.h"

#include <QFont>
#include <QStringList>

#include <mutex>
#include <utility>

namespace pravella::fonts {
namespace {

constexpr const char* kGothic = "Noto Sans CJK JP";
constexpr const char* kMincho = "Noto Serif CJK JP";
constexpr const char* kMono = "DejaVu Sans Mono";
constexpr const char* kSans = "DejaVu Sans";
constexpr const char* kSerif = "DejaVu Serif";

// Keys are lower case. A PostScript name with a weight suffix ("HiraKakuStd-W8",
// "HiraMinPro-W3") is looked up whole first, then by its part before the "-".
const std::pair<const char*, const char*> kTable[] = {
    // Japanese faces.
    {"osaka", kGothic},
    {"osaka-mono", "Noto Sans Mono CJK JP"},
    {"osaka\xe2\x88\x92\xe7\xad\x89\xe5\xb9\x85", "Noto Sans Mono CJK JP"},  // "Osaka−等幅"
    {"hirakakustd", kGothic},
    {"hirakakupro", kGothic},
    {"hirakakupron", kGothic},
    {"hirakakuprn", kGothic},
    {"hiramarupro", kGothic},
    {"hiramaruprn", kGothic},
    {"hiramarupron", kGothic},
    {"hiraginosans", kGothic},
    {"hiragino kaku gothic pro", kGothic},
    {"hiragino kaku gothic pron", kGothic},
    {"hiragino kaku gothic std", kGothic},
    {"hiragino maru gothic pro", kGothic},
    {"hiragino maru gothic pron", kGothic},
    {"hiraminpro", kMincho},
    {"hiraminpron", kMincho},
    {"hiragino mincho pro", kMincho},
    {"hiragino mincho pron", kMincho},
    {"msgothic", kGothic},
    {"ms gothic", kGothic},
    {"ms pgothic", kGothic},
    {"msmincho", kMincho},
    {"ms mincho", kMincho},
    {"ms pmincho", kMincho},
    {"\xef\xbc\xad\xef\xbc\xb3 \xe3\x82\xb4\xe3\x82\xb7\xe3\x83\x83\xe3\x82\xaf",
     kGothic},                                                       // "ＭＳ ゴシック"
    {"\xef\xbc\xad\xef\xbc\xb3 \xe6\x98\x8e\xe6\x9c\x9d", kMincho},  // "ＭＳ 明朝"
    {"chicago", kSans},
    // Western faces of the old system.
    {"geneva", kSans},
    {"helvetica", kSans},
    {"helveticaneue", kSans},
    {"helvetica neue", kSans},
    {"lucidagrande", kSans},
    {"lucida grande", kSans},
    {"arial", kSans},
    {"arialmt", kSans},
    {"verdana", kSans},
    {"monaco", kMono},
    {"courier", kMono},
    {"courier new", kMono},
    {"couriernewpsmt", kMono},
    {"menlo", kMono},
    {"andalemono", kMono},
    {"andale mono", kMono},
    {"times", kSerif},
    {"times new roman", kSerif},
    {"times-roman", kSerif},
    {"timesnewromanpsmt", kSerif},
    {"new york", kSerif},
    {"palatino", kSerif},
    {"georgia", kSerif},
    {"symbol", kSans},
};

const char* lookUp(const QString& key) {
  const QByteArray k = key.toUtf8();
  for (const auto& [from, to] : kTable)
    if (k == from) return to;
  return nullptr;
}

}  // namespace

QString familyFor(const QString& name) {
  const QString key = name.trimmed().toLower();
  if (const char* to = lookUp(key)) return QString::fromUtf8(to);
  const qsizetype dash = key.indexOf(u'-');
  if (dash > 0)
    if (const char* to = lookUp(key.left(dash))) return QString::fromUtf8(to);
  return name;
}

void installFontAliases() {
  static std::once_flag once;
  std::call_once(once, [] {
    // QFont matches substitution keys without regard to case, so the lower-case keys serve
    // "Osaka" and "OSAKA" alike. Names with a weight suffix are added as they appear in
    // documents.
    for (const auto& [from, to] : kTable)
      QFont::insertSubstitution(QString::fromUtf8(from), QString::fromUtf8(to));
    for (const char* ps : {"HiraKakuStd-W8", "HiraKakuPro-W3", "HiraKakuPro-W6", "HiraKakuProN-W3",
                           "HiraKakuProN-W6", "HiraMinPro-W3", "HiraMinPro-W6", "HiraMinProN-W3",
                           "HiraMinProN-W6", "HiraMaruPro-W4", "HiraMaruProN-W4", "HiraKakuStdN-W8"})
      QFont::insertSubstitution(QString::fromLatin1(ps), familyFor(QString::fromLatin1(ps)));
  });
}

}  // namespace pravella::fonts

#include "diary/func_alias_file.h"

#include <mutex>

#include "diary/rich_text_file.h"
#include "diary/startup_files.h"
#include "platform/paths.h"

namespace pravella {
namespace {

// Stands in for the interpreter's alias table until the parser's table is in place; the
// language reads it through installedFuncAliases().
std::mutex tableMutex;
std::vector<FuncAlias> table;

}  // namespace

std::vector<FuncAlias> parseFuncAliasText(const QString& text) {
  std::vector<FuncAlias> aliases;
  const QStringList lines = text.split(QLatin1Char('\n'));
  for (const QString& line : lines) {
    if (static_cast<int>(aliases.size()) >= kFuncAliasEntries) break;
    const QStringList fields = line.split(QLatin1Char('\t'));
    if (fields.size() < 2) continue;
    if (fields[0].isEmpty() || fields[0].startsWith(QLatin1Char('#'))) continue;
    const QByteArray alias = fields[0].toUtf8();
    const QByteArray target = fields[1].toUtf8();
    // Both names must fit a 256-byte name with its terminating zero.
    if (alias.isEmpty() || alias.size() > 255 || target.isEmpty() || target.size() > 255) continue;
    aliases.push_back({alias.toStdString(), target.toStdString()});
  }
  return aliases;
}

void installFuncAliases(const std::vector<FuncAlias>& aliases) {
  std::lock_guard lock(tableMutex);
  table = aliases;
}

std::vector<FuncAlias> installedFuncAliases() {
  std::lock_guard lock(tableMutex);
  return table;
}

bool loadFuncAlias() {
  if (!copyMissingResource(QStringLiteral("FuncAlias.rtf"), paths::vkPreferences())) return false;
  const std::optional<QString> text =
      readRichTextFileAsPlainText(paths::vkPreferences() + QStringLiteral("/FuncAlias.rtf"));
  if (!text) return false;
  installFuncAliases(parseFuncAliasText(*text));
  return true;
}

}  // namespace pravella

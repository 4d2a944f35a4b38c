#include "diary/func_alias_file.h"

#include "diary/startup_files.h"
#include "lang/values.h"
#include "platform/console_log.h"
#include "platform/paths.h"
#include "platform/rich_text_file.h"

namespace pravella {

std::vector<FuncAlias> parseFuncAliasText(const QString& text) {
  std::vector<FuncAlias> aliases;
  const QStringList lines = text.split(QLatin1Char('\n'));
  for (const QString& line : lines) {
    if (static_cast<int>(aliases.size()) >= kAliasEntries) break;
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

// The table is filled at start-up before any program runs, or on "cal_loadFuncAlias" while the
// requesting program waits for the answer, so no parse reads it meanwhile.
void installFuncAliases(const std::vector<FuncAlias>& aliases) {
  if (fncAliasTable.size() != static_cast<size_t>(kAliasEntries)) initAliasTable();
  for (AliasEntry& entry : fncAliasTable) {
    entry.alias.clear();
    entry.target.clear();
  }
  for (size_t i = 0; i < aliases.size() && i < fncAliasTable.size(); ++i) {
    fncAliasTable[i].alias = aliases[i].alias;
    fncAliasTable[i].target = aliases[i].target;
  }
}

std::vector<FuncAlias> installedFuncAliases() {
  std::vector<FuncAlias> installed;
  for (const AliasEntry& entry : fncAliasTable) {
    if (entry.alias.empty()) break;  // an empty alias ends the table
    installed.push_back({entry.alias, entry.target});
  }
  return installed;
}

bool loadFuncAlias() {
  if (!copyMissingResource(QStringLiteral("FuncAlias.rtf"), paths::vkPreferences())) return false;
  const QString path = paths::vkPreferences() + QStringLiteral("/FuncAlias.rtf");
  bool ok = false;
  const QString text = plainTextOfRichTextFile(path, &ok);
  if (!ok) {
    showErrMessageToConsole(QStringLiteral("Can not read %1 as rich text: the aliases are not changed.\n")
                                .arg(path)
                                .toStdString());
    return false;
  }
  installFuncAliases(parseFuncAliasText(text));
  return true;
}

}  // namespace pravella

#pragma once
// The user's alias file, vkPreferences/FuncAlias.rtf: one alias a line, "alias<TAB>target",
// which the parser puts in place of a function name written before "(".

#include <QString>
#include <string>
#include <vector>

namespace pravella {

struct FuncAlias {
  std::string alias;
  std::string target;
};

// The aliases of the file's plain text, in file order: lines split at line feeds, fields at
// TABs; lines with fewer than two fields, an empty first field or one beginning with "#" are
// skipped, as are lines whose alias or target is not 1 to 255 bytes of UTF-8; fields after the
// second are ignored. The table has room for 500 entries; valid lines after the 500th are
// ignored.
std::vector<FuncAlias> parseFuncAliasText(const QString& text);

// Replaces the contents of the interpreter's alias table `fncAliasTable` by `aliases`.
void installFuncAliases(const std::vector<FuncAlias>& aliases);
// The aliases the table holds, up to its first empty entry.
std::vector<FuncAlias> installedFuncAliases();

// loadFuncAlias: copies the shipped FuncAlias.rtf when the user has none, reads the file and
// installs its aliases. When the file cannot be had or read, the table is left as it was:
// false.
bool loadFuncAlias();

}  // namespace pravella

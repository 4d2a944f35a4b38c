#pragma once
// The file services of the main-document commands: text files in a Japanese encoding read by
// a name relative to the working folder, and the listing of a folder. Both refuse what a
// program could not hold as one string (TNumber x 8 bytes with its terminator), and the text
// loaders read strictly: bytes that are invalid in the encoding fail the command instead of
// turning into replacement characters.

#include <QString>
#include <optional>
#include <string>

namespace pravella {

// The path a program names: a name beginning with "/" as it stands, any other in the working
// folder current_fullPath. Empty when the joined name is too long for a path.
QString programFilePath(const QString& name);

struct LoadedText {
  bool ok = false;
  QString text;
  QString why;  // for the console when !ok
};

// Reads the whole file `name` (see programFilePath) and decodes it with the iconv encoding.
LoadedText loadEncodedTextFile(const QString& name, const char* encoding);

// The entries of `folder` in name order, hidden ones included, without recursion: each as
// folder + "/" + name + "\n", in UTF-8. A folder that cannot be listed gives the empty text;
// nullopt when the list would not fit one string.
std::optional<std::string> folderListText(const QString& folder);

// The most bytes one string of a program holds, without its terminator.
std::size_t longestProgramString();

}  // namespace pravella

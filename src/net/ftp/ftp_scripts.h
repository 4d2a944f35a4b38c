#pragma once
// The command scripts fed to the ftp program (tnftp) on its standard input: one TAB between
// the words of a line, one line feed after each. The fields are checked before any script is
// built, so that no field can carry a line of its own into the script; every word is escaped
// for tnftp's own line parser, globbing is off, and every local file name is given explicitly
// as "./name", so that no name can become a shell command ("|..."), standard input or output
// ("-"), or a pattern that matches other local files.

#include <QString>

namespace pravella::ftp {

struct Connection {
  QString host;  // the whole host text; only its first word is opened
  QString user;
  QString password;
  QString directory;  // remote
  QString localFolder;
};

// The first word of the host text (split at single blanks).
QString hostWord(const QString& hostText);

// The message of the first empty field (host, user, password, directory, in that order), or
// "Invalid character in a field !\n" when a field holds CR, LF, TAB or NUL; empty when fine.
QString checkFields(const Connection& c);

// A word as tnftp reads it back: a backslash before each blank, TAB, double quote and
// backslash. (Inside double quotes tnftp keeps backslashes, so quotes could not carry a quote.)
QString scriptWord(const QString& word);

// A file name in the local folder as tnftp must be given it: "./" + name, so that a leading
// "|" or a lone "-" stays a file name.
QString localName(const QString& name);

// The local folder as an absolute path: "~" and "~/..." from the home folder, and a relative
// folder below the home folder (tnftp expands nothing with globbing off, and runs in a private
// folder that is removed when the operation ends).
QString localFolderPath(const QString& typed);

// The head ("open", "user", "binary", "glob off"); name:port opens that port.
QString scriptHead(const Connection& c);

// The long listing: "nlist -al", or "ls -la" for the servers that refuse options to NLST.
enum class ListCommand { Nlist, Ls };
QString listScript(const Connection& c, ListCommand command = ListCommand::Nlist);
// The names and the current directory; `options` false sends a bare "nlist" (servers that
// refuse "nlist -al" refuse "nlist -a" as well).
QString namesScript(const Connection& c, bool options = true);
// Fetches the remote `name` into `localFile` of the local folder; `resume` sends "reget",
// which appends to what `localFile` holds.
QString getScript(const Connection& c, const QString& name, const QString& localFile, bool resume);
QString putScript(const Connection& c, const QString& localPath);
QString deleteScript(const Connection& c, const QString& name);

// The script as the monitor shows it: the password replaced by "********".
QString maskedScript(const QString& script, const Connection& c);

// True when the entry name is safe to hand to get or delete: not empty, "." or "..", no "/"
// and no control character. Everything else (blanks, quotes, "|", glob characters) is escaped.
bool isTransferableName(const QString& name);
// Why a file name cannot go to get, put or delete, its line feed included; empty when it can.
// The script is one command a line, so a name with a control character could not reach tnftp
// whole.
QString nameRefusal(const QString& name);
// True when the text holds CR, LF, TAB, NUL or another control character.
bool hasControlCharacter(const QString& text);

}  // namespace pravella::ftp

#pragma once
// The command scripts fed to the ftp program (tnftp) on its standard input: one TAB between
// the words of a line, one line feed after each. The fields are checked before any script is
// built, so that no field can carry a line of its own into the script.

#include <QString>

namespace pravella::ftp {

struct Connection {
  QString host;       // the whole host text; only its first word is opened
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

// A word as tnftp reads it: in double quotes when it holds a blank (tnftp splits at blanks).
QString scriptWord(const QString& word);

// The head ("open", "user", "binary"); name:port opens that port.
QString scriptHead(const Connection& c);

QString listScript(const Connection& c);
QString namesScript(const Connection& c);
// "reget" resumes when the file already exists in the local folder.
QString getScript(const Connection& c, const QString& name, bool localExists);
QString putScript(const Connection& c, const QString& localPath);
QString deleteScript(const Connection& c, const QString& name);

// The script as the monitor shows it: the password replaced by "********".
QString maskedScript(const QString& script, const Connection& c);

// True when the entry name is safe to hand to get or delete: not "." or "..", no "/", '"' or
// control character, not starting with "|" (a pipe to a shell for tnftp's local name).
bool isTransferableName(const QString& name);

}  // namespace pravella::ftp

#pragma once
// Runs a command line that a program gives as text, without a shell: the text is split into
// words the way a shell splits a simple command (blanks separate words, quotes group them),
// the first word names the program and the rest are its arguments. Pipes, redirections and
// variables are not interpreted, so no text can smuggle a second command in. The child's
// output goes to our standard output and error, as a command interpreter's would.

#include <QString>
#include <QStringList>
#include <functional>

namespace pravella {

// Splits as a POSIX shell splits words: blanks separate them, '...' keeps everything literally,
// "..." keeps everything but a backslash before " \\ $ or `, and a backslash elsewhere keeps
// the next character. Returns false for an unterminated quote or a trailing backslash.
bool splitCommandLine(const QString& text, QStringList* words);

struct CommandLineResult {
  bool started = false;   // false: empty text, or the program could not be started
  bool stopped = false;   // the caller asked to stop and the child was killed
  int exitCode = -1;
  QString error;          // why it did not start
};

// Runs in `workingFolder` (the current folder when empty) and waits until the child ends;
// `shouldStop`, when given, is asked about ten times a second and ends the child when it
// answers true.
CommandLineResult runCommandLine(const QString& text, const QString& workingFolder = {},
                                 const std::function<bool()>& shouldStop = {});

}  // namespace pravella

#include "net/ftp/ftp_scripts.h"

#include <QDir>
#include <QFileInfo>

namespace pravella::ftp {

QString hostWord(const QString& hostText) { return hostText.split(QLatin1Char(' ')).value(0); }

static bool hasBadCharacter(const QString& s) {
  for (QChar ch : s) {
    if (ch == QLatin1Char('\r') || ch == QLatin1Char('\n') || ch == QLatin1Char('\t') || ch.unicode() == 0)
      return true;
  }
  return false;
}

QString checkFields(const Connection& c) {
  if (c.host.isEmpty()) return QStringLiteral("Need Domain Name !\n");
  if (c.user.isEmpty()) return QStringLiteral("Need User Account !\n");
  if (c.password.isEmpty()) return QStringLiteral("Enter Passwd !\n");
  if (c.directory.isEmpty()) return QStringLiteral("Need Directory Path !\n");
  for (const QString* f : {&c.host, &c.user, &c.password, &c.directory, &c.localFolder}) {
    if (hasBadCharacter(*f)) return QStringLiteral("Invalid character in a field !\n");
  }
  return {};
}

QString scriptWord(const QString& word) {
  QString escaped;
  escaped.reserve(word.size());
  for (QChar ch : word) {
    if (ch == QLatin1Char(' ') || ch == QLatin1Char('\t') || ch == QLatin1Char('"') ||
        ch == QLatin1Char('\\'))
      escaped += QLatin1Char('\\');
    escaped += ch;
  }
  return escaped;
}

QString localName(const QString& name) { return QStringLiteral("./") + name; }

QString localFolderPath(const QString& typed) {
  const QString home = QDir::homePath();
  if (typed == QLatin1String("~")) return home;
  if (typed.startsWith(QLatin1String("~/"))) return home + typed.mid(1);
  if (QFileInfo(typed).isRelative()) return QDir(home).filePath(typed);
  return typed;
}

static bool allDigits(const QString& s) {
  if (s.isEmpty()) return false;
  for (QChar ch : s) {
    if (ch < QLatin1Char('0') || ch > QLatin1Char('9')) return false;
  }
  return true;
}

QString scriptHead(const Connection& c) {
  const QString word = hostWord(c.host);
  QString open = QStringLiteral("open\t") + scriptWord(word) + QLatin1Char('\n');
  const qsizetype colon = word.lastIndexOf(QLatin1Char(':'));
  if (colon > 0 && allDigits(word.mid(colon + 1)) && !word.left(colon).contains(QLatin1Char(':'))) {
    open = QStringLiteral("open\t") + scriptWord(word.left(colon)) + QLatin1Char('\t') + word.mid(colon + 1) +
           QLatin1Char('\n');
  }
  return open + QStringLiteral("user\t") + scriptWord(c.user) + QLatin1Char('\t') + scriptWord(c.password) +
         QStringLiteral("\nbinary\nglob\toff\n");
}

static QString line(const char* command, const QString& argument) {
  return QLatin1String(command) + QLatin1Char('\t') + scriptWord(argument) + QLatin1Char('\n');
}

static QString line(const char* command, const QString& first, const QString& second) {
  return QLatin1String(command) + QLatin1Char('\t') + scriptWord(first) + QLatin1Char('\t') +
         scriptWord(second) + QLatin1Char('\n');
}

QString listScript(const Connection& c, ListCommand command) {
  const QLatin1String list =
      command == ListCommand::Nlist ? QLatin1String("nlist\t-al\n") : QLatin1String("ls\t-la\n");
  return scriptHead(c) + line("cd", c.directory) + list + QStringLiteral("quit\n");
}

QString namesScript(const Connection& c, bool options) {
  return scriptHead(c) + line("cd", c.directory) +
         (options ? QStringLiteral("nlist\t-a\n") : QStringLiteral("nlist\n")) +
         QStringLiteral("pwd\nquit\n");
}

QString getScript(const Connection& c, const QString& name, const QString& localFile, bool resume) {
  return scriptHead(c) + line("lcd", localFolderPath(c.localFolder)) + line("cd", c.directory) +
         line(resume ? "reget" : "get", name, localName(localFile)) + QStringLiteral("quit\n");
}

QString putScript(const Connection& c, const QString& localPath) {
  const QFileInfo info(localPath);
  return scriptHead(c) + line("lcd", info.absolutePath()) + line("cd", c.directory) +
         line("put", localName(info.fileName()), info.fileName()) + QStringLiteral("quit\n");
}

QString deleteScript(const Connection& c, const QString& name) {
  return scriptHead(c) + line("cd", c.directory) + line("delete", name) + QStringLiteral("quit\n");
}

QString maskedScript(const QString& script, const Connection& c) {
  const QString userLine = QStringLiteral("user\t") + scriptWord(c.user) + QLatin1Char('\t');
  QStringList lines = script.split(QLatin1Char('\n'));
  for (QString& l : lines) {
    if (l.startsWith(userLine)) l = userLine + QStringLiteral("********");
  }
  return lines.join(QLatin1Char('\n'));
}

bool hasControlCharacter(const QString& text) {
  for (QChar ch : text) {
    if (ch.unicode() < 0x20 || ch.unicode() == 0x7f) return true;
  }
  return false;
}

bool isTransferableName(const QString& name) {
  return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
         !name.contains(QLatin1Char('/')) && !hasControlCharacter(name);
}

QString nameRefusal(const QString& name) {
  if (isTransferableName(name)) return {};
  if (hasControlCharacter(name))
    return QStringLiteral("The ftp program can not take a name with a line break or control character !\n");
  return QStringLiteral("It is not a Normal File !\n");
}

}  // namespace pravella::ftp

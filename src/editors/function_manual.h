#pragma once
// The function manual's name list, "Documents/diary/Manual/functionName.rtf": one function per
// line, usually a name with its arguments ("sin(x)"). The memo view looks words up in it.

#include <QString>
#include <QStringList>
#include <optional>

namespace pravella {

QString functionNameListPath();

// The list's lines; nullopt when the file does not read as rich text.
std::optional<QStringList> readFunctionNameList();

// The lines that hold `find`, in list order. Both sides are compared case-folded (Unicode), so
// "SIN" finds "sin(x)" and a character that has no legacy encoding matches only itself.
QStringList matchFunctionNames(const QStringList& lines, const QString& find);

// A menu title: the line without its path extension ("plot.vk" -> "plot").
QString titleWithoutExtension(const QString& line);

// The function a manual entry names: its title up to the first "(" ("sin(x)" -> "sin"); empty
// when there is no "(" before the last character, or nothing before it.
QString manualFunctionName(const QString& title);

}  // namespace pravella

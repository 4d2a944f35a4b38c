#pragma once
// A gnuplot block of a memo: the selected script runs through the gnuplot program and yields
// its messages and its picture, which also goes into the program variable "gnuplot#". The
// memo view inserts what comes back; this part runs without a window (on a run's worker).

#include <QByteArray>
#include <QImage>
#include <QString>

namespace pravella {

// Whether a selected text is a gnuplot block: it begins "#gnuplot", "# gnuplot" or
// "#\tgnuplot".
bool isGnuplotBlock(const QString& text);

// The script handed to gnuplot: a PNG terminal, the output file (quoted for gnuplot), then
// the text with every carriage return made a line feed.
QString gnuplotScript(const QString& text, const QString& pictureFile);

// gnuplot's standard error made safe to show: bytes with the high bit set and control bytes
// other than CR and LF become blanks.
QString cleanGnuplotErrors(const QByteArray& bytes);

// The program to start: the gnuplot path, or, while that is still the default and nothing
// exists there, the gnuplot found on PATH. Empty when there is none.
QString gnuplotProgram();

struct GnuplotOutcome {
  bool found = false;  // false: "<errer> gnuplot : not found !"
  QString output;      // standard output (UTF-8), empty when none
  QString errors;      // cleaned standard error; non-empty means it failed
  QImage picture;      // the plot as it is pasted (scaled), null when none was drawn
};

// Writes the script to vkData/gnuplot.plt, runs gnuplot in the working folder, reads
// vkData/gnuplot.png, sets "gnuplot#" and scales the picture to gnuplotGraphWidth points.
// Both work files are removed. Blocks until gnuplot ends (or the break button stops it).
GnuplotOutcome runGnuplotBlock(const QString& text);

}  // namespace pravella

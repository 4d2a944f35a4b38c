#pragma once
// The CPU monitor's arithmetic and picture: the sums of the CPU and memory percentages of all
// processes (from "ps -eo pcpu=,pmem="), a history of the last 100 CPU sums, and the 102 x 18
// status picture: a graph of the history (mode 0) or two bars (mode 1).

#include <QImage>
#include <QString>

#include <array>

namespace pravella::monitor {

struct Load {
  double cpu = 0;
  double memory = 0;
};

// Sums the two columns of every line; lines that do not hold two numbers add nothing.
Load parsePsOutput(const QString& text);

struct History {
  std::array<float, 100> cpu{};  // oldest first; [99] the newest
  std::array<float, 100> memory{};
  void push(const Load& load);
};

// The picture for `mode` 0 (graph) or 1 (bars); a null image for any other mode.
QImage statusPicture(int mode, const History& history, const Load& now);

}  // namespace pravella::monitor

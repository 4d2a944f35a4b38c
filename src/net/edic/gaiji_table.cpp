#include "net/edic/gaiji_table.h"

#include <QFile>

#include <cstdio>

#include "platform/paths.h"

unsigned char jisyoGaijiCodeDisp = 1;

namespace pravella::edic {
namespace {

std::map<uint16_t, uint16_t>& mapping() {
  static std::map<uint16_t, uint16_t> table;
  return table;
}

}  // namespace

bool gaijiSubstitute(uint16_t code, unsigned char out[2]) {
  const auto found = mapping().find(code);
  if (found == mapping().end()) return false;
  out[0] = static_cast<unsigned char>(found->second >> 8);
  out[1] = static_cast<unsigned char>(found->second & 0xFF);
  return true;
}

}  // namespace pravella::edic

void SetDispJisyoGaijiCodeSwitch(unsigned char on) { jisyoGaijiCodeDisp = on; }

void disposeGaijiTable() { pravella::edic::mapping().clear(); }

int DoLoadGaijiTable() {
  disposeGaijiTable();
  QFile file(pravella::paths::diary() + "/MODULE/gaijiTable.dat");
  if (!file.open(QIODevice::ReadOnly)) return 0;
  while (!file.atEnd()) {
    const QByteArray line = file.readLine(256);
    unsigned row = 0, cell = 0, first = 0, second = 0;
    if (std::sscanf(line.constData(), "%X %X %X %X", &row, &cell, &first, &second) != 4) continue;
    const auto code = static_cast<uint16_t>((row & 0xFF) << 8 | (cell & 0xFF));
    pravella::edic::mapping().emplace(code, static_cast<uint16_t>((first & 0xFF) << 8 | (second & 0xFF)));
  }
  return 1;
}

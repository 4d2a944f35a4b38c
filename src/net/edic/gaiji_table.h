#pragma once
// External characters (gaiji) in headings: the switch that turns their display on, and the
// optional mapping table Documents/diary/MODULE/gaijiTable.dat that replaces a gaiji code by
// two ordinary bytes. One line per entry: row, cell and the two bytes, as hexadecimal
// numbers separated by blanks. Used under the reader lock.

#include <cstdint>
#include <map>

namespace pravella::edic {

// The two substitute bytes of a gaiji code (row byte high), or false.
bool gaijiSubstitute(uint16_t code, unsigned char out[2]);

}  // namespace pravella::edic

extern unsigned char jisyoGaijiCodeDisp;  // 1 at start
void SetDispJisyoGaijiCodeSwitch(unsigned char on);
// Reads the mapping table again; 0 when the file does not open (the table is then empty).
int DoLoadGaijiTable();
void disposeGaijiTable();

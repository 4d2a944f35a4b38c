#pragma once
// How many argument bytes follow each escape code (0x1F, code) of book text, for the readers
// that skip escapes they do not act on.

namespace pravella::edic {

constexpr int escapeArgumentBytes(int code) {
  switch (code) {
    case 0x09:
      return 2;
    case 0x14:
      return 4;
    case 0x41:
      return 2;
    case 0x44:
      return 10;
    case 0x45:
      return 2;
    case 0x48:
      return 10;
    case 0x52:
      return 6;
    case 0x53:
      return 8;
    case 0x62:
      return 6;
    case 0x63:
      return 6;
    case 0x64:
      return 6;
    case 0x67:
      return 4;
    case 0xE0:
      return 2;
    default:
      return 0;
  }
}

}  // namespace pravella::edic

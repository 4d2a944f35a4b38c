#pragma once
// Writing text as a Shift-JIS file.

// Encodes the UTF-8 text as Shift-JIS (characters it cannot hold become "?") and writes it
// atomically to the file, a relative name being taken in the working folder. True when
// written; an existing file is replaced only then.
bool saveShiftJIS(const char* utf8, const char* fileName);

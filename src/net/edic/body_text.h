#pragma once
// An entry's body as one Shift-JIS string with inline tags, from a text position onwards: the
// converted characters, newlines, and the tags the dictionary window renders ("<Tab:nnn>",
// "<key_start>", "<bold_start>", "<[Link]" ... "[Link:page,offset]>", "<GF[rrr:ccc]>",
// "<Fig-[page,offset]>", "<Pict[kind:page:offset]>" and the rest). The text never grows past
// the 50,000-byte buffer of the window; what was converted before a failed read is kept.
// Only the book's escape codes make tags: a "<" or "[" of the book's text comes as one of the
// marks below, which the renderer shows as the character.

#include <cstdint>
#include <functional>
#include <string>

#include "net/edic/book_reader.h"
#include "net/edic/compressed_text.h"

namespace pravella::edic {

inline constexpr std::size_t kBodyBufferSize = 50000;
// Control characters no book text converts to.
inline constexpr char kTextLessThan = '\x01';
inline constexpr char kTextBracket = '\x02';

// Converts from the reader's current position. `stopRequested` is asked before each line of a
// compressed book (the break test); when it answers true the conversion stops.
std::string convertBody(BookReader& reader, const std::function<bool()>& stopRequested = {});

}  // namespace pravella::edic

// A plain book's entry at (page, offset); false when the book or the position does not open.
bool convertHonbun(const std::string& name, int64_t page, int64_t offset, std::string& out);
// A compressed book's entry; the state is already open for the book and stays open. The
// conversion stops early when the running program's break test fires.
bool convertHonbun_EPWING_V6(ZIP_Data& state, int64_t page, int64_t offset, std::string& out);

#pragma once
// The tokenizer: program text (UTF-8) to token text, one token per line, every line ended by a
// newline. It also rewrites the constant pi, the Japanese multiplication signs, comments and
// the escapes inside strings.

#include <string>
#include <string_view>

// The token text holds at most this many characters (a buffer of 128,000 bytes with its
// terminator); programs longer than that fail with "too many instruction".
constexpr std::size_t kTokenTextLimit = 127999;

// Splits `source` into `tokens` (emptied first). Returns 1 on success, 0 on failure; on
// failure the token text ends with the message line, if the failure has one.
int shikiBunri(std::string_view source, std::string& tokens);

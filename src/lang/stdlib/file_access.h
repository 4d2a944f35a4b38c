#pragma once
// How the file routines of the language reach files: names are resolved against the working
// folder through vk_fopen's rules, whole files are written atomically (a temporary file beside
// the target, then a rename), and streams close themselves.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace pravella {

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f) std::fclose(f);
  }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// vk_fopen wrapped so the stream is closed on every path.
UniqueFile openLanguageFile(std::string_view name, const char* mode);

// The full path of a language file name (a name beginning with "/" as it stands, else inside
// current_fullPath); it is also recorded in NowLoadSaveName, as vk_fopen does. False (with
// "Too long path name.") when it does not fit a path buffer.
bool resolveLanguagePath(std::string_view name, std::string& full);

// Replaces the named file's content with `bytes` atomically. False when the file cannot be
// written; the old file is then unchanged, and the system's reason (naming the file as given)
// is reported; the caller adds its own message.
// With `zeros`, that many zero bytes come first, left as a hole in the file.
bool writeLanguageFile(std::string_view name, std::string_view bytes, std::int64_t zeros = 0);
// The same with the content given piece by piece (`next` returns each in turn, valid until the
// next call, then an empty one), so that a large file is never whole in memory.
bool writeLanguageFileInPieces(std::string_view name, const std::function<std::string_view()>& next);

// The whole content of a file already opened; false on a read error, when it holds more than
// `maxBytes`, or when memory runs out (the process goes on).
bool readRest(std::FILE* f, std::string& bytes, std::size_t maxBytes = std::size_t{1} << 30);

// Reads exactly n bytes; false when fewer are there.
bool readExactly(std::FILE* f, void* into, std::size_t n);

}  // namespace pravella

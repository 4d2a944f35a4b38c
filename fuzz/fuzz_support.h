#pragma once
// What every fuzz target needs before its first input: a Qt application object (pictures and
// fonts need one), a scratch home, and for programs the started language; and the helpers of
// targets that read files by name or take several files in one input.

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace pravella::fuzz {

void prepare();
void prepareLanguage();

// The scratch home that prepare() made.
QString home();

// Writes `bytes` to `path` (its folders made first); false when that fails.
bool writeFile(const QString& path, const QByteArray& bytes);

// An input that stands for several files or fields: the pieces between separator lines, and
// the input that holds pieces (the seed corpora are made with it).
inline constexpr char kPartSeparator[] = "\n--part--\n";
QList<QByteArray> splitParts(const QByteArray& bytes);
QByteArray joinParts(const QList<QByteArray>& parts);

// The input as bytes, and the first byte (which chooses what the rest is) taken off.
QByteArray bytesOf(const std::uint8_t* data, std::size_t size);
int takeFirstByte(QByteArray& bytes);

// A broken promise of the code under test: the message on standard error, then abort (so
// that libFuzzer keeps the input and the replay fails).
[[noreturn]] void fail(const char* what);

}  // namespace pravella::fuzz

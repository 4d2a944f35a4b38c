#include "lang/builtins/user_exchange.h"

#include <QFile>
#include <QSaveFile>

#include <cstring>

#include "lang/report.h"

namespace {

constexpr qint64 kHeaderBytes = 12;

int fail(const char* message) {
  error_disp(message);
  return 0;
}

bool writeHeader(QSaveFile& file, int32_t type, int32_t a, int32_t b) {
  char header[kHeaderBytes];
  const int32_t fields[3] = {type, a, b};
  std::memcpy(header, fields, sizeof header);
  return file.write(header, kHeaderBytes) == kHeaderBytes;
}

// Reads exactly `bytes` bytes after the header; false when the file is shorter.
bool readAfterHeader(const char* path, char* buffer, qint64 bytes, bool* opened) {
  QFile file(QString::fromUtf8(path));
  *opened = file.open(QIODevice::ReadOnly);
  if (!*opened) return false;
  if (!file.seek(kHeaderBytes)) return false;
  qint64 done = 0;
  while (done < bytes) {
    const qint64 got = file.read(buffer + done, bytes - done);
    if (got <= 0) return false;
    done += got;
  }
  return true;
}

}  // namespace

int saveDoubleData(const char* path, const double* values, int32_t rows, int32_t cols) {
  QSaveFile file(QString::fromUtf8(path));
  if (!file.open(QIODevice::WriteOnly)) return fail("Can not write_open file\n");
  if (!writeHeader(file, 1, rows, cols)) return fail("Can not write param\n");
  const long long count = static_cast<long long>(rows) * cols;
  if (rows > 0 && cols > 0) {
    const qint64 bytes = count * static_cast<qint64>(sizeof(double));
    if (file.write(reinterpret_cast<const char*>(values), bytes) != bytes)
      return fail("Can not write num_data\n");
  }
  if (!file.commit()) return fail("Can not write num_data\n");
  return 1;
}

int saveStringData(const char* path, const char* text) {
  QSaveFile file(QString::fromUtf8(path));
  if (!file.open(QIODevice::WriteOnly)) return fail("Can not open file\n");
  const auto length = static_cast<qint64>(std::strlen(text));
  if (!writeHeader(file, 2, static_cast<int32_t>(length), 0)) return fail("Can not write param\n");
  if (file.write(text, length) != length) return fail("Can not write string\n");
  if (!file.commit()) return fail("Can not write string\n");
  return 1;
}

int readFileHeader(const char* path, int32_t header[3]) {
  QFile file(QString::fromUtf8(path));
  if (!file.open(QIODevice::ReadOnly)) return fail("Can not open file\n");
  char bytes[kHeaderBytes];
  if (file.read(bytes, kHeaderBytes) != kHeaderBytes) return fail("Can not read param\n");
  std::memcpy(header, bytes, sizeof bytes);
  return 1;
}

int readDoubleData(const char* path, double* buffer, long long count) {
  if (count < 1) return 1;
  bool opened = false;
  if (!readAfterHeader(path, reinterpret_cast<char*>(buffer), count * static_cast<qint64>(sizeof(double)),
                       &opened))
    return fail(opened ? "Can not read num_data\n" : "Can not open file\n");
  return 1;
}

int readStringData(const char* path, char* buffer, uint32_t length) {
  bool opened = false;
  if (!readAfterHeader(path, buffer, length, &opened))
    return fail(opened ? "Can not read strings\n" : "Can not open file\n");
  buffer[length] = '\0';
  return 1;
}

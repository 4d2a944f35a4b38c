#include "lang/builtins/picture_support.h"

#include <QByteArray>

#include <cstring>
#include <vector>

#include "graphics/graph_title.h"
#include "graphics/graphics_hooks.h"
#include "graphics/picture_clipboard.h"
#include "graphics/pixel_ops.h"
#include "lang/report.h"
#include "lang/values.h"
#include "lang/variables.h"

namespace pravella {

void installPictureSupport() {
  graphics::setErrorReporter([](const std::string& message) { error_disp(message); });
  graphics::setVariableReader([](const std::string& name, std::vector<double>& elements) {
    int index = -1;
    if (!findVariable(name, &index) || index < 0) return false;
    const VariableRecord& v = variableTable[static_cast<std::size_t>(index)];
    const std::size_t n = static_cast<std::size_t>(std::max(0, v.msize)) * static_cast<std::size_t>(std::max(0, v.nsize));
    if (v.kind == kVarReal && v.data.size() >= n * 8) {
      elements.assign(v.data.doubles(), v.data.doubles() + n);
      return true;
    }
    if (v.kind == kVarInt && v.data.size() >= n * 4) {
      elements.assign(v.data.ints(), v.data.ints() + n);
      return true;
    }
    return false;
  });
  graphics::setWorkingFolderProvider([] { return current_fullPath; });
  graphics::setPictureByteLimitProvider([] { return static_cast<std::size_t>(TNumber) * 8; });
  vkSetPictureDisplay([](const unsigned char* bytes, int length) {
    return DoCopyPictureToScrap(QByteArray(reinterpret_cast<const char*>(bytes), length));
  });
  initTitle();
}

}  // namespace pravella

int vkPictureToNumbers(CalcStackEntry& entry) {
  const QByteArray picture(reinterpret_cast<const char*>(entry.data.data()), static_cast<qsizetype>(entry.msize));
  std::vector<std::int32_t> numbers;
  int rows = 0, columns = 0;
  if (!DoGetPictNum(picture, numbers, rows, columns, 1.0, 1.0, 1.0)) return 0;
  if (!entry.data.assign(numbers.data(), numbers.size() * sizeof(std::int32_t))) {
    error_disp("Memory allocation error.");
    return 0;
  }
  entry.type = kValueInt;
  entry.msize = rows;
  entry.nsize = columns;
  return 1;
}

#include "lang/report.h"

#include <QString>
#include <cstdio>
#include <string>
#include <utility>

#include "lang/values.h"
#include "platform/cformat.h"
#include "platform/console_log.h"
#include "platform/notification_center.h"

namespace {

VkPictureDisplay& pictureDisplay() {
  static VkPictureDisplay display;
  return display;
}

// Appends a piece when the result text stays below its limit; otherwise the run ends here
// and the last line says why (in the room kept for it).
bool appendPiece(const std::string& piece) {
  if (vkResultFits(piece.size())) {
    ResultString += piece;
    return true;
  }
  error_disp(
      pravella::cformat("Output too long: at most %zu bytes of displayed text at once (64 per element).",
                        vkResultTextLimit() - kResultReasonRoom));
  return false;
}

// False when the observer refused the display (its view holds no more of the run's text and
// has said why): the display fails.
bool postDisplayed(int type) {
  pravella::NotificationCenter& center = pravella::NotificationCenter::defaultCenter();
  static const QString name = QStringLiteral("dispResultOfMatrixCalculator");
  // Without an observer (the headless driver) there is nothing to tell.
  if (!center.hasObservers(name)) return true;
  return !center.post(name, QString::number(type)).isValid();
}

}  // namespace

int error_disp(std::string_view message) {
  std::string line(message);
  line += '\n';
  showErrMessageToConsole(line);
  std::string entry = "...<Error>...";
  entry += line;
  if (!vkResultFits(entry.size(), true)) return 0;
  ResultString += entry;
  return 1;
}

namespace {
thread_local bool unknownFunctionMark = false;
}  // namespace

int error_disp_unknown(std::string_view message) {
  unknownFunctionMark = true;
  return error_disp(message);
}

bool vkTakeUnknownFunctionMark() { return std::exchange(unknownFunctionMark, false); }

bool vkIsSingleRealFormat(std::string_view f) {
  if (f.size() >= static_cast<std::size_t>(kFormatBytes)) return false;
  int conversions = 0;
  for (std::size_t i = 0; i < f.size(); ++i) {
    if (f[i] != '%') continue;
    ++i;
    if (i < f.size() && f[i] == '%') continue;
    while (i < f.size() && std::string_view("-+ #0").find(f[i]) != std::string_view::npos) ++i;
    while (i < f.size() && f[i] >= '0' && f[i] <= '9') ++i;
    if (i < f.size() && f[i] == '.') {
      ++i;
      while (i < f.size() && f[i] >= '0' && f[i] <= '9') ++i;
    }
    if (i < f.size() && (f[i] == 'l' || f[i] == 'L')) {
      // "%lf" is a double too; "%Lf" would read a long double, which we never pass.
      if (f[i] == 'L') return false;
      ++i;
    }
    if (i >= f.size() || std::string_view("eEfFgGaA").find(f[i]) == std::string_view::npos) return false;
    ++conversions;
  }
  return conversions == 1;
}

void vkAppendFormatted(std::string& out, const char* format, double value) {
  char buf[512];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
  // The format is user text, checked by vkIsSingleRealFormat to take exactly one double.
  int n = std::snprintf(buf, sizeof buf, format, value);
  if (n >= static_cast<int>(sizeof buf)) {
    std::string big(static_cast<std::size_t>(n) + 1, '\0');
    std::snprintf(big.data(), big.size(), format, value);
    big.resize(static_cast<std::size_t>(n));
    out += big;
    return;
  }
#pragma GCC diagnostic pop
  if (n > 0) out.append(buf, static_cast<std::size_t>(n));
}

bool vkAppendSavedTable(std::string& out, const double* values, int rows, int cols) {
  // The save format is program text: it reaches the formatter only when it takes one number.
  if (!vkIsSingleRealFormat(SaveFormat)) return false;
  for (int i = 0; i < rows; ++i) {
    for (int j = 0; j < cols; ++j) {
      if (j > 0) out += '\t';
      vkAppendFormatted(out, SaveFormat.c_str(), values[static_cast<std::size_t>(i) * cols + j]);
    }
    out += '\n';
  }
  return true;
}

void vkSetPictureDisplay(VkPictureDisplay display) { pictureDisplay() = std::move(display); }

int DispData(const void* data, int type, int msize, int nsize) {
  switch (type) {
    case kValueReal:
    case kValueInt: {
      if (!vkIsSingleRealFormat(DispFormat)) {
        error_disp("Invalid display format.");
        return 0;
      }
      const int shownRows = (restM > 0 && msize > restM) ? restM : msize;
      const int shownCols = (restN > 0 && nsize > restN) ? restN : nsize;
      if (shownRows != msize || shownCols != nsize) {
        if (!appendPiece(pravella::cformat("MatrixSize[%d,%d]\n", msize, nsize))) return 0;
      }
      // A matrix with rows but no columns has no element to show: its rows show nothing.
      if (nsize > 0) {
        const auto* reals = static_cast<const double*>(data);
        const auto* ints = static_cast<const int32_t*>(data);
        std::string piece;
        for (int i = 0; i < shownRows; ++i) {
          for (int j = 0; j < shownCols; ++j) {
            piece.clear();
            if (j > 0) piece += ' ';
            const std::size_t at = static_cast<std::size_t>(i) * nsize + j;
            vkAppendFormatted(piece, DispFormat.c_str(), type == kValueReal ? reals[at] : ints[at]);
            if (!appendPiece(piece)) return 0;
          }
          piece = shownCols < nsize ? pravella::cformat(" -> [%d]\n", nsize - shownCols) : "\n";
          if (!appendPiece(piece)) return 0;
        }
      }
      if (shownRows < msize) {
        if (!appendPiece(pravella::cformat("\t rest -> [%d] lines\n", msize - shownRows))) return 0;
      }
      break;
    }
    case kValueString: {
      std::string text(static_cast<const char*>(data));
      for (char& ch : text) {
        if (ch == '\r') ch = '\n';
      }
      text += '\n';
      if (!appendPiece(text)) return 0;
      break;
    }
    case kValuePicture: {
      const VkPictureDisplay& display = pictureDisplay();
      if (display && !display(static_cast<const unsigned char*>(data), msize)) return 0;
      break;
    }
    default:
      error_disp("Unknown type of data (disp).");
      return 0;
  }
  return postDisplayed(type) ? 1 : 0;
}

// The kana and character-width built-ins of the letter T, and text2Pict.

#include "lang/builtins/functions_t_parts.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/color_table.h"
#include "graphics/text_picture.h"
#include "lang/builtins/functions_c_args.h"
#include "lang/stdlib/kana_conversion.h"
#include "lang/stdlib/kanji_code.h"

namespace pravella::builtins {

namespace {

int popText(CalcStackEntry* stack, int* sp, double* buffer, std::string& out) {
  VkArg arg;
  if (!vkPopArg(stack, sp, buffer, &arg)) return 0;
  if (!arg.isString()) return invalidArguments();
  out.assign(reinterpret_cast<const char*>(buffer));
  return 1;
}

int pushText(CalcStackEntry* stack, int* sp, const std::string& text) {
  return pushString(stack, sp, text.c_str(), static_cast<int>(text.size()));
}

int badCode() {
  error_disp("Bad code");
  return 0;
}

using KanaFn = int (*)(std::string&);

template <KanaFn Fn>
int kanaInPlace(CalcStackEntry* stack, int* sp) {
  std::string text;
  if (!popText(stack, sp, vk_ta, text)) return 0;
  Fn(text);
  return pushText(stack, sp, text);
}

}  // namespace

int toKatakanaBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return kanaInPlace<toKatakana>(stack, sp);
}

int toHiraganaBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return kanaInPlace<toHiragana>(stack, sp);
}

int toHankakuSJIS(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  std::string text;
  if (!popText(stack, sp, vk_ta, text)) return 0;
  // The string is a run of two-byte characters; an odd last byte pairs with the terminator.
  for (std::size_t i = 0; i < text.size(); i += 2) {
    unsigned char pair[2] = {static_cast<unsigned char>(text[i]),
                             i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : static_cast<unsigned char>(0)};
    sjistojis(pair);
    text[i] = static_cast<char>(pair[0]);
    if (i + 1 < text.size()) text[i + 1] = static_cast<char>(pair[1]);
  }
  std::string out;
  if (!DoZen2Han(pravella::jisCodesOf(text), out)) return badCode();
  return pushText(stack, sp, out);
}

int toHankakuJIS(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  std::string text, out;
  if (!popText(stack, sp, vk_ta, text)) return 0;
  if (!DoZen2Han(pravella::jisCodesOf(text), out)) return badCode();
  return pushText(stack, sp, out);
}

int toZenkakuJIS(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  std::string text;
  if (!popText(stack, sp, vk_ta, text)) return 0;
  std::vector<uint16_t> codes;
  if (!han2zen(text, codes)) return badCode();
  return pushText(stack, sp, pravella::bytesOfJisCodes(codes));
}

int toZenkakuSJIS(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  std::string text;
  if (!popText(stack, sp, vk_ta, text)) return 0;
  std::vector<uint16_t> codes;
  if (!han2zen(text, codes)) return badCode();
  std::string out = pravella::bytesOfJisCodes(codes);
  DoJis2sJis(out.data());
  return pushText(stack, sp, out);
}

int toZenkakuJIS_Omoji(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  std::string text;
  if (!popText(stack, sp, vk_ta, text)) return 0;
  std::vector<uint16_t> codes;
  if (!han2zen(text, codes)) return badCode();
  DoHenkanEisuji2ZenkakuJIS(text, codes);
  return pushText(stack, sp, pravella::bytesOfJisCodes(codes));
}

int toSeion(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  std::string text;
  if (!popText(stack, sp, vk_ta, text)) return 0;
  std::vector<uint16_t> codes;
  if (!to_seion(pravella::jisCodesOf(text), codes)) return badCode();
  return pushText(stack, sp, pravella::bytesOfJisCodes(codes));
}

namespace {

// A colour argument: a 1 x 3 row of 0..255 values or a colour name.
int popColour(CalcStackEntry* stack, int* sp, RGBColor* colour) {
  VkArg arg;
  if (!vkPopArg(stack, sp, vk_tc, &arg)) return 0;
  double rgb[3] = {0, 0, 0};
  if (arg.isReal() && arg.rows == 1 && arg.cols == 3) {
    std::memcpy(rgb, vk_tc, sizeof rgb);
  } else if (arg.isString()) {
    DoGetUnixColor(reinterpret_cast<const char*>(vk_tc), rgb);
  } else {
    return invalidArguments();
  }
  *colour = getRGBColorFrom256value(rgb[0], rgb[1], rgb[2]);
  return 1;
}

int popWhole(CalcStackEntry* stack, int* sp, double* buffer, int* value) {
  VkArg arg;
  if (!vkPopArg(stack, sp, buffer, &arg)) return 0;
  if (!arg.isNumber() || !std::isfinite(buffer[0]) || std::fabs(buffer[0]) > 32767) return invalidArguments();
  *value = static_cast<int>(buffer[0]);
  return 1;
}

// Texts longer than a length-prefixed string holds are refused rather than cut.
constexpr std::size_t kPascalBytes = 255;

}  // namespace

int text2Pict(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  const int count = code[*pc].argc;
  RGBColor background, textColour;
  int size = 0, margin = 0;
  std::string font, text;
  if (!popColour(stack, sp, &background) || !popColour(stack, sp, &textColour)) return 0;
  if (!popWhole(stack, sp, vk_tc, &size)) return 0;
  if (!popText(stack, sp, vk_tc, font)) return 0;
  if (font.size() > kPascalBytes) return invalidArguments();
  if (count == 6 && !popWhole(stack, sp, vk_tb, &margin)) return 0;
  if (!popText(stack, sp, vk_ta, text)) return 0;
  if (text.size() > kPascalBytes) return invalidArguments();
  pravella::Picture picture;
  if (!DoText2Picture(text, font, margin, size, textColour, background, &picture)) return invalidArguments();
  return PushToStack(stack, sp, picture.bytes().constData(), kValuePicture, static_cast<int>(picture.size()), 0);
}

}  // namespace pravella::builtins

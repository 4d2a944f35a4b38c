#include "lang/builtins/dictionary_builtins.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "lang/builtins/builtin_args.h"
#include "lang/builtins/builtin_table.h"
#include "lang/stdlib/kana_conversion.h"
#include "lang/stdlib/kanji_code.h"
#include "net/edic/dictionary_table.h"
#include "net/edic/index_search.h"
#include "net/edic/reader_lock.h"

namespace {

using pravella::edic::IndexKind;
using pravella::edic::ReaderLock;

char* text(double* buffer) { return reinterpret_cast<char*>(buffer); }

int fail(const char* message) {
  error_disp(message);
  return 0;
}

// Keys of the searches hold at most this many bytes.
constexpr std::size_t kMaxKeyBytes = 250;

int popKey(CalcStackEntry* stack, int* sp, std::string& key) {
  VkArg arg;
  if (!vkPopArg(stack, sp, vk_tb, &arg)) return 0;
  if (!arg.isString()) return vkInvalidArguments();
  key.assign(text(vk_tb), std::strlen(text(vk_tb)));
  return key.size() <= kMaxKeyBytes ? 1 : vkInvalidArguments();
}

// One of the K searches: dictionary, key, optional second key, range (start page, count).
int kensakuJikkou(int argc, IndexKind kind, CalcStackEntry* stack, int* sp) {
  VkArg range;
  if (!vkPopArg(stack, sp, vk_ta, &range)) return 0;
  if (!range.isReal() || range.rows != 1 || range.cols != 2) return vkInvalidArguments();
  const auto start = static_cast<int64_t>(std::trunc(vk_ta[0]));
  const auto pages = static_cast<int64_t>(std::trunc(vk_ta[1]));
  std::string second, key;
  if (argc == 4 && !popKey(stack, sp, second)) return 0;
  if (!popKey(stack, sp, key)) return 0;
  VkArg name;
  if (!vkPopArg(stack, sp, vk_ta, &name)) return 0;
  if (!name.isString()) return vkInvalidArguments();
  const std::string book = text(vk_ta);
  // The hits must fit the result buffer, whose size `element` may have lowered.
  const std::size_t limit =
      std::min<std::size_t>(pravella::edic::kMaxHits, static_cast<std::size_t>(TNumber) / 4);

  std::vector<EBHit> hits;
  int found = 0;
  {
    ReaderLock lock;
    if (is_That_HONMON2_EPWING_V6(book)) {
      ZIP_Data& state = sharedZipData();
      if (!eb_zopen_epwzipped(state, book)) return fail("Bad EPWING File");
      if (kind == IndexKind::Written)
        found = KensakuJikkou_Hyouki_EPWING_V6(state, key, start, pages, hits, limit);
      else if (kind == IndexKind::Kana)
        found = KensakuJikkou_KANA_EPWING_V6(state, key, second, start, pages, hits, limit);
      else
        found = KensakuJikkou_cond_EPWING_V6(state, key, start, pages, hits, limit);
      eb_zclose(state);
    } else if (kind == IndexKind::Written) {
      found = KensakuJikkou_Hyouki(book, key, start, pages, hits, limit);
    } else if (kind == IndexKind::Kana) {
      found = KensakuJikkou_KANA(book, key, second, start, pages, hits, limit);
    } else {
      found = KensakuJikkou_cond(book, key, start, pages, hits, limit);
    }
  }
  // A search that fails is no error: it finds nothing.
  if (!found) hits.clear();
  for (std::size_t i = 0; i < hits.size(); ++i) {
    vk_tc[i * 4] = static_cast<double>(hits[i].textPage);
    vk_tc[i * 4 + 1] = static_cast<double>(hits[i].textOffset);
    vk_tc[i * 4 + 2] = static_cast<double>(hits[i].headingPage);
    vk_tc[i * 4 + 3] = static_cast<double>(hits[i].headingOffset);
  }
  return vkPushReals(stack, sp, vk_tc, static_cast<int>(hits.size()), 4);
}

// Shift-JIS pairs to JIS, in place (an odd last byte pairs with the terminator), then the
// plain kana reading of the result.
int seionOf(CalcStackEntry* stack, int* sp, std::string& reading) {
  if (!vkPopString(stack, sp, text(vk_ta))) return 0;
  auto* bytes = reinterpret_cast<unsigned char*>(vk_ta);
  const std::size_t n = std::strlen(text(vk_ta));
  for (std::size_t i = 0; i < n; i += 2) sjistojis(bytes + i);
  bytes[n] = 0;
  std::vector<uint16_t> plain;
  if (!to_seion(pravella::jisCodesOf(std::string(text(vk_ta), n)), plain)) return fail("Bad code");
  reading = pravella::bytesOfJisCodes(plain);
  return 1;
}

}  // namespace

int checkDictionaryEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg arg;
  if (!vkPopArg(stack, sp, vk_ta, &arg)) return 0;
  if (!arg.isReal()) return fail("need data");
  std::string titles;
  checkEBDictionary(titles);
  return vkPushString(stack, sp, titles.c_str(), static_cast<int>(titles.size()));
}

int dicKensakuListEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg id;
  if (!vkPopArg(stack, sp, vk_tb, &id)) return 0;
  if (!id.isNumber()) return fail("Invalid type");
  const double truncated = std::trunc(vk_tb[0]);
  if (!(truncated >= 0 && truncated <= 255)) return vkInvalidArguments();
  VkArg name;
  if (!vkPopArg(stack, sp, vk_ta, &name)) return 0;
  if (!name.isString()) return fail("Invalid URL");
  const std::string book = text(vk_ta);
  int64_t pair[2] = {-1, -1};
  int found = 0;
  {
    ReaderLock lock;
    if (is_That_HONMON2_EPWING_V6(book)) {
      ZIP_Data& state = sharedZipData();
      if (!eb_zopen_epwzipped(state, book)) return fail("Bad EPWING File");
      found = getDicKensakuList_EPWING_V6(state, static_cast<int>(truncated), pair);
      eb_zclose(state);
    } else {
      found = getDicKensakuList(book, static_cast<int>(truncated), pair);
    }
  }
  const double range[2] = {found ? static_cast<double>(pair[0]) : -1.0,
                           found ? static_cast<double>(pair[1]) : -1.0};
  return vkPushReals(stack, sp, range, 1, 2);
}

int eBookMidashiListEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg positions;
  if (!vkPopArg(stack, sp, vk_tc, &positions)) return 0;
  if (!positions.isReal() || positions.rows < 1 || positions.cols != 4) return vkInvalidArguments();
  VkArg name;
  if (!vkPopArg(stack, sp, vk_ta, &name)) return 0;
  if (!name.isString()) return vkInvalidArguments();
  const std::string book = text(vk_ta);
  std::vector<EBHit> hits(static_cast<std::size_t>(positions.rows));
  for (std::size_t i = 0; i < hits.size(); ++i) {
    // Each number goes to the reader as a 32-bit integer.
    auto at = [&](std::size_t k) { return static_cast<int64_t>(static_cast<int32_t>(vk_tc[i * 4 + k])); };
    hits[i] = {at(0), at(1), at(2), at(3)};
  }
  std::string headings;
  {
    ReaderLock lock;
    if (is_That_HONMON2_EPWING_V6(book)) {
      ZIP_Data& state = sharedZipData();
      if (!eb_zopen_epwzipped(state, book)) return fail("Bad EPWING File");
      const int read = getEBookMidashiList_EPWING_V6(state, hits, headings);
      eb_zclose(state);
      if (!read) return fail("Bad EBook");
    } else if (!getEBookMidashiList(book, hits, headings)) {
      return fail("Bad EBook");
    }
  }
  if (headings.size() >= static_cast<std::size_t>(TNumber) * 8) return fail("Bad EBook");
  return vkPushString(stack, sp, headings.c_str(), static_cast<int>(headings.size()));
}

int kensakuJikkouHyoukiEntry(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return kensakuJikkou(code[*pc].argc, IndexKind::Written, stack, sp);
}

int kensakuJikkouCondEntry(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return kensakuJikkou(code[*pc].argc, IndexKind::Condition, stack, sp);
}

int kensakuJikkouKanaEntry(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return kensakuJikkou(code[*pc].argc, IndexKind::Kana, stack, sp);
}

int sjis2sjisSeionEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  std::string reading;
  if (!seionOf(stack, sp, reading)) return 0;
  DoJis2sJis(reading.data());
  return vkPushString(stack, sp, reading.c_str(), static_cast<int>(std::strlen(reading.c_str())));
}

int sjis2jisSeionEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  std::string reading;
  if (!seionOf(stack, sp, reading)) return 0;
  return vkPushString(stack, sp, reading.c_str(), static_cast<int>(reading.size()));
}

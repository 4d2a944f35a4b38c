#pragma once
// A book's search indexes and headings. Page 1 of the body text holds the index table; each
// index is a tree of 2048-byte pages sorted by key (JIS X 0208 bytes), searched by prefix.
// The three searches (written form, kana reading, condition) exist for plain books (by title)
// and compressed ones (through the open ZIP_Data state, which they leave open). Headings come
// out as Shift-JIS text.
//
// Book data is untrusted: counts and page numbers are checked before use, a descent takes at
// most as many steps as the index has pages, and a malformed index gives no result.

#include <cstdint>
#include <string>
#include <vector>

#include "net/edic/book_reader.h"
#include "net/edic/compressed_text.h"

namespace pravella::edic {

// A search stores at most this many hits.
inline constexpr std::size_t kMaxHits = 50000;
// A heading that has not ended after this many two-byte units is cut there.
inline constexpr int kMaxHeadingUnits = 1000;

// Index ids.
inline constexpr int kIndexWrittenForward = 0x91;
inline constexpr int kIndexKanaForward = 0x90;
inline constexpr int kIndexCondition = 0x80;
inline constexpr int kIndexWrittenBackward = 0x71;
inline constexpr int kIndexKanaBackward = 0x70;

// One hit: where the entry's text and its heading begin.
struct EBHit {
  int64_t textPage = 0, textOffset = 0, headingPage = 0, headingOffset = 0;
  bool operator==(const EBHit&) const = default;
};

enum class IndexKind { Written, Kana, Condition };

// Start page and page count of the index with the id; false when it is missing or unreadable.
bool findIndex(BookReader& reader, int id, int64_t& start, int64_t& count);
// One search over an index: 1 with the hits (at most `limit`), 0 for an empty key or when the
// book cannot be read (no hits then).
int searchIndex(BookReader& reader, IndexKind kind, const std::string& key, const std::string& secondKey,
                int64_t start, int64_t count, std::vector<EBHit>& hits, std::size_t limit);
// The heading at a text position as Shift-JIS text (without a line end).
bool readHeading(BookReader& reader, int64_t page, int64_t offset, std::string& out);

}  // namespace pravella::edic

using pravella::edic::EBHit;

// (start page, page count) of the index `id`; 1, or 0 when missing or unreadable.
int getDicKensakuList(const std::string& name, int id, int64_t pair[2]);
int getDicKensakuList_EPWING_V6(ZIP_Data& state, int id, int64_t pair[2]);

int KensakuJikkou_Hyouki(const std::string& name, const std::string& key, int64_t start, int64_t count,
                         std::vector<EBHit>& hits, std::size_t limit = pravella::edic::kMaxHits);
int KensakuJikkou_Hyouki_EPWING_V6(ZIP_Data& state, const std::string& key, int64_t start, int64_t count,
                                   std::vector<EBHit>& hits, std::size_t limit = pravella::edic::kMaxHits);
int KensakuJikkou_KANA(const std::string& name, const std::string& key, const std::string& secondKey,
                       int64_t start, int64_t count, std::vector<EBHit>& hits,
                       std::size_t limit = pravella::edic::kMaxHits);
int KensakuJikkou_KANA_EPWING_V6(ZIP_Data& state, const std::string& key, const std::string& secondKey,
                                 int64_t start, int64_t count, std::vector<EBHit>& hits,
                                 std::size_t limit = pravella::edic::kMaxHits);
int KensakuJikkou_cond(const std::string& name, const std::string& key, int64_t start, int64_t count,
                       std::vector<EBHit>& hits, std::size_t limit = pravella::edic::kMaxHits);
int KensakuJikkou_cond_EPWING_V6(ZIP_Data& state, const std::string& key, int64_t start, int64_t count,
                                 std::vector<EBHit>& hits, std::size_t limit = pravella::edic::kMaxHits);

// The headings of the hits, each followed by "\n"; 1, or 0 when one cannot be read.
int getEBookMidashiList(const std::string& name, const std::vector<EBHit>& hits, std::string& out);
int getEBookMidashiList_EPWING_V6(ZIP_Data& state, const std::vector<EBHit>& hits, std::string& out);

#include <gtest/gtest.h>

#include <random>

#include "graphics/packbits.h"

namespace pravella {
namespace {

std::vector<std::uint8_t> roundTrip(const std::vector<std::uint8_t>& in) {
  std::vector<std::uint8_t> packed;
  packBits(in.data(), in.size(), packed);
  std::vector<std::uint8_t> out(in.size());
  EXPECT_TRUE(unpackBits(packed.data(), packed.size(), out.data(), out.size()));
  return out;
}

TEST(PackBits, RoundTripsRunsLiteralsAndPacketLimits) {
  std::vector<std::vector<std::uint8_t>> cases = {
      {},
      {7},
      {1, 1},
      {1, 1, 1},
      std::vector<std::uint8_t>(128, 9),  // longest repeat packet
      std::vector<std::uint8_t>(129, 9),  // one past it
      std::vector<std::uint8_t>(300, 0),
  };
  std::vector<std::uint8_t> literal(129);
  for (std::size_t i = 0; i < literal.size(); ++i) literal[i] = static_cast<std::uint8_t>(i);
  cases.push_back(literal);  // longest literal packet plus one
  std::mt19937 rng(5);
  std::vector<std::uint8_t> noisy(1000);
  for (auto& b : noisy) b = static_cast<std::uint8_t>(rng() % 3);  // short runs and breaks
  cases.push_back(noisy);
  for (const auto& c : cases) EXPECT_EQ(roundTrip(c), c) << "size " << c.size();
}

TEST(PackBits, RepeatPacketsAreUsedForRuns) {
  std::vector<std::uint8_t> in(128, 0xAB), packed;
  packBits(in.data(), in.size(), packed);
  EXPECT_EQ(packed, (std::vector<std::uint8_t>{0x81, 0xAB}));
}

TEST(PackBits, MalformedInputIsRefusedWithoutOverrun) {
  std::uint8_t out[4] = {};
  const std::uint8_t overrun[] = {0xF0, 0x11};       // 17 repeats into 4 bytes
  const std::uint8_t shortLiteral[] = {0x05, 1, 2};  // 6 literals announced, 2 given
  const std::uint8_t missingValue[] = {0xFE};        // repeat without its byte
  EXPECT_FALSE(unpackBits(overrun, sizeof overrun, out, 4));
  EXPECT_FALSE(unpackBits(shortLiteral, sizeof shortLiteral, out, 4));
  EXPECT_FALSE(unpackBits(missingValue, sizeof missingValue, out, 4));
  EXPECT_FALSE(unpackBits(nullptr, 0, out, 4));
  const std::uint8_t noOp[] = {0x80, 0xFD, 0x42};  // -128 is skipped
  ASSERT_TRUE(unpackBits(noOp, sizeof noOp, out, 4));
  EXPECT_EQ(out[3], 0x42);
}

}  // namespace
}  // namespace pravella

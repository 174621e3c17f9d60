// Every code point of the basic plane (surrogates aside) converted to GBK, against the table that
// gbk_reference.py wrote from Python's "gbk" codec: the same characters representable, the same
// bytes for each. Both the "\u" escape route the game uses and plain UTF-32 are checked.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <ostream>
#include <sstream>
#include <string>

#include "commands/encoding.h"

namespace vorenn {
namespace {

struct Block {
  int representable = 0;
  uint64_t hash = 0xCBF29CE484222325ull;

  void Add(const std::optional<std::string>& bytes) {
    std::string item(1, char(bytes ? bytes->size() : 0));
    if (bytes) {
      ++representable;
      item += *bytes;
    }
    for (unsigned char b : item) hash = (hash ^ b) * 0x100000001B3ull;
  }
  bool operator==(const Block&) const = default;
  friend void PrintTo(const Block& b, std::ostream* os) {
    *os << b.representable << " representable, hash " << std::hex << b.hash << std::dec;
  }
};

std::map<int, Block> ReadReference() {
  std::map<int, Block> blocks;
  std::ifstream in(VORENN_GBK_REFERENCE, std::ios::binary);
  EXPECT_TRUE(in) << VORENN_GBK_REFERENCE;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    int high = -1;
    Block b;
    fields >> std::hex >> high >> std::dec >> b.representable >> std::hex >> b.hash;
    EXPECT_TRUE(fields && high >= 0) << line;
    blocks[high] = b;
  }
  return blocks;
}

std::string Escape(uint32_t cp) {
  char e[16];
  std::snprintf(e, sizeof e, "\\u%04X", cp);
  return e;
}

std::string Utf32(uint32_t cp) {
  return {char(cp & 0xFF), char(cp >> 8 & 0xFF), char(cp >> 16 & 0xFF), char(cp >> 24)};
}

TEST(ConvertEncoding, EveryBasicPlaneCodePointAgreesWithTheGbkReference) {
  const std::map<int, Block> reference = ReadReference();
  ASSERT_EQ(reference.size(), 248u);
  int representable = 0;
  for (const auto& [high, expected] : reference) {
    Block escaped, plain;
    for (uint32_t cp = uint32_t(high) << 8; cp < uint32_t(high + 1) << 8; ++cp) {
      escaped.Add(ConvertEncoding(Escape(cp), "JAVA", "GBK"));
      plain.Add(ConvertEncoding(Utf32(cp), "UTF-32LE", "GBK"));
    }
    EXPECT_EQ(escaped, expected) << "escapes, block " << std::hex << high;
    EXPECT_EQ(plain, expected) << "UTF-32, block " << std::hex << high;
    representable += expected.representable;
  }
  EXPECT_EQ(representable, 21919);
}

// Reading GBK takes no lone 0x80 or 0xFF either, while 0x80 as a trail byte stays a character.
TEST(ConvertEncoding, GbkHasNoLoneHighByte) {
  EXPECT_FALSE(ConvertEncoding("\x80", "GBK", "UTF-8"));
  EXPECT_FALSE(ConvertEncoding("a\xC4\xE3\x80\xC4\xE3", "GBK", "JAVA"));
  EXPECT_FALSE(ConvertEncoding("\xFF", "GBK", "UTF-8"));
  EXPECT_EQ(ConvertEncoding("\x81\x80" "a", "GBK", "JAVA"), "\\u4e90a");
  EXPECT_FALSE(ConvertEncoding("a\xE2\x82\xAC", "UTF-8", "gbk"));
  EXPECT_FALSE(ConvertEncoding("\\u4f60\\u20ac", "JAVA", "GBK//"));
}

}  // namespace
}  // namespace vorenn

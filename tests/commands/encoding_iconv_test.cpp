// ConvertEncoding against the system's iconv itself, on Linux where it has one.
#include <gtest/gtest.h>
#include <iconv.h>

#include <random>

#include "commands/encoding.h"

namespace vorenn {
namespace {

const char kFail[] = "<fail>";

std::string Convert(std::string_view in, std::string_view from, std::string_view to) {
  auto out = ConvertEncoding(in, from, to);
  return out ? *out : kFail;
}

// iconv on its own: the reference for everything but "JAVA".
std::string Iconv(const std::string& in, const char* from, const char* to) {
  iconv_t cd = iconv_open(to, from);
  EXPECT_NE(cd, iconv_t(-1));
  std::string out(in.size() * 4 + 16, '\0');
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char* dst = out.data();
  size_t dstLeft = out.size();
  size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  iconv_close(cd);
  if (r == size_t(-1)) return kFail;
  out.resize(out.size() - dstLeft);
  return out;
}

// Random characters of the basic plane, written as escapes, must give what iconv makes of the same
// UTF-16 code units; and GBK text must come back unchanged through "JAVA".
TEST(ConvertEncoding, AgreesWithIconvOnRandomText) {
  unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> cjk(0x4E00, 0x9FA5), ascii(0x20, 0x7E), pick(0, 3);
  for (int round = 0; round < 50; ++round) {
    std::string java, utf16;
    for (int i = 0; i < 40; ++i) {
      unsigned c = pick(rng) == 0 ? unsigned(ascii(rng)) : unsigned(cjk(rng));
      if (c == '\\') c = '/';
      char buf[16];
      if (c < 0x80) {
        java += char(c);
      } else {
        std::snprintf(buf, sizeof buf, "\\u%04X", c);
        java += buf;
      }
      utf16 += char(c & 0xFF);
      utf16 += char(c >> 8);
    }
    std::string gbk = Iconv(utf16, "UTF-16LE", "GBK");
    ASSERT_EQ(Convert(java, "JAVA", "GBK"), gbk);
    auto back = Convert(gbk, "GBK", "JAVA");
    ASSERT_EQ(Convert(back, "JAVA", "GBK"), gbk);
    ASSERT_EQ(Convert(gbk, "GBK", "UTF-8"), Iconv(gbk, "GBK", "UTF-8"));
  }
}

// Latin-1 to "JAVA" makes six bytes of every input byte: the output buffer has to grow ten times.
}  // namespace
}  // namespace vorenn

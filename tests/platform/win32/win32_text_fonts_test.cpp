// GBK texts at the Win32 edge and fonts made from logical-font records.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/win32/internal/win32_parts.h"

namespace vorenn::platform::win32 {
namespace {

TEST(Win32TextTest, EveryAssignedDoubleByteCharacterSurvivesTheRoundTrip) {
  // The three areas of GBK in which every code is a character: the common Chinese characters
  // (B0A1-F7FE, less the five unassigned codes at its end) and the two extension areas.
  auto assigned = [](int lead, int trail) {
    if (trail == 0x7F) return false;
    if (lead >= 0x81 && lead <= 0xA0) return trail >= 0x40 && trail <= 0xFE;
    if (lead >= 0xAA && lead <= 0xFE && trail >= 0x40 && trail <= 0xA0) return true;
    if (lead >= 0xB0 && lead <= 0xF7 && trail >= 0xA1 && trail <= 0xFE) return !(lead == 0xD7 && trail >= 0xFA);
    return false;
  };
  int checked = 0;
  std::string all;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (!assigned(lead, trail)) continue;
      std::string gbk{char(lead), char(trail)};
      std::wstring wide = WideFromGbk(gbk);
      ASSERT_EQ(wide.size(), 1u) << std::hex << lead << trail;
      ASSERT_NE(wide[0], L'?') << std::hex << lead << trail;
      ASSERT_EQ(GbkFromWide(wide), gbk) << std::hex << lead << trail;
      all += gbk;
      ++checked;
    }
  }
  EXPECT_EQ(checked, 6763 + 6080 + 8160);
  // All at once, mixed with ASCII and an embedded zero byte, as one text.
  std::string mixed = "a" + all + std::string(1, '\0') + "z";
  EXPECT_EQ(GbkFromWide(WideFromGbk(mixed)), mixed);
}

TEST(Win32TextTest, KnownTextsAndTheEdges) {
  EXPECT_EQ(WideFromGbk("超级按钮"), L"超级按钮");
  EXPECT_EQ(GbkFromWide(L"排名 名称 秒产"), "排名 名称 秒产");
  EXPECT_EQ(WideFromGbk(""), L"");
  EXPECT_EQ(GbkFromWide(L""), "");
  // A lead byte without its trail byte still gives a usable text.
  EXPECT_FALSE(WideFromGbk("ab\xB0").empty());
  // Characters GBK lacks come out as a replacement, never as nothing.
  EXPECT_EQ(GbkFromWide(L"x\U0001F600y").front(), 'x');
  EXPECT_EQ(GbkFromWide(L"x\U0001F600y").back(), 'y');
}

std::string Record(int32_t height, int32_t weight, bool italic, const char* gbkFace) {
  std::string r(60, '\0');
  std::memcpy(r.data(), &height, 4);
  std::memcpy(r.data() + 16, &weight, 4);
  r[20] = italic ? 1 : 0;
  r[23] = char(GB2312_CHARSET);
  std::memcpy(r.data() + 28, gbkFace, std::min<size_t>(std::strlen(gbkFace), 32));
  return r;
}

LOGFONTW LogFontOf(HFONT font) {
  LOGFONTW lf{};
  GetObjectW(font, sizeof(lf), &lf);
  return lf;
}

TEST(Win32FontsTest, ARecordGivesItsFaceHeightWeightAndStyle) {
  HFONT bold = FontFromRecord(Record(-16, 700, true, "黑体"));
  ASSERT_NE(bold, nullptr);
  LOGFONTW lf = LogFontOf(bold);
  EXPECT_STREQ(lf.lfFaceName, L"黑体");
  EXPECT_EQ(lf.lfHeight, -16);
  EXPECT_EQ(lf.lfWeight, 700);
  EXPECT_TRUE(lf.lfItalic);
  EXPECT_EQ(lf.lfCharSet, GB2312_CHARSET);

  HFONT georgia = FontFromRecord(Record(20, 400, false, "Georgia"));
  lf = LogFontOf(georgia);
  EXPECT_STREQ(lf.lfFaceName, L"Georgia");
  EXPECT_EQ(lf.lfHeight, 20);
  EXPECT_FALSE(lf.lfItalic);
}

TEST(Win32FontsTest, FontsAreMadeOncePerRecordAndDamagedRecordsStayUsable) {
  std::string record = Record(-12, 400, false, "宋体");
  EXPECT_EQ(FontFromRecord(record), FontFromRecord(record));
  // Bytes after the record do not make another font.
  EXPECT_EQ(FontFromRecord(record + "tail"), FontFromRecord(record));
  EXPECT_NE(FontFromRecord(Record(-13, 400, false, "宋体")), FontFromRecord(record));

  HFONT empty = FontFromRecord("");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(FontFromRecord(std::string(59, 'x')), empty);
  LOGFONTW lf = LogFontOf(empty);
  EXPECT_STREQ(lf.lfFaceName, L"宋体");
  EXPECT_EQ(lf.lfHeight, -12);

  // Height 0, an absurd height and a face without its terminating zero.
  EXPECT_EQ(LogFontOf(FontFromRecord(Record(0, 0, false, "宋体"))).lfHeight, -12);
  EXPECT_EQ(LogFontOf(FontFromRecord(Record(-100000, 0, false, "宋体"))).lfHeight, -512);
  std::string longFace(40, 'A');
  lf = LogFontOf(FontFromRecord(Record(-12, 0, false, longFace.c_str())));
  EXPECT_EQ(std::wstring(lf.lfFaceName), std::wstring(31, L'A'));
  EXPECT_STREQ(LogFontOf(FontFromRecord(Record(-12, 0, false, ""))).lfFaceName, L"宋体");
}

}  // namespace
}  // namespace vorenn::platform::win32

// Fonts of units on Win32: the 60-byte logical-font record units keep is a LOGFONT with its face
// name in GBK, so it becomes a LOGFONTW with the face converted. Records that differ only after
// their 60 bytes share one font.
#include "platform/win32/internal/win32_parts.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

namespace vorenn::platform::win32 {
namespace {

constexpr size_t kRecordSize = 60;
constexpr size_t kFaceOffset = 28;
constexpr size_t kFaceBytes = 32;
// The default font of units is the Chinese system face at 12 pixels (9 points), whatever the
// system's own GUI font is, so that layouts come out the same on every system.
constexpr int kDefaultPixels = 12;
const wchar_t kDefaultFace[] = L"宋体";
// Heights beyond this come from damaged records; they are drawn at this size.
constexpr int kMaxPixels = 512;

int32_t I32(const std::string& r, size_t at) {
  uint32_t v = 0;
  std::memcpy(&v, r.data() + at, 4);
  return int32_t(v);
}

void SetFace(LOGFONTW& font, std::wstring_view face) {
  size_t n = std::min(face.size(), size_t(LF_FACESIZE - 1));
  std::wmemcpy(font.lfFaceName, face.data(), n);
  font.lfFaceName[n] = L'\0';
}

LOGFONTW DefaultLogFont() {
  LOGFONTW font{};
  font.lfHeight = -kDefaultPixels;
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = GB2312_CHARSET;
  SetFace(font, kDefaultFace);
  return font;
}

LOGFONTW LogFontOf(const std::string& record) {
  LOGFONTW font = DefaultLogFont();
  int32_t height = I32(record, 0);
  if (height == 0) height = -kDefaultPixels;
  font.lfHeight = std::clamp(height, -kMaxPixels, kMaxPixels);
  font.lfWidth = std::clamp(I32(record, 4), 0, kMaxPixels);
  font.lfEscapement = I32(record, 8);
  font.lfOrientation = I32(record, 12);
  font.lfWeight = std::clamp(I32(record, 16), 0, 1000);
  font.lfItalic = record[20] != 0;
  font.lfUnderline = record[21] != 0;
  font.lfStrikeOut = record[22] != 0;
  font.lfCharSet = BYTE(record[23]);
  font.lfOutPrecision = BYTE(record[24]);
  font.lfClipPrecision = BYTE(record[25]);
  font.lfQuality = BYTE(record[26]);
  font.lfPitchAndFamily = BYTE(record[27]);
  std::string_view gbkFace(record.data() + kFaceOffset, kFaceBytes);
  gbkFace = gbkFace.substr(0, gbkFace.find('\0'));
  std::wstring face = WideFromGbk(gbkFace);
  if (face.find_first_not_of(L' ') == std::wstring::npos) face = kDefaultFace;
  SetFace(font, face);
  return font;
}

HFONT DefaultFont() {
  static const HFONT font = [] {
    LOGFONTW logFont = DefaultLogFont();
    HFONT made = CreateFontIndirectW(&logFont);
    return made != nullptr ? made : HFONT(GetStockObject(DEFAULT_GUI_FONT));
  }();
  return font;
}

}  // namespace

HFONT FontFromRecord(const std::string& record) {
  if (record.size() < kRecordSize) return DefaultFont();
  static std::mutex mutex;
  static std::map<std::string, HFONT, std::less<>> fonts;
  std::lock_guard<std::mutex> lock(mutex);
  std::string key = record.substr(0, kRecordSize);
  if (auto found = fonts.find(key); found != fonts.end()) return found->second;
  LOGFONTW font = LogFontOf(key);
  HFONT made = CreateFontIndirectW(&font);
  if (made == nullptr) return DefaultFont();
  fonts.emplace(std::move(key), made);
  return made;
}

}  // namespace vorenn::platform::win32

#include "engine/standard_units/tray_icon.h"

#include <cstring>
#include <optional>

namespace vorenn {
namespace {

constexpr size_t kHeaderSize = 6;
constexpr size_t kEntrySize = 16;
constexpr size_t kMaxTip = 62;
constexpr uint32_t kBitmapInfoSize = 40;
constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

uint16_t U16(std::span<const uint8_t> d, size_t at) { return uint16_t(d[at] | d[at + 1] << 8); }
uint32_t U32(std::span<const uint8_t> d, size_t at) { return uint32_t(U16(d, at)) | uint32_t(U16(d, at + 2)) << 16; }

struct Entry {
  size_t at;  // directory entry offset
  int width;
  uint64_t colours;
  uint32_t size;
  uint32_t offset;
};

Entry EntryAt(std::span<const uint8_t> file, size_t index) {
  size_t at = kHeaderSize + kEntrySize * index;
  Entry e{at, file[at] == 0 ? 256 : file[at], 0, U32(file, at + 8), U32(file, at + 12)};
  uint8_t colourCount = file[at + 2];
  uint16_t bits = U16(file, at + 6);
  if (colourCount != 0) {
    e.colours = colourCount;
  } else {
    e.colours = bits == 0 ? 256 : bits >= 32 ? (uint64_t(1) << 32) : (uint64_t(1) << bits);
  }
  return e;
}

// An image is usable when it lies inside the file and is a bitmap of the entry's width or a PNG.
bool Usable(std::span<const uint8_t> file, const Entry& e) {
  if (e.size < 8 || e.offset > file.size() || e.size > file.size() - e.offset) return false;
  std::span<const uint8_t> image = file.subspan(e.offset, e.size);
  if (std::memcmp(image.data(), kPngSignature, sizeof kPngSignature) == 0) return true;
  return image.size() >= kBitmapInfoSize && U32(image, 0) == kBitmapInfoSize && int(U32(image, 4)) == e.width;
}

std::optional<Entry> Choose(std::span<const uint8_t> file, size_t count, int width) {
  for (size_t i = 0; i < count; ++i) {
    Entry e = EntryAt(file, i);
    if (e.width == width && e.colours > 15) return Usable(file, e) ? std::optional<Entry>(e) : std::nullopt;
  }
  Entry last = EntryAt(file, count - 1);
  return Usable(file, last) ? std::optional<Entry>(last) : std::nullopt;
}

}  // namespace

std::vector<uint8_t> PickTrayIcon(std::span<const uint8_t> file) {
  if (file.size() < kHeaderSize || U16(file, 0) != 0) return {};
  uint16_t type = U16(file, 2);
  size_t count = U16(file, 4);
  if ((type != 1 && type != 2) || count == 0 || file.size() < kHeaderSize + kEntrySize * count) return {};
  std::optional<Entry> chosen = Choose(file, count, 16);
  if (!chosen) chosen = Choose(file, count, 32);
  if (!chosen) return {};
  std::vector<uint8_t> icon = {0, 0, 1, 0, 1, 0};
  icon.insert(icon.end(), file.begin() + ptrdiff_t(chosen->at), file.begin() + ptrdiff_t(chosen->at + 12));
  uint32_t offset = uint32_t(kHeaderSize + kEntrySize);
  for (int i = 0; i < 4; ++i) icon.push_back(uint8_t(offset >> (8 * i)));
  icon.insert(icon.end(), file.begin() + chosen->offset, file.begin() + chosen->offset + chosen->size);
  return icon;
}

std::string TrayTip(std::string_view gbkTip) {
  size_t end = 0;
  while (end < gbkTip.size()) {
    size_t width = uint8_t(gbkTip[end]) >= 0x81 && end + 1 < gbkTip.size() ? 2 : 1;
    if (end + width > kMaxTip) break;
    end += width;
  }
  return std::string(gbkTip.substr(0, end));
}

}  // namespace vorenn

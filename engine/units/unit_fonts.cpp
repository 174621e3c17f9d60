#include "engine/units/unit_fonts.h"

#include <cstring>

#include "engine/core/memory.h"

namespace vorenn {
namespace {

constexpr size_t kHeight = 0, kEscapement = 8, kOrientation = 12, kWeight = 16, kItalic = 20,
                 kUnderline = 21, kStrikeOut = 22, kCharset = 23, kFace = 28;
constexpr size_t kFaceCapacity = 32;
constexpr int32_t kBoldWeight = 700;
constexpr int32_t kAngleModulus = 3600;
constexpr uint8_t kGb2312Charset = 134;

int32_t GetI32(const std::vector<uint8_t>& r, size_t at) {
  int32_t v;
  std::memcpy(&v, r.data() + at, 4);
  return v;
}

void PutI32(std::vector<uint8_t>& r, size_t at, int32_t v) { std::memcpy(r.data() + at, &v, 4); }

struct TransferRecord {
  int32_t angle, bold, italic, strikeOut, underline, size;
  char* face;
};
static_assert(sizeof(TransferRecord) == 32);

}  // namespace

std::vector<uint8_t> DefaultFontRecord() {
  std::vector<uint8_t> r(kFontRecordSize, 0);
  PutI32(r, kHeight, -12);
  PutI32(r, kWeight, 400);
  r[kCharset] = kGb2312Charset;
  SetFontFace(r, std::string());
  return r;
}

std::vector<uint8_t> NormalizedFont(const std::vector<uint8_t>& record) {
  if (record.size() < kFontRecordSize) return DefaultFontRecord();
  std::vector<uint8_t> r(record.begin(), record.begin() + kFontRecordSize);
  r[kFontRecordSize - 1] = 0;  // the face is always terminated
  return r;
}

int32_t FontComponentOf(const std::vector<uint8_t>& record, int component) {
  std::vector<uint8_t> r = NormalizedFont(record);
  switch (component) {
    case kFontAngle: return GetI32(r, kEscapement);
    case kFontBold: return GetI32(r, kWeight) >= kBoldWeight ? 1 : 0;
    case kFontItalic: return r[kItalic] != 0 ? 1 : 0;
    case kFontStrikeOut: return r[kStrikeOut] != 0 ? 1 : 0;
    case kFontUnderline: return r[kUnderline] != 0 ? 1 : 0;
    case kFontSize: {
      int64_t height = GetI32(r, kHeight);
      if (height < 0) height = -height;
      return int32_t((height * 72 + 48) / 96);
    }
    default: return 0;
  }
}

std::string FontFaceOf(const std::vector<uint8_t>& record) {
  std::vector<uint8_t> r = NormalizedFont(record);
  return std::string(reinterpret_cast<const char*>(r.data() + kFace));
}

void SetFontComponent(std::vector<uint8_t>& record, int component, int32_t value) {
  record = NormalizedFont(record);
  switch (component) {
    case kFontAngle: {
      int32_t angle = value % kAngleModulus;
      if (angle < 0) angle += kAngleModulus;
      PutI32(record, kEscapement, angle);
      PutI32(record, kOrientation, angle);
      break;
    }
    case kFontBold: PutI32(record, kWeight, value != 0 ? kBoldWeight : 0); break;
    case kFontItalic: record[kItalic] = value != 0; break;
    case kFontStrikeOut: record[kStrikeOut] = value != 0; break;
    case kFontUnderline: record[kUnderline] = value != 0; break;
    case kFontSize: {
      int64_t points = value < 0 ? -int64_t(value) : value;
      PutI32(record, kHeight, -int32_t((points * 96 + 36) / 72));
      break;
    }
    default: break;
  }
}

void SetFontFace(std::vector<uint8_t>& record, const std::string& face) {
  if (record.size() < kFontRecordSize) record = NormalizedFont(record);
  std::string name = face;
  if (name.empty() || name.size() > kFaceCapacity - 1) name = "宋体";
  std::memset(record.data() + kFace, 0, kFaceCapacity);
  std::memcpy(record.data() + kFace, name.data(), name.size());
}

void* NewFontTransferRecord(const std::vector<uint8_t>& record) {
  auto* t = static_cast<TransferRecord*>(AllocBlock(sizeof(TransferRecord)));
  t->angle = FontComponentOf(record, kFontAngle);
  t->bold = FontComponentOf(record, kFontBold);
  t->italic = FontComponentOf(record, kFontItalic);
  t->strikeOut = FontComponentOf(record, kFontStrikeOut);
  t->underline = FontComponentOf(record, kFontUnderline);
  t->size = FontComponentOf(record, kFontSize);
  std::string face = FontFaceOf(record);
  t->face = static_cast<char*>(AllocBlock(int32_t(face.size() + 1)));
  std::memcpy(t->face, face.c_str(), face.size() + 1);
  return t;
}

std::vector<uint8_t> FontFromTransferRecord(const void* transfer) {
  std::vector<uint8_t> r = DefaultFontRecord();
  if (transfer == nullptr) return r;
  TransferRecord t;
  std::memcpy(&t, transfer, sizeof t);
  SetFontComponent(r, kFontAngle, t.angle);
  SetFontComponent(r, kFontBold, t.bold);
  SetFontComponent(r, kFontItalic, t.italic);
  SetFontComponent(r, kFontStrikeOut, t.strikeOut);
  SetFontComponent(r, kFontUnderline, t.underline);
  SetFontComponent(r, kFontSize, t.size);
  SetFontFace(r, t.face != nullptr ? std::string(t.face) : std::string());
  return r;
}

}  // namespace vorenn

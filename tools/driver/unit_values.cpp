#include "tools/driver/unit_values.h"

#include <vector>

#include "engine/core/memory.h"
#include "engine/runtime/services.h"
#include "engine/units/unit_contract.h"
#include "engine/units/unit_properties.h"
#include "platform/gbk_text.h"

namespace vorenn::driver {
namespace {

void* PointerOf(PropertyValue v) {
  return reinterpret_cast<void*>(uintptr_t(v.low) | (uint64_t(v.high) << 32));
}

// The transfer form of a property, or false when the unit's type has no such property.
bool FormOf(const UnitAt& unit, int index, TransferForm* form, std::string* error) {
  const TypeDescriptor* type = UnitTypeDescriptor(unit.record->type);
  uint16_t kind = type != nullptr && index >= 0 ? PropertyKindOf(*type, index) : 0;
  if (kind == 0) {
    *error = "the unit has no property " + std::to_string(index);
    return false;
  }
  // Reading a unit's own property without its window is a fatal error of the program's; the
  // driver only looks, so it declines instead.
  if (index >= 8 && !HasLiveWindow(*unit.record)) {
    *error = "the unit has no window";
    return false;
  }
  *form = TransferFormOf(kind);
  if (*form == TransferForm::Font) {
    *error = "font properties are not handled";
    return false;
  }
  return true;
}

std::string Hex(const std::vector<uint8_t>& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (uint8_t b : bytes) {
    text += kDigits[b >> 4];
    text += kDigits[b & 15];
  }
  return text;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseHexBytes(std::string_view text, std::vector<uint8_t>* bytes) {
  if (text.size() % 2 != 0) return false;
  for (size_t i = 0; i < text.size(); i += 2) {
    int hi = HexDigit(text[i]), lo = HexDigit(text[i + 1]);
    if (hi < 0 || lo < 0) return false;
    bytes->push_back(uint8_t(hi * 16 + lo));
  }
  return true;
}

bool ParseLogical(std::string_view text, int64_t* value) {
  if (text == "true") return *value = 1, true;
  if (text == "false") return *value = 0, true;
  return ParseInteger(text, value);
}

}  // namespace

bool ParseInteger(std::string_view text, int64_t* value) {
  bool negative = !text.empty() && text[0] == '-';
  if (negative) text.remove_prefix(1);
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty() || text.size() > (base == 16 ? 16u : 18u)) return false;
  uint64_t n = 0;
  for (char c : text) {
    int digit = HexDigit(c);
    if (digit < 0 || digit >= base) return false;
    n = n * uint64_t(base) + uint64_t(digit);
  }
  *value = int64_t(negative ? 0 - n : n);  // unsigned wrap: 0x words of any size fit
  return true;
}

bool ReadPropertyText(const UnitAt& unit, int index, std::string* value, std::string* error) {
  TransferForm form;
  if (!FormOf(unit, index, &form, error)) return false;
  PropertyValue v = ReadProperty(unit.WindowId(), unit.UnitId(), index, -1);
  switch (form) {
    case TransferForm::Word:
    case TransferForm::Colour:
    case TransferForm::ColourOrDefault:
      // Colours are 0x00BBGGRR words and the default colour is 0xFF000000: unsigned.
      *value = form == TransferForm::Word ? std::to_string(int32_t(v.low)) : std::to_string(v.low);
      return true;
    case TransferForm::TwoWords:
      *value = std::to_string(int64_t(uint64_t(v.low) | (uint64_t(v.high) << 32)));
      return true;
    case TransferForm::Logical:
      *value = v.low == 1 ? "1" : "0";
      return true;
    case TransferForm::Text: {
      void* block = PointerOf(v);
      *value = platform::GbkToUtf8(TextOfBlock(block));
      FreeBlock(block);
      return true;
    }
    case TransferForm::Bytes:
    case TransferForm::Pointer: {
      void* block = PointerOf(v);
      *value = Hex(BytesOfBlock(block));
      FreeBlock(block);
      return true;
    }
    case TransferForm::Font: break;
  }
  *error = "unhandled property kind";
  return false;
}

bool WritePropertyText(const UnitAt& unit, int index, std::string_view text, std::string* error) {
  TransferForm form;
  if (!FormOf(unit, index, &form, error)) return false;
  int64_t n = 0;
  switch (form) {
    case TransferForm::Word:
    case TransferForm::Colour:
    case TransferForm::ColourOrDefault:
    case TransferForm::TwoWords:
      if (!ParseInteger(text, &n)) break;
      WriteProperty(unit.WindowId(), unit.UnitId(), index, -1, uint32_t(uint64_t(n)), uint32_t(uint64_t(n) >> 32));
      return true;
    case TransferForm::Logical:
      if (!ParseLogical(text, &n)) break;
      WriteProperty(unit.WindowId(), unit.UnitId(), index, -1, uint32_t(n), 0);
      return true;
    case TransferForm::Text:
    case TransferForm::Bytes:
    case TransferForm::Pointer: {
      void* block = nullptr;
      if (form == TransferForm::Text) {
        if (!HasGbkForm(text)) {
          *error = "\"" + std::string(text) + "\" has characters that GBK lacks";
          return false;
        }
        block = NewTextBlock(platform::Utf8ToGbk(text));
      } else {
        std::vector<uint8_t> bytes;
        if (!ParseHexBytes(text, &bytes)) break;
        block = NewBytesBlock(bytes);
      }
      uintptr_t p = reinterpret_cast<uintptr_t>(block);
      // The property keeps its own copy; the block stays the writer's.
      WriteProperty(unit.WindowId(), unit.UnitId(), index, -1, uint32_t(p), uint32_t(uint64_t(p) >> 32));
      FreeBlock(block);
      return true;
    }
    case TransferForm::Font: break;
  }
  *error = "\"" + std::string(text) + "\" does not fit property " + std::to_string(index);
  return false;
}

bool HasGbkForm(std::string_view utf8) { return platform::GbkToUtf8(platform::Utf8ToGbk(utf8)) == utf8; }

bool ValuesMatch(std::string_view actual, std::string_view expected) {
  if (actual == expected) return true;
  int64_t a = 0, e = 0;
  return ParseInteger(actual, &a) && ParseLogical(expected, &e) && a == e;
}

}  // namespace vorenn::driver

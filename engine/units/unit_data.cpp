#include "engine/units/unit_data.h"

#include "engine/templates/template_reader.h"

namespace vorenn {
namespace {

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

void PutCounted(std::vector<uint8_t>& out, const uint8_t* data, size_t size) {
  PutU32(out, uint32_t(size));
  out.insert(out.end(), data, data + size);
}

}  // namespace

PropertyStore::PropertyStore(int propertyCount) : values_(propertyCount > 8 ? size_t(propertyCount - 8) : 0) {}

const UnitValue& PropertyStore::Get(int index) const {
  static const UnitValue kEmpty;
  return Has(index) ? values_[size_t(index - 8)] : kEmpty;
}

void PropertyStore::Set(int index, UnitValue value) {
  if (Has(index)) values_[size_t(index - 8)] = std::move(value);
}

bool PropertyStore::Read(const UnitLayout& layout, std::span<const uint8_t> data) {
  if (data.empty()) return true;
  TemplateReader in(data);
  uint32_t version = in.U32();
  if (in.Failed() || version > layout.highestVersion) return false;
  for (const DataField& field : layout.fields) {
    if (version < field.sinceVersion) continue;
    switch (field.form) {
      case FieldForm::Word:
        SetWord(field.property, in.U32());
        break;
      case FieldForm::Text: {
        std::string_view t = in.Text();
        Set(field.property, UnitValue::OfText(std::string(t)));
        break;
      }
      case FieldForm::Buffer: {
        std::span<const uint8_t> b = in.Buffer();
        Set(field.property, UnitValue::OfBytes({b.begin(), b.end()}));
        break;
      }
      case FieldForm::Reserved:
        in.U32();
        break;
    }
    if (in.Failed()) return false;
  }
  return true;
}

std::vector<uint8_t> PropertyStore::Write(const UnitLayout& layout) const {
  std::vector<uint8_t> out;
  PutU32(out, layout.highestVersion);
  for (const DataField& field : layout.fields) {
    const UnitValue& v = Get(field.property);
    switch (field.form) {
      case FieldForm::Word:
        PutU32(out, uint32_t(v.number));
        break;
      case FieldForm::Text:
        PutCounted(out, reinterpret_cast<const uint8_t*>(v.text.data()), v.text.size());
        break;
      case FieldForm::Buffer:
        PutCounted(out, v.bytes.data(), v.bytes.size());
        break;
      case FieldForm::Reserved:
        PutU32(out, 0);
        break;
    }
  }
  return out;
}

}  // namespace vorenn

#include "json/json_value.h"

#include <utility>

#include "commands/conversion_commands.h"
#include "commands/map.h"
#include "commands/text_commands.h"
#include "json/json_number.h"

namespace vorenn {

namespace json_tag {
const char kNull[] = "空";
const char kArray[] = "数组";
const char kBig[] = "大数";
const char kLong[] = "长";
const char kFloat[] = "浮点";
const char kText[] = "文本";
const char kObject[] = "对象";
const char kBoolean[] = "逻辑";
const char kUnknown[] = "未知";
}  // namespace json_tag

using namespace json_tag;

namespace {
const char kTrue[] = "true";
const char kFalse[] = "false";
}  // namespace

JsonValue::JsonValue() : typeName_(kNull), members_(MapCreate()) {}

JsonValue::~JsonValue() { MapFree(members_); }

std::unique_ptr<JsonValue> JsonValue::Copy() const {
  auto copy = std::make_unique<JsonValue>();
  copy->typeName_ = typeName_;
  copy->content_ = content_;
  copy->elements_ = elements_;
  MapFree(copy->members_);
  copy->members_ = MapCopy(members_);
  return copy;
}

void JsonValue::Clear() {
  typeName_ = kNull;
  content_.clear();
  elements_.clear();
  MapClear(members_);
}

std::string JsonValue::TypeName(std::string_view newName, bool set) {
  if (set) typeName_ = std::string(newName);
  return typeName_;
}

namespace {

// The kind tags are double-byte characters only, and such a tag matches only its own bytes when
// ASCII case is ignored: case applies to single-byte letters, and a double-byte character
// compares as one unit.
bool IsKindTag(const char* tag) {
  for (const char* kind : {kNull, kArray, kBig, kLong, kFloat, kText, kObject, kBoolean, kUnknown})
    if (tag == kind) return true;
  return false;
}

bool SameBytes(const std::string& name, const char* tag) {
  size_t i = 0;
  while (i < name.size() && tag[i] != '\0' && name[i] == tag[i]) ++i;
  return i == name.size() && tag[i] == '\0';
}

}  // namespace

bool JsonValue::HasTag(const char* tag) const {
  if (IsKindTag(tag)) return SameBytes(typeName_, tag);
  return CompareText(typeName_, tag, CaseMode::kIgnoreAscii) == 0;
}

void JsonValue::BecomeKind(const char* tag) {
  if (HasTag(tag)) return;
  Clear();
  typeName_ = tag;
}

int32_t JsonValue::ArraySize() const { return HasTag(kArray) ? int32_t(elements_.size()) : 0; }

std::unique_ptr<JsonValue> JsonValue::GetMember(std::string_view name) const {
  return FromBlob(GetMemberBlob(name));
}

std::unique_ptr<JsonValue> JsonValue::GetElement(int32_t index) const {
  if (index < 1 || index > ArraySize()) return std::make_unique<JsonValue>();
  return FromBlob(elements_[size_t(index - 1)]);
}

bool JsonValue::SetMember(std::string_view name, const JsonValue& value) {
  if (name.empty()) return false;
  BecomeKind(kObject);
  StoreMemberBlob(name, value.ToBlob());
  return true;
}

void JsonValue::Append(const JsonValue& value) {
  BecomeKind(kArray);
  elements_.push_back(value.ToBlob());
}

bool JsonValue::RemoveMember(std::string_view name) {
  return HasMember(name) && MapRemove(members_, name);
}

int32_t JsonValue::RemoveElement(int32_t index) {
  if (index < 1 || index > ArraySize()) return 0;
  elements_.erase(elements_.begin() + (index - 1));
  return 1;
}

bool JsonValue::HasMember(std::string_view name) const {
  return !name.empty() && HasTag(kObject) && MapFind(members_, name) != nullptr;
}

int32_t JsonValue::MemberNames(std::vector<std::string>& names) const {
  if (!HasTag(kObject)) return 0;
  names = MapKeyList(members_);
  return int32_t(names.size());
}

bool JsonValue::IsNull() const { return HasTag(kNull); }

int64_t JsonValue::AsLong() const { return TextToLong(content_); }

std::string JsonValue::AsText() const { return content_; }

double JsonValue::AsFloat() const { return TextToNumber(content_); }

bool JsonValue::AsBoolean() const { return content_ == kTrue; }

void JsonValue::SetLong(int64_t value) {
  BecomeKind(kLong);
  content_ = std::to_string(value);
}

void JsonValue::SetFloat(double value) {
  BecomeKind(kFloat);
  content_ = DoubleToText(value);
}

void JsonValue::SetBigNumber(std::string_view digits) {
  BecomeKind(kBig);
  content_ = std::string(digits);
}

void JsonValue::SetText(std::string_view text) {
  BecomeKind(kText);
  content_ = std::string(text);
}

void JsonValue::SetBoolean(bool value) {
  BecomeKind(kBoolean);
  content_ = value ? kTrue : kFalse;
}

void JsonValue::SetNull() { Clear(); }

std::string JsonValue::EmptyText() const { return std::string(); }

int32_t JsonValue::ElementBlobs(std::vector<std::string>& blobs) const {
  blobs = elements_;
  return ArraySize();
}

std::string JsonValue::GetMemberBlob(std::string_view name) const { return std::string(MemberBlobAt(name)); }

std::string_view JsonValue::MemberBlobAt(std::string_view name) const {
  if (!HasTag(kObject)) return {};
  return ENodeBytes(MapFind(members_, name), name).value_or(std::string_view());
}

void JsonValue::AppendBlob(std::string_view blob) {
  typeName_ = kArray;
  elements_.emplace_back(blob);
}

void JsonValue::SetMemberBlob(std::string_view name, std::string_view blob) {
  if (name.empty()) return;  // the map holds no empty keys
  typeName_ = kObject;
  StoreMemberBlob(name, std::string(blob));
}

void JsonValue::TakeElementBlob(std::string blob) {
  typeName_ = kArray;
  elements_.push_back(std::move(blob));
}

void JsonValue::TakeMemberBlob(std::string_view name, std::string blob) {
  if (name.empty()) return;
  typeName_ = kObject;
  StoreMemberBlob(name, std::move(blob));
}

// The node is built in place and moved into the map: a member blob may be most of a document, so
// it is copied into the map once rather than once per hand-over.
void JsonValue::StoreMemberBlob(std::string_view name, std::string blob) {
  ENodeAttribute attribute;
  attribute.name = std::string(name);
  attribute.kind = AttributeKind::Bytes;
  attribute.data = std::move(blob);
  ENode node;
  node.Add(std::move(attribute));
  Map::Entries& entries = members_->entries();
  auto it = entries.find(name);
  if (it != entries.end()) {
    it->second = std::move(node);
  } else {
    entries.emplace(std::string(name), std::move(node));
  }
}

}  // namespace vorenn

// JsonValue::ToBlob and JsonValue::FromBlob: the value blob laid out in json/json_value.h.
#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

#include "commands/map.h"
#include "json/internal/blob_fields.h"
#include "json/json_value.h"

namespace vorenn {

using namespace json_tag;

namespace {

using json_blob::AppendField;
using json_blob::AppendFixed;
using BlobReader = json_blob::Reader;

}  // namespace

std::string JsonValue::ToBlob() const {
  std::string out;
  AppendField(out, typeName_);
  if (HasTag(kBig) || HasTag(kText)) {
    AppendField(out, content_);
  } else if (HasTag(kLong)) {
    AppendFixed(out, AsLong());
  } else if (HasTag(kFloat)) {
    AppendFixed(out, AsFloat());
  } else if (HasTag(kArray)) {
    size_t bytes = typeName_.size() + 8;
    for (const auto& element : elements_) bytes += 4 + element.size();
    out.reserve(bytes);
    AppendFixed(out, int32_t(elements_.size()));
    for (const auto& element : elements_) AppendField(out, element);
  } else if (HasTag(kObject)) {
    // The map's order is the key order; a node without its blob writes an empty one.
    const Map::Entries& entries = members_->entries();
    AppendFixed(out, int32_t(entries.size()));
    for (const auto& [name, node] : entries) {
      AppendField(out, name);
      AppendField(out, ENodeBytes(&node, name).value_or(std::string_view()));
    }
  } else if (HasTag(kBoolean)) {
    AppendField(out, AsBoolean() ? "true" : "false");
  }
  return out;
}

std::unique_ptr<JsonValue> JsonValue::FromBlob(std::string_view blob) {
  auto value = std::make_unique<JsonValue>();
  BlobReader in(blob);
  auto tag = in.Field();
  if (!tag) return value;
  value->TypeName(*tag, /*set=*/true);
  if (value->HasTag(kBig)) {
    if (auto text = in.Field()) value->SetBigNumber(*text);
  } else if (value->HasTag(kLong)) {
    if (auto n = in.Fixed<int64_t>()) value->SetLong(*n);
  } else if (value->HasTag(kFloat)) {
    if (auto d = in.Fixed<double>()) value->SetFloat(*d);
  } else if (value->HasTag(kText)) {
    if (auto text = in.Field()) value->SetText(*text);
  } else if (value->HasTag(kArray)) {
    auto count = in.Fixed<int32_t>();
    for (int32_t i = 0; count && i < *count; ++i) {
      auto element = in.Field();
      if (!element) break;
      value->AppendBlob(*element);
    }
  } else if (value->HasTag(kObject)) {
    auto count = in.Fixed<int32_t>();
    for (int32_t i = 0; count && i < *count; ++i) {
      auto name = in.Field();
      auto member = name ? in.Field() : std::nullopt;
      if (!member) break;
      value->SetMemberBlob(*name, *member);
    }
  } else if (value->HasTag(kBoolean)) {
    if (auto text = in.Field()) value->SetBoolean(*text == "true");
  }
  return value;
}

std::string_view JsonValue::ElementBlobAt(int32_t index) const {
  if (index < 1 || index > ArraySize()) return {};
  return elements_[size_t(index - 1)];
}

int32_t JsonValue::ElementBlobsInBlob(std::string_view arrayBlob, std::vector<std::string_view>& elements) {
  elements.clear();
  BlobReader in(arrayBlob);
  auto tag = in.Field();
  if (!tag || *tag != std::string_view(kArray)) return 0;
  auto count = in.Fixed<int32_t>();
  // Each element takes at least its 4-byte count: a count larger than the blob can hold is not
  // reserved for.
  if (count && *count > 0) elements.reserve(std::min(size_t(*count), arrayBlob.size() / sizeof(int32_t)));
  for (int32_t i = 0; count && i < *count; ++i) {
    auto element = in.Field();
    if (!element) break;
    elements.push_back(*element);
  }
  return int32_t(elements.size());
}

std::string_view JsonValue::MemberTextInBlob(std::string_view objectBlob, std::string_view name, std::string& scratch) {
  BlobReader in(objectBlob);
  auto tag = in.Field();
  if (!tag || *tag != std::string_view(kObject) || name.empty()) return {};
  // Members are read into a map, where a later member of the same name replaces an earlier one.
  std::optional<std::string_view> found;
  auto count = in.Fixed<int32_t>();
  for (int32_t i = 0; count && i < *count; ++i) {
    auto memberName = in.Field();
    auto member = memberName ? in.Field() : std::nullopt;
    if (!member) break;
    if (*memberName == name) found = *member;
  }
  if (!found) return {};
  BlobReader member(*found);
  auto kind = member.Field();
  if (kind && (*kind == std::string_view(kText) || *kind == std::string_view(kBig)))
    return member.Field().value_or(std::string_view());
  scratch = FromBlob(*found)->AsText();
  return scratch;
}

}  // namespace vorenn

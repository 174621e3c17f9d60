// JsonValue::ToBlob and JsonValue::FromBlob: the value blob laid out in json/json_value.h.
#include <cstring>
#include <optional>

#include "commands/memory_file.h"
#include "json/json_value.h"

namespace vorenn {

using namespace json_tag;

namespace {

// Writes blob fields into an in-memory file and hands back its whole content.
class BlobWriter {
 public:
  BlobWriter() : file_(OpenMemoryFile()) {}
  ~BlobWriter() { CloseFile(file_); }
  BlobWriter(const BlobWriter&) = delete;
  BlobWriter& operator=(const BlobWriter&) = delete;

  template <typename T>
  void Fixed(T value) {
    uint8_t raw[sizeof value];
    std::memcpy(raw, &value, sizeof value);
    WriteBytes(file_, raw);
  }
  void Field(std::string_view bytes) {
    Fixed(int32_t(bytes.size()));
    WriteBytes(file_, std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
  }
  std::string Content() {
    SeekToFileStart(file_);
    std::vector<uint8_t> bytes = ReadBytes(file_, GetFileLength(file_));
    return std::string(bytes.begin(), bytes.end());
  }

 private:
  FileNumber file_;
};

// Reads blob fields; every read checks the bytes that are left, so a blob cut short (or one with
// counts that do not fit) ends the reading instead of running past the end.
class BlobReader {
 public:
  explicit BlobReader(std::string_view blob) : rest_(blob) {}

  template <typename T>
  std::optional<T> Fixed() {
    if (rest_.size() < sizeof(T)) return std::nullopt;
    T value;
    std::memcpy(&value, rest_.data(), sizeof value);
    rest_.remove_prefix(sizeof value);
    return value;
  }
  std::optional<std::string_view> Field() {
    auto n = Fixed<int32_t>();
    if (!n || *n < 0 || size_t(*n) > rest_.size()) return std::nullopt;
    std::string_view field = rest_.substr(0, size_t(*n));
    rest_.remove_prefix(size_t(*n));
    return field;
  }

 private:
  std::string_view rest_;
};

}  // namespace

std::string JsonValue::ToBlob() const {
  BlobWriter out;
  out.Field(typeName_);
  if (HasTag(kBig) || HasTag(kText)) {
    out.Field(content_);
  } else if (HasTag(kLong)) {
    out.Fixed(AsLong());
  } else if (HasTag(kFloat)) {
    out.Fixed(AsFloat());
  } else if (HasTag(kArray)) {
    out.Fixed(int32_t(elements_.size()));
    for (const auto& element : elements_) out.Field(element);
  } else if (HasTag(kObject)) {
    std::vector<std::string> names;
    MemberNames(names);
    out.Fixed(int32_t(names.size()));
    for (const auto& name : names) {
      out.Field(name);
      out.Field(GetMemberBlob(name));
    }
  } else if (HasTag(kBoolean)) {
    out.Field(AsBoolean() ? "true" : "false");
  }
  return out.Content();
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

}  // namespace vorenn

// JsonValue: one JSON value of any kind, tagged with a text.
//
// Every scalar keeps its content as text. A container does not hold child objects: each child is
// kept as a value blob (below), and every read rebuilds a fresh, independent value from it, so
// changing a child that was read never changes its parent; to change a member, set it again.
// Elements are a list of blobs; members live in a Map whose key is the member name's bytes and
// whose node holds one byte-array attribute, named after the member, holding the member's blob.
//
// Kind tags (GBK texts, compared without regard to ASCII case):
//   "空" null (also a new or cleared value)   "数组" array      "大数" big number (decimal digits)
//   "长" 64-bit integer                        "浮点" double     "文本" text
//   "对象" object                              "逻辑" boolean ("true"/"false")
//   "未知" a token the parser did not recognise (content: the token as read)
//
// Value blob. Integers little-endian; a text field is an int32 byte count n followed by n GBK bytes
// (no terminator); a bytes field is the same with raw bytes. The empty blob is a null value.
//   offset  size  meaning
//   0       4+n   tag, as a text field (every kind)
//   then, by tag:
//     "大数"   content as a text field
//     "长"     8: int64, the value of AsLong
//     "浮点"   8: IEEE double, the value of AsFloat
//     "文本"   content as a text field
//     "数组"   4: int32 element count c; then c bytes fields, each an element's blob
//     "对象"   4: int32 member count c; then c pairs: the name as a text field, the member's blob
//              as a bytes field (names in the map's key order)
//     "逻辑"   "true" or "false" as a text field
//     other   nothing ("空", "未知" and any tag set by hand)
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vorenn {

class Map;

namespace json_tag {
extern const char kNull[];     // "空"
extern const char kArray[];    // "数组"
extern const char kBig[];      // "大数"
extern const char kLong[];     // "长"
extern const char kFloat[];    // "浮点"
extern const char kText[];     // "文本"
extern const char kObject[];   // "对象"
extern const char kBoolean[];  // "逻辑"
extern const char kUnknown[];  // "未知"
}  // namespace json_tag

class JsonValue {
 public:
  JsonValue();  // a null value
  JsonValue(const JsonValue&) = delete;
  JsonValue& operator=(const JsonValue&) = delete;

  // The operations, in the order of the class's table of virtual operations.
  virtual ~JsonValue();
  virtual std::unique_ptr<JsonValue> Copy() const;  // deep copy
  // Tag "空", empty content, no elements, no members.
  virtual void Clear();
  // When `set`, first overwrites the tag (content, elements and members stay); returns the tag.
  virtual std::string TypeName(std::string_view newName = {}, bool set = false);
  // The element count of an array ("数组"), otherwise 0.
  virtual int32_t ArraySize() const;
  // A copy of the member; a new null value when this is not an object or has no such member.
  virtual std::unique_ptr<JsonValue> GetMember(std::string_view name) const;
  // A copy of the element at the 1-based index; a new null value outside 1..ArraySize.
  virtual std::unique_ptr<JsonValue> GetElement(int32_t index) const;
  // An empty name does nothing and gives false. Otherwise makes this an object (clearing it when
  // it was something else) and stores a copy of `value` under the name, replacing a member of that
  // name; true.
  virtual bool SetMember(std::string_view name, const JsonValue& value);
  // Makes this an array (clearing it when it was something else) and appends a copy of `value`.
  virtual void Append(const JsonValue& value);
  // Removes the member when HasMember; false otherwise.
  virtual bool RemoveMember(std::string_view name);
  // For an array and 1 <= index <= ArraySize: removes that element (later ones move up) and gives
  // 1; otherwise 0 and nothing changes.
  virtual int32_t RemoveElement(int32_t index);
  // True for a non-empty name of a member of an object.
  virtual bool HasMember(std::string_view name) const;
  // For an object: `names` becomes the member names in key order (shorter names first, names of
  // equal length by their unsigned bytes) and the result is their count. Otherwise 0 and `names`
  // is left alone.
  virtual int32_t MemberNames(std::vector<std::string>& names) const;
  virtual bool IsNull() const;
  // An integer text (optional sign, decimal digits) that fits 64 bits converts exactly; any other
  // content goes through the text-to-number conversion and is truncated toward zero, saturating at
  // the ends of the 64-bit range (NaN gives 0).
  virtual int64_t AsLong() const;
  virtual std::string AsText() const;  // the content; empty for containers and null
  virtual double AsFloat() const;      // the content through the text-to-number conversion
  virtual bool AsBoolean() const;      // content is exactly "true"
  // The setters clear the value first when its tag changes, then store their content.
  virtual void SetLong(int64_t value);
  virtual void SetFloat(double value);  // content: the double's "%.13g" text
  virtual void SetBigNumber(std::string_view digits);
  virtual void SetText(std::string_view text);
  virtual void SetBoolean(bool value);
  virtual void SetNull();
  virtual std::string EmptyText() const;
  // `blobs` becomes copies of the element blobs; the result is ArraySize.
  virtual int32_t ElementBlobs(std::vector<std::string>& blobs) const;
  // The member's blob; empty when this is not an object or the member is missing.
  virtual std::string GetMemberBlob(std::string_view name) const;
  // These two take a ready blob and set the tag "数组" or "对象" without clearing anything.
  virtual void AppendBlob(std::string_view blob);
  virtual void SetMemberBlob(std::string_view name, std::string_view blob);

  // The tag, for readers that hold the value as const.
  const std::string& Tag() const { return typeName_; }

  // Reading without rebuilding values, for long arrays read element by element.
  // The blob of the element at the 1-based index, in place; empty outside 1..ArraySize. It stays
  // valid while this value is not changed.
  std::string_view ElementBlobAt(int32_t index) const;
  // What GetMemberBlob gives, in place; valid while this value is not changed.
  std::string_view MemberBlobAt(std::string_view name) const;
  // The elements FromBlob(arrayBlob) would hold, in place: `elements` becomes views of their blobs
  // inside arrayBlob, and the result is their count (0 when the blob is not an array's).
  static int32_t ElementBlobsInBlob(std::string_view arrayBlob, std::vector<std::string_view>& elements);
  // What FromBlob(objectBlob)->GetMember(name)->AsText() gives. A text or big-number member is read
  // in place; any other kind is rebuilt into `scratch`, which the result then points into.
  static std::string_view MemberTextInBlob(std::string_view objectBlob, std::string_view name, std::string& scratch);

  // As AppendBlob and SetMemberBlob, taking the blob over instead of copying it: the parser hands
  // over each top-level member or element once it is written.
  void TakeElementBlob(std::string blob);
  void TakeMemberBlob(std::string_view name, std::string blob);

  // The value's blob (layout above).
  std::string ToBlob() const;
  // A new value rebuilt from a blob. The empty blob gives a null value; a blob cut short keeps
  // what was read before the cut.
  static std::unique_ptr<JsonValue> FromBlob(std::string_view blob);

 private:
  bool HasTag(const char* tag) const;
  // Makes the tag `tag`, clearing the value first when it was another.
  void BecomeKind(const char* tag);
  // Stores the blob under the non-empty name, replacing a member of that name.
  void StoreMemberBlob(std::string_view name, std::string blob);

  std::string typeName_;
  std::string content_;
  std::vector<std::string> elements_;
  Map* members_;  // never null; owned
};

}  // namespace vorenn

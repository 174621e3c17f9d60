// ENode: a small record of named, typed attributes (data-structure library, type 1).
//
// Attributes keep the order in which they were added; names are unique within a node and compared
// byte for byte. Every value is an owned copy. A missing node (null pointer) is a valid state for
// every function below: reads find nothing, writes report false.
#pragma once

#include <cstddef>  // engine/core/runtime_value.h uses offsetof
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/runtime_value.h"

namespace vorenn {

constexpr uint32_t kTypeENode = 0x00060001;

enum class AttributeKind : int32_t { Number = 0, Bool = 1, DateTime = 2, Text = 3, Bytes = 4 };

struct ENodeAttribute {
  std::string name;
  AttributeKind kind = AttributeKind::Number;
  double number = 0;   // Number and DateTime
  int32_t flag = 0;    // Bool: 0 or 1
  std::string data;    // Text (without terminator) and Bytes
};

class ENode {
 public:
  const ENodeAttribute* Find(std::string_view name) const;
  // Appends the attribute; false (and nothing changed) when its name is empty or already present.
  bool Add(ENodeAttribute attribute);
  const std::vector<ENodeAttribute>& Attributes() const { return attributes_; }

 private:
  std::vector<ENodeAttribute> attributes_;  // short lists: searched linearly
};

ENode* ENodeCreate();
void ENodeFree(ENode* node);
// A deep copy; a missing node copies to a new empty node.
ENode* ENodeCopy(const ENode* node);

// Appends an attribute holding a copy of `value`: bool -> Bool, date-time -> DateTime, text -> Text,
// byte array -> Bytes, every numeric kind -> Number (as a double). False for a missing node, an
// empty name, a name already present (the first value stays) and any other kind of value (arrays,
// object types, subroutine pointers). Text and byte-array values are engine blocks (null = empty).
bool ENodeSetAttribute(ENode* node, std::string_view name, const RuntimeValue& value);
// The byte-array attribute appended directly from C++ (same rules as above).
bool ENodeSetBytes(ENode* node, std::string_view name, std::string_view bytes);

// Reads a byte-array attribute into *variable (a bytes block, null = empty): false and the variable
// unchanged when the attribute is missing or not a byte array; otherwise the previous block is
// freed and replaced by a new block holding a copy (null for zero bytes).
bool ENodeGetBytes(const ENode* node, std::string_view name, void** variable);
// The bytes of a byte-array attribute, viewed in place; nullopt when missing or of another kind.
std::optional<std::string_view> ENodeBytes(const ENode* node, std::string_view name);

}  // namespace vorenn

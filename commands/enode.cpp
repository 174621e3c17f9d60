#include "commands/enode.h"

#include <cstring>
#include <utility>

#include "commands/data_structure_library_blocks.h"

namespace vorenn {

const ENodeAttribute* ENode::Find(std::string_view name) const {
  for (const auto& a : attributes_) {
    if (a.name == name) return &a;
  }
  return nullptr;
}

bool ENode::Add(ENodeAttribute attribute) {
  if (attribute.name.empty() || Find(attribute.name) != nullptr) return false;
  attributes_.push_back(std::move(attribute));
  return true;
}

ENode* ENodeCreate() { return new ENode; }

void ENodeFree(ENode* node) { delete node; }

ENode* ENodeCopy(const ENode* node) { return node ? new ENode(*node) : new ENode; }

namespace {

// The stored kind and payload of a runtime value, or nullopt for kinds an attribute cannot hold.
std::optional<ENodeAttribute> AttributeOf(const RuntimeValue& value) {
  ENodeAttribute a;
  if (value.type & kArrayFlag) return std::nullopt;
  switch (value.type) {
    case kTypeByte: a.number = double(uint8_t(value.low)); break;
    case kTypeShort: a.number = double(int16_t(uint16_t(value.low))); break;
    case kTypeInt: a.number = double(int32_t(value.low)); break;
    case kTypeLong: a.number = double(LongOf(value)); break;
    case kTypeFloat: {
      float f;
      std::memcpy(&f, &value.low, sizeof f);
      a.number = double(f);
      break;
    }
    case kTypeDouble: a.number = DoubleOf(value); break;
    case kTypeBool:
      a.kind = AttributeKind::Bool;
      a.flag = value.low != 0 ? 1 : 0;
      break;
    case kTypeDateTime:
      a.kind = AttributeKind::DateTime;
      a.number = DoubleOf(value);
      break;
    case kTypeText:
      a.kind = AttributeKind::Text;
      a.data = TextOfBlock(PointerOf(value));
      break;
    case kTypeBytes:
      a.kind = AttributeKind::Bytes;
      a.data = BytesOfBlock(PointerOf(value));
      break;
    default: return std::nullopt;
  }
  return a;
}

}  // namespace

bool ENodeSetAttribute(ENode* node, std::string_view name, const RuntimeValue& value) {
  if (node == nullptr || name.empty()) return false;
  auto attribute = AttributeOf(value);
  if (!attribute) return false;
  attribute->name = std::string(name);
  return node->Add(std::move(*attribute));
}

bool ENodeSetBytes(ENode* node, std::string_view name, std::string_view bytes) {
  if (node == nullptr) return false;
  ENodeAttribute a;
  a.name = std::string(name);
  a.kind = AttributeKind::Bytes;
  a.data = std::string(bytes);
  return node->Add(std::move(a));
}

bool ENodeGetBytes(const ENode* node, std::string_view name, void** variable) {
  auto bytes = ENodeBytes(node, name);
  if (!bytes || variable == nullptr) return false;
  void* copy = NewBytesBlock(*bytes);
  FreeBlock(*variable);
  *variable = copy;
  return true;
}

std::optional<std::string_view> ENodeBytes(const ENode* node, std::string_view name) {
  if (node == nullptr) return std::nullopt;
  const ENodeAttribute* a = node->Find(name);
  if (a == nullptr || a->kind != AttributeKind::Bytes) return std::nullopt;
  return std::string_view(a->data);
}

}  // namespace vorenn

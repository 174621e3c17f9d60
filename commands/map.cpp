#include "commands/map.h"

#include <cstring>

#include "commands/data_structure_library_blocks.h"

namespace vorenn {

bool MapKeyOrder::operator()(std::string_view a, std::string_view b) const {
  if (a.size() != b.size()) return a.size() < b.size();
  return a.empty() ? false : std::memcmp(a.data(), b.data(), a.size()) < 0;
}

Map* MapCreate() { return new Map; }

void MapFree(Map* map) { delete map; }

Map* MapCopy(const Map* source) { return source ? new Map(*source) : new Map; }

bool MapClear(Map* map) {
  if (map == nullptr) return false;
  map->entries().clear();
  return true;
}

bool MapSet(Map* map, std::string_view key, const ENode* node) {
  if (map == nullptr || key.empty()) return false;
  ENode copy = node ? *node : ENode();
  auto& entries = map->entries();
  auto it = entries.find(key);
  if (it != entries.end()) {
    it->second = std::move(copy);
  } else {
    entries.emplace(std::string(key), std::move(copy));
  }
  return true;
}

bool MapRemove(Map* map, std::string_view key) {
  if (map == nullptr) return false;
  auto& entries = map->entries();
  auto it = entries.find(key);
  if (it == entries.end()) return false;
  entries.erase(it);
  return true;
}

bool MapGet(const Map* map, std::string_view key, ENode** variable) {
  if (variable == nullptr) return false;
  ENodeFree(*variable);
  *variable = nullptr;
  const ENode* stored = MapFind(map, key);
  if (stored == nullptr) return false;
  *variable = ENodeCopy(stored);
  return true;
}

const ENode* MapFind(const Map* map, std::string_view key) {
  if (map == nullptr) return nullptr;
  auto it = map->entries().find(key);
  return it == map->entries().end() ? nullptr : &it->second;
}

std::vector<std::string> MapKeyList(const Map* map) {
  std::vector<std::string> keys;
  if (map == nullptr) return keys;
  keys.reserve(map->entries().size());
  for (const auto& [key, node] : map->entries()) keys.push_back(key);
  return keys;
}

void* MapKeys(const Map* map) {
  std::vector<void*> blocks;
  if (map != nullptr) {
    blocks.reserve(map->entries().size());
    for (const auto& [key, node] : map->entries()) blocks.push_back(NewBytesBlock(key));
  }
  return NewPointerArrayBlock(blocks);
}

}  // namespace vorenn

// Map: an ordered dictionary from non-empty byte-string keys to ENode copies (data-structure
// library, type 7).
//
// Key order: a shorter key sorts before a longer one; keys of equal length sort by their bytes as
// unsigned values. Storing a node stores a deep copy and reading one hands out a deep copy, so a
// node never aliases a map entry. Lookups, insertions and removals are logarithmic. A missing map
// (null pointer) is a valid state for every function below.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "commands/enode.h"

namespace vorenn {

constexpr uint32_t kTypeMap = 0x00060007;

struct MapKeyOrder {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const;
};

class Map {
 public:
  using Entries = std::map<std::string, ENode, MapKeyOrder>;

  const Entries& entries() const { return entries_; }
  Entries& entries() { return entries_; }

 private:
  Entries entries_;
};

Map* MapCreate();
void MapFree(Map* map);
// A new map holding copies of every entry of `source` (a new empty map when source is missing).
Map* MapCopy(const Map* source);

// Removes every entry; true when the map exists.
bool MapClear(Map* map);
// Stores a deep copy of `node` (an empty node when missing) under `key`, replacing what was there.
// False for a missing map or an empty key.
bool MapSet(Map* map, std::string_view key, const ENode* node);
// False when the key is absent.
bool MapRemove(Map* map, std::string_view key);
// Frees the node in *variable first; then, when the key is present, *variable gets a deep copy and
// the result is true; otherwise *variable stays null and the result is false.
bool MapGet(const Map* map, std::string_view key, ENode** variable);
// The stored node itself, for reading in place; null when absent. Valid until the map changes.
const ENode* MapFind(const Map* map, std::string_view key);
// Every key in key order (empty for a missing map).
std::vector<std::string> MapKeyList(const Map* map);
// The keys as an array block of bytes blocks, in key order; zero elements for an empty or missing map.
void* MapKeys(const Map* map);

}  // namespace vorenn

#include "commands/map.h"

#include <gtest/gtest.h>

#include <cstring>

#include "commands/data_structure_library.h"
#include "commands/data_structure_library_blocks.h"

namespace vorenn {
namespace {

std::string BytesAttr(const ENode* node, std::string_view name) {
  auto b = ENodeBytes(node, name);
  return b ? std::string(*b) : "<none>";
}

ENode* NodeWithBytes(std::string_view name, std::string_view bytes) {
  ENode* node = ENodeCreate();
  EXPECT_TRUE(ENodeSetBytes(node, name, bytes));
  return node;
}

TEST(MapKeyOrder, ShorterKeysFirstThenUnsignedBytes) {
  Map* map = MapCreate();
  for (std::string key : {std::string("bb"), std::string("\xff"), std::string("a"), std::string("\x01\x02"),
                          std::string("\x80\x00", 2), std::string("ab"), std::string("b"), std::string("abc")}) {
    ASSERT_TRUE(MapSet(map, key, nullptr));
  }
  std::vector<std::string> expected = {"a", "b", "\xff", std::string("\x01\x02"), "ab", "bb",
                                       std::string("\x80\x00", 2), "abc"};
  EXPECT_EQ(MapKeyList(map), expected);
  MapFree(map);
}

TEST(MapSet, SameKeyTwiceKeepsOneEntryWithTheSecondNode) {
  Map* map = MapCreate();
  ENode* first = NodeWithBytes("v", "1");
  ENode* second = NodeWithBytes("v", "2");
  EXPECT_TRUE(MapSet(map, "k", first));
  EXPECT_TRUE(MapSet(map, "k", second));
  EXPECT_EQ(map->entries().size(), 1u);
  EXPECT_EQ(BytesAttr(MapFind(map, "k"), "v"), "2");
  EXPECT_FALSE(MapSet(map, "", first));
  EXPECT_FALSE(MapSet(nullptr, "k", first));
  ENodeFree(first);
  ENodeFree(second);
  MapFree(map);
}

TEST(MapCopies, StoredReadAndCopiedNodesAreIndependent) {
  Map* map = MapCreate();
  ENode* node = NodeWithBytes("v", "stored");
  MapSet(map, "k", node);
  ENodeSetBytes(node, "w", "added later");  // changes the caller's node only
  ENodeFree(node);

  ENode* read = nullptr;
  ASSERT_TRUE(MapGet(map, "k", &read));
  EXPECT_EQ(BytesAttr(read, "w"), "<none>");
  ENodeSetBytes(read, "x", "changed copy");
  EXPECT_EQ(BytesAttr(MapFind(map, "k"), "x"), "<none>");

  Map* copy = MapCopy(map);
  MapRemove(map, "k");
  EXPECT_EQ(BytesAttr(MapFind(copy, "k"), "v"), "stored");

  // An absent key empties the variable.
  EXPECT_FALSE(MapGet(map, "k", &read));
  EXPECT_EQ(read, nullptr);
  EXPECT_FALSE(MapRemove(map, "k"));
  MapFree(copy);
  MapFree(map);
}

TEST(ENodeAttributes, NamesAreUniqueAndKindsChecked) {
  ENode* node = ENodeCreate();
  const char text[] = "hello";
  EXPECT_TRUE(ENodeSetAttribute(node, "n", MakeInt(7)));
  EXPECT_FALSE(ENodeSetAttribute(node, "n", MakeInt(8)));
  EXPECT_EQ(node->Find("n")->number, 7.0);
  EXPECT_TRUE(ENodeSetAttribute(node, "t", MakePointer(kTypeText, text)));
  EXPECT_TRUE(ENodeSetAttribute(node, "N", MakeBool(true)));  // names are case-sensitive
  EXPECT_FALSE(ENodeSetAttribute(node, "", MakeInt(1)));
  EXPECT_FALSE(ENodeSetAttribute(node, "a", MakePointer(kTypeInt | kArrayFlag, nullptr)));
  EXPECT_FALSE(ENodeSetAttribute(node, "m", MakePointer(kTypeMap, nullptr)));
  EXPECT_FALSE(ENodeSetAttribute(nullptr, "x", MakeInt(1)));

  void* bytes = NewBytesBlock("old");
  EXPECT_FALSE(ENodeGetBytes(node, "t", &bytes));  // a text attribute is not a byte array
  EXPECT_EQ(BytesOfBlock(bytes), "old");
  ENodeSetBytes(node, "b", std::string("\0\1", 2));
  EXPECT_TRUE(ENodeGetBytes(node, "b", &bytes));
  EXPECT_EQ(BytesOfBlock(bytes), std::string("\0\1", 2));
  FreeBlock(bytes);
  ENodeFree(node);
}

// The table entries, called the way the engine calls them: object arguments carry the address of
// the variable holding the object.
TEST(DataStructureLibrary, CommandsThroughTheTable) {
  Map* map = nullptr;
  ENode* node = nullptr;
  auto call = [](int index, std::vector<RuntimeValue> args) {
    RuntimeValue result{0, 0, 0};
    kDataStructureCommands[index](&result, int(args.size()), args.data());
    return result;
  };
  RuntimeValue mapVar = MakePointer(kTypeMap, &map);
  RuntimeValue nodeVar = MakePointer(kTypeENode, &node);
  call(kMapCreate, {mapVar});
  call(kENodeCreate, {nodeVar});
  ASSERT_NE(map, nullptr);
  ASSERT_NE(node, nullptr);

  const char name[] = "name";
  void* value = NewBytesBlock("blob");
  EXPECT_EQ(call(kENodeSetAttribute, {nodeVar, MakePointer(kTypeText, name), MakePointer(kTypeBytes, value)}).low, 1u);
  for (std::string k : {"bb", "a"}) {
    void* key = NewBytesBlock(k);
    EXPECT_EQ(call(kMapSet, {mapVar, MakePointer(kTypeBytes, key), nodeVar}).low, 1u);
    FreeBlock(key);
  }
  call(kENodeFree, {nodeVar});
  EXPECT_EQ(node, nullptr);

  RuntimeValue keys = call(kMapKeys, {mapVar});
  EXPECT_EQ(keys.type, kTypeBytes | kArrayFlag);
  auto* block = static_cast<char*>(PointerOf(keys));
  int32_t header[2];
  std::memcpy(header, block, sizeof header);
  ASSERT_EQ(header[1], 2);
  void* elements[2];
  std::memcpy(elements, block + 8, sizeof elements);
  EXPECT_EQ(BytesOfBlock(elements[0]), "a");
  EXPECT_EQ(BytesOfBlock(elements[1]), "bb");
  for (void* e : elements) FreeBlock(e);
  FreeBlock(block);

  void* key = NewBytesBlock("a");
  void* out = nullptr;
  EXPECT_EQ(call(kMapGet, {mapVar, MakePointer(kTypeBytes, key), nodeVar}).low, 1u);
  EXPECT_EQ(call(kENodeGetBytes, {nodeVar, MakePointer(kTypeText, name), MakePointer(kTypeBytes, &out)}).low, 1u);
  EXPECT_EQ(BytesOfBlock(out), "blob");
  EXPECT_EQ(call(kMapRemove, {mapVar, MakePointer(kTypeBytes, key)}).low, 1u);
  EXPECT_EQ(call(kMapGet, {mapVar, MakePointer(kTypeBytes, key), nodeVar}).low, 0u);
  EXPECT_EQ(node, nullptr);
  EXPECT_EQ(call(kMapClear, {mapVar}).low, 1u);

  Map* copy = nullptr;
  call(kMapCopy, {MakePointer(kTypeMap, &copy), mapVar});
  EXPECT_NE(copy, nullptr);
  call(kMapFree, {MakePointer(kTypeMap, &copy)});
  call(kMapFree, {mapVar});
  EXPECT_EQ(map, nullptr);
  EXPECT_EQ(call(kMapClear, {mapVar}).low, 0u);

  // MapKeys of a missing map: an array of zero elements.
  keys = call(kMapKeys, {mapVar});
  std::memcpy(header, PointerOf(keys), sizeof header);
  EXPECT_EQ(header[0], 1);
  EXPECT_EQ(header[1], 0);
  FreeBlock(PointerOf(keys));
  FreeBlock(key);
  FreeBlock(out);
  FreeBlock(value);
}

}  // namespace
}  // namespace vorenn

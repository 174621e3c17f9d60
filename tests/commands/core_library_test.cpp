#include "commands/core_library.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <vector>

#include "commands/calendar.h"
#include "commands/command_values.h"
#include "engine/core/memory.h"

namespace vorenn {
namespace {

// Calls command `index` the way the engine does: a zeroed result and an argument array.
RuntimeValue Call(int index, std::initializer_list<RuntimeValue> args) {
  std::vector<RuntimeValue> list(args);
  RuntimeValue result{0, 0, 0};
  CoreCommands()[index](&result, int(list.size()), list.data());
  return result;
}

RuntimeValue Text(const char* s) { return MakePointer(kTypeText, s); }
const RuntimeValue kOmitted{0, 0, kTypeNone};

TEST(CoreLibrary, EveryCommandButTheWindowOnesIsInTheTable) {
  const int windowCommands[] = {kCmdLoadWindow,  kCmdSetTrayIcon, kCmdGetEventUnit, kCmdShowMessageBox, kCmdMoveUnit,
                                kCmdProcessEvents, kCmdFocusUnit, kCmdCopyUnit,     kCmdDestroyUnit};
  std::vector<bool> isWindow(kCoreCommandCount, false);
  for (int i : windowCommands) isWindow[size_t(i)] = true;
  for (int i = 0; i < kCoreCommandCount; ++i) {
    if (!isWindow[size_t(i)]) {
      EXPECT_NE(CoreCommands()[i], nullptr) << "command " << i;
    }
  }
  LibraryDescriptor d = CoreLibrary();
  EXPECT_EQ(d.commandCount, 53);
  EXPECT_EQ(d.commands, CoreCommands());
  EXPECT_EQ(d.notify(99, 0, 0), -1);
}

TEST(CoreLibrary, EntriesPackResultsAsTheEngineExpects) {
  RuntimeValue r = Call(kCmdTextLeft, {Text("abc"), MakeInt(0)});
  EXPECT_EQ(r.type, kTypeText);
  EXPECT_EQ(PointerOf(r), nullptr);  // the empty text is null

  r = Call(kCmdReplaceText, {Text("abcdefghijklmn"), MakeInt(1), MakeInt(12), kOmitted});
  EXPECT_STREQ(static_cast<char*>(PointerOf(r)), "mn");
  FreeBlock(PointerOf(r));

  EXPECT_EQ(int32_t(Call(kCmdFindText, {Text("ABC"), Text("b"), MakeInt(1), MakeBool(true)}).low), 2);
  EXPECT_EQ(int32_t(Call(kCmdFindText, {Text("ABC"), Text("b")}).low), -1);
  EXPECT_EQ(int32_t(Call(kCmdCompareText, {Text("Null"), Text("null"), MakeBool(false)}).low), 0);

  r = Call(kCmdReplaceSubText, {Text("a/b"), Text("/"), Text("\\/"), kOmitted, kOmitted, MakeBool(true)});
  EXPECT_STREQ(static_cast<char*>(PointerOf(r)), "a\\/b");
  FreeBlock(PointerOf(r));

  r = Call(kCmdZeroBytes, {MakeInt(3)});
  EXPECT_EQ(r.type, kTypeBytes);
  EXPECT_EQ(BytesOfByteArrayBlock(PointerOf(r)).size(), 3u);
  EXPECT_EQ(int32_t(Call(kCmdBytesLength, {r}).low), 3);
  FreeBlock(PointerOf(r));
}

TEST(CoreLibrary, VariablesPassedByReference) {
  const uint8_t raw[] = {5, 0, 0, 0, 6, 0, 0, 0};
  void* bytes = MakeByteArrayBlock(raw);
  int32_t position = 5;
  RuntimeValue r = Call(kCmdGetBytesData, {MakePointer(kTypeBytes, bytes), MakeInt(3), MakePointer(kTypeInt, &position)});
  EXPECT_EQ(r.type, kTypeInt);
  EXPECT_EQ(r.low, 6u);
  EXPECT_EQ(position, -1);
  // FindBytes takes its start only when the call has three arguments.
  const uint8_t six[] = {6};
  void* sought = MakeByteArrayBlock(six);
  EXPECT_EQ(int32_t(Call(kCmdFindBytes, {MakePointer(kTypeBytes, bytes), MakePointer(kTypeBytes, sought)}).low), 5);
  EXPECT_EQ(int32_t(Call(kCmdFindBytes, {MakePointer(kTypeBytes, bytes), MakePointer(kTypeBytes, sought), MakeInt(6)}).low), -1);
  FreeBlock(sought);

  RuntimeValue file = Call(kCmdOpenMemoryFile, {});
  ASSERT_NE(file.low, 0u);
  EXPECT_EQ(Call(kCmdWriteData, {file, Text("Vorenn"), MakePointer(kTypeBytes, bytes)}).low, 1u);
  EXPECT_EQ(int32_t(Call(kCmdGetFileLength, {file}).low), 7 + 4 + 8);
  Call(kCmdSeekToFileStart, {file});
  char* text = nullptr;
  void* back = nullptr;
  EXPECT_EQ(Call(kCmdReadData, {file, MakePointer(kTypeText, &text), MakePointer(kTypeBytes, &back)}).low, 1u);
  EXPECT_STREQ(text, "Vorenn");
  EXPECT_EQ(std::memcmp(BytesOfByteArrayBlock(back).data(), raw, 8), 0);
  Call(kCmdCloseFile, {file});
  EXPECT_EQ(int32_t(Call(kCmdGetFileLength, {file}).low), -1);
  FreeBlock(text);
  FreeBlock(back);
  FreeBlock(bytes);
}

TEST(CoreLibrary, DateTimeEntries) {
  RuntimeValue t = Call(kCmdToDateTime, {Text("2014-09-24 10:05:03")});
  EXPECT_EQ(t.type, kTypeDateTime);
  EXPECT_EQ(DoubleOf(t), DateTimeOf({2014, 9, 24, 10, 5, 3}));
  EXPECT_EQ(DoubleOf(Call(kCmdToDateTime, {t})), DoubleOf(t));
  EXPECT_EQ(DoubleOf(Call(kCmdToDateTime, {MakeInt(5)})), kMinDateTime);
  RuntimeValue later = Call(kCmdAddTime, {t, MakeInt(8), MakeInt(90)});
  EXPECT_EQ(DoubleOf(Call(kCmdTimeInterval, {later, t, MakeInt(8)})), 90.0);
  RuntimeValue text = Call(kCmdToText, {later});
  EXPECT_STREQ(static_cast<char*>(PointerOf(text)), "2014年9月24日10时6分33秒");
  FreeBlock(PointerOf(text));
}

}  // namespace
}  // namespace vorenn

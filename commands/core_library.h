// Library 1, the core library: its 53 commands at their fixed indices in the one calling form, its
// notify function and its descriptor.
#pragma once

#include "engine/core/library.h"

namespace vorenn {

enum CoreCommand : int {
  kCmdLoadWindow = 0, kCmdSetTrayIcon = 1, kCmdGetEventUnit = 2, kCmdToNumber = 3,
  kCmdShowMessageBox = 4, kCmdGetRunDirectory = 5, kCmdMoveUnit = 6, kCmdWriteIniItem = 7,
  kCmdReadIniItem = 8, kCmdToBytes = 9, kCmdToText = 10, kCmdOpenMemoryFile = 11,
  kCmdWriteData = 12, kCmdProcessEvents = 13, kCmdSeekToFileStart = 14, kCmdReadData = 15,
  kCmdCloseFile = 16, kCmdGetFileLength = 17, kCmdDeleteData = 18, kCmdRemoveAllSpaces = 19,
  kCmdCharFromCode = 20, kCmdFindText = 21, kCmdToUpper = 22, kCmdTextLength = 23,
  kCmdBytesLength = 24, kCmdZeroBytes = 25, kCmdBytesLeft = 26, kCmdWriteBytes = 27,
  kCmdSpaceText = 28, kCmdReadBytes = 29, kCmdWriteText = 30, kCmdIsEndOfFile = 31,
  kCmdReadLine = 32, kCmdReplaceText = 33, kCmdTextLeft = 34, kCmdTextRight = 35,
  kCmdTextMiddle = 36, kCmdToLower = 37, kCmdFocusUnit = 38, kCmdToDateTime = 39,
  kCmdCurrentTime = 40, kCmdTimeInterval = 41, kCmdAddTime = 42, kCmdCompareText = 43,
  kCmdDataTypeSize = 44, kCmdGetBytesData = 45, kCmdTrimText = 46, kCmdFindBytes = 47,
  kCmdSeekFile = 48, kCmdReplaceSubText = 49, kCmdRepeatText = 50, kCmdCopyUnit = 51,
  kCmdDestroyUnit = 52,
};
constexpr int kCoreCommandCount = 53;

// The command table. The nine window commands call the engine's window functions
// (engine/standard_units/window_commands.h).
const CommandFn* CoreCommands();

// Notify: code 1 answers 0; code 6 (the program ends) closes every file still open; other codes -1.
intptr_t CoreLibraryNotify(int code, intptr_t arg1, intptr_t arg2);

// The core library's data types are the standard unit types. Their descriptors belong to the
// engine's standard units, which the program's main hands over here before it assembles the library
// table; without them the descriptor lists no types.
void SetCoreLibraryTypes(const TypeDescriptor* types, int count);

LibraryDescriptor CoreLibrary();

}  // namespace vorenn

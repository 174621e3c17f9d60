// Table entries of the date-time, file and INI commands: unpack, call, pack.
#include <optional>
#include <span>
#include <vector>

#include "commands/command_values.h"
#include "commands/core_library.h"
#include "commands/datetime_commands.h"
#include "commands/internal/core_entries.h"
#include "commands/memory_file.h"
#include "commands/system_commands.h"

namespace vorenn::core_entries {
namespace {

#define ARG(i) Arg(argc, args, i)

std::optional<std::string_view> OptionalText(const RuntimeValue& v) {
  return IsOmitted(v) ? std::nullopt : std::optional<std::string_view>(TextArg(v));
}
// The values after the file number.
std::span<const RuntimeValue> Rest(int argc, const RuntimeValue* args) {
  return argc > 1 && args != nullptr ? std::span(args + 1, size_t(argc - 1)) : std::span<const RuntimeValue>();
}

void GetRunDirectoryEntry(RuntimeValue* r, int, RuntimeValue*) { SetTextResult(r, GetRunDirectory()); }
void WriteIniItemEntry(RuntimeValue* r, int argc, RuntimeValue* args) {
  SetBoolResult(r, WriteIniItem(TextArg(ARG(0)), TextArg(ARG(1)), OptionalText(ARG(2)), OptionalText(ARG(3))));
}
void ReadIniItemEntry(RuntimeValue* r, int argc, RuntimeValue* args) {
  SetTextResult(r, ReadIniItem(TextArg(ARG(0)), TextArg(ARG(1)), OptionalText(ARG(2)), OptionalText(ARG(3))));
}

void OpenMemoryFileEntry(RuntimeValue* r, int, RuntimeValue*) { SetIntResult(r, OpenMemoryFile()); }
void WriteDataEntry(RuntimeValue* r, int argc, RuntimeValue* args) {
  SetBoolResult(r, WriteData(IntArg(ARG(0)), Rest(argc, args)));
}
void SeekToFileStartEntry(RuntimeValue* r, int argc, RuntimeValue* args) {
  SetBoolResult(r, SeekToFileStart(IntArg(ARG(0))));
}
void ReadDataEntry(RuntimeValue* r, int argc, RuntimeValue* args) {
  SetBoolResult(r, ReadData(IntArg(ARG(0)), Rest(argc, args)));
}
void CloseFileEntry(RuntimeValue*, int argc, RuntimeValue* args) { CloseFile(IntArg(ARG(0))); }
void GetFileLengthEntry(RuntimeValue* r, int argc, RuntimeValue* args) {
  SetIntResult(r, GetFileLength(IntArg(ARG(0))));
}
void DeleteDataEntry(RuntimeValue* r, int argc, RuntimeValue* args) {
  SetBoolResult(r, DeleteData(IntArg(ARG(0)), IntArg(ARG(1))));
}
void WriteBytesEntry(RuntimeValue* r, int argc, RuntimeValue* args) {
  std::vector<std::span<const uint8_t>> arrays;
  for (const RuntimeValue& v : Rest(argc, args)) arrays.push_back(BytesArg(v));
  SetBoolResult(r, WriteBytes(IntArg(ARG(0)), std::span<const std::span<const uint8_t>>(arrays)));
}
void ReadBytesEntry(RuntimeValue* r, int argc, RuntimeValue* args) {
  SetBytesResult(r, ReadBytes(IntArg(ARG(0)), IntArg(ARG(1))));
}
void WriteTextEntry(RuntimeValue* r, int argc, RuntimeValue* args) {
  SetBoolResult(r, WriteText(IntArg(ARG(0)), Rest(argc, args)));
}
void IsEndOfFileEntry(RuntimeValue* r, int argc, RuntimeValue* args) {
  SetBoolResult(r, IsEndOfFile(IntArg(ARG(0)), BoolArg(ARG(1))));
}
void ReadLineEntry(RuntimeValue* r, int argc, RuntimeValue* args) { SetTextResult(r, ReadLine(IntArg(ARG(0)))); }
void SeekFileEntry(RuntimeValue* r, int argc, RuntimeValue* args) {
  SetBoolResult(r, SeekFile(IntArg(ARG(0)), IntArg(ARG(1), kSeekFromStart), IntArg(ARG(2))));
}

void ToDateTimeEntry(RuntimeValue* r, int argc, RuntimeValue* args) {
  const RuntimeValue& v = ARG(0);
  double t = kMinDateTime;
  if (v.type == kTypeDateTime) t = DoubleOf(v);
  else if (v.type == kTypeText) t = ToDateTime(TextArg(v));
  SetDateTimeResult(r, t);
}
void CurrentTimeEntry(RuntimeValue* r, int, RuntimeValue*) { SetDateTimeResult(r, CurrentTime()); }
void TimeIntervalEntry(RuntimeValue* r, int argc, RuntimeValue* args) {
  SetDoubleResult(r, TimeInterval(DoubleArg(ARG(0)), DoubleArg(ARG(1)), IntArg(ARG(2))));
}
void AddTimeEntry(RuntimeValue* r, int argc, RuntimeValue* args) {
  SetDateTimeResult(r, AddTime(DoubleArg(ARG(0)), IntArg(ARG(1)), IntArg(ARG(2))));
}

#undef ARG

}  // namespace

void InstallFileAndTimeEntries(CommandFn* table) {
  table[kCmdGetRunDirectory] = GetRunDirectoryEntry;
  table[kCmdWriteIniItem] = WriteIniItemEntry;
  table[kCmdReadIniItem] = ReadIniItemEntry;
  table[kCmdOpenMemoryFile] = OpenMemoryFileEntry;
  table[kCmdWriteData] = WriteDataEntry;
  table[kCmdSeekToFileStart] = SeekToFileStartEntry;
  table[kCmdReadData] = ReadDataEntry;
  table[kCmdCloseFile] = CloseFileEntry;
  table[kCmdGetFileLength] = GetFileLengthEntry;
  table[kCmdDeleteData] = DeleteDataEntry;
  table[kCmdWriteBytes] = WriteBytesEntry;
  table[kCmdReadBytes] = ReadBytesEntry;
  table[kCmdWriteText] = WriteTextEntry;
  table[kCmdIsEndOfFile] = IsEndOfFileEntry;
  table[kCmdReadLine] = ReadLineEntry;
  table[kCmdSeekFile] = SeekFileEntry;
  table[kCmdToDateTime] = ToDateTimeEntry;
  table[kCmdCurrentTime] = CurrentTimeEntry;
  table[kCmdTimeInterval] = TimeIntervalEntry;
  table[kCmdAddTime] = AddTimeEntry;
}

}  // namespace vorenn::core_entries

#include "commands/core_library.h"

#include <array>

#include "commands/internal/core_entries.h"
#include "commands/memory_file.h"

namespace vorenn {
namespace {

const TypeDescriptor* g_types = nullptr;
int g_typeCount = 0;

std::array<CommandFn, kCoreCommandCount> BuildTable() {
  std::array<CommandFn, kCoreCommandCount> table{};
  core_entries::InstallTextEntries(table.data());
  core_entries::InstallFileAndTimeEntries(table.data());
  core_entries::InstallWindowEntries(table.data());
  return table;
}

}  // namespace

const CommandFn* CoreCommands() {
  static const std::array<CommandFn, kCoreCommandCount> table = BuildTable();
  return table.data();
}

intptr_t CoreLibraryNotify(int code, intptr_t, intptr_t) {
  switch (code) {
    case kNotifyStart: return 0;
    case kNotifyEnd: CloseAllFiles(); return 0;
    default: return -1;
  }
}

void SetCoreLibraryTypes(const TypeDescriptor* types, int count) {
  g_types = types;
  g_typeCount = types != nullptr ? count : 0;
}

LibraryDescriptor CoreLibrary() {
  return {"core", CoreLibraryNotify, g_typeCount, g_types, kCoreCommandCount, CoreCommands()};
}

}  // namespace vorenn

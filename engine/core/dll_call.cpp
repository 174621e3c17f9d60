#include "engine/core/dll_call.h"

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <set>
#include <string>

#include "engine/core/program_directory.h"
#include "engine/core/program_directory.h"
#include "engine/core/runtime_error.h"
#include "platform/shared_library.h"

namespace vorenn {
namespace {

DllFunctionRow* g_rows = nullptr;
int g_rowCount = 0;
// Binding is rare and may happen on a worker and the UI thread at once; calls read the cached
// address without the lock.
std::mutex g_bindMutex;

// The system libraries searched, in order, for a row without a library name.
constexpr const char* kSystemOrder[] = {"Kernel32.dll", "Gdi32.dll",   "User32.dll",
                                        "Advapi32.dll", "Mpr.dll",     "Shell32.dll"};

std::string FileFor(const std::string& library) {
  std::string standIn = platform::StandInFileFor(library);
  return standIn.empty() ? library : standIn;
}

void* LoadNamedLibrary(const std::string& library) {
  const std::string file = FileFor(library);
  if (library.find(':') == std::string::npos) {
    const std::string& extra = ExtraDllDirectory();
    if (!extra.empty())
      if (void* m = platform::LoadSharedLibrary(extra + file)) return m;
    if (void* m = platform::LoadSharedLibrary(std::string(ProgramDirectory()) + "/" + file)) return m;
    if (void* m = platform::LoadSharedLibrary(ModuleDirectory() + file)) return m;
  }
  return platform::LoadSharedLibrary(file);
}

platform::LibraryExport Lookup(void* module, const std::string& exportName) {
  if (!exportName.empty() && exportName[0] == '#') {
    unsigned ordinal = unsigned(std::strtoul(exportName.c_str() + 1, nullptr, 10)) & 0xFFFFu;
    return platform::FindOrdinal(module, ordinal);
  }
  return platform::FindExport(module, exportName);
}

[[noreturn]] void ReportMissingExport(const std::string& library, const std::string& exportName) {
  std::string message;
  if (library.empty())
    message = "无法找到指定DLL库文件中的输出命令“" + exportName + "”";
  else
    message = "无法找到指定DLL库文件“" + library + "”中的输出命令“" + exportName + "”";
  ReportRuntimeError(message.c_str(), 0);
}

// False when the export cannot be found; the caller reports it once the table lock is released
// (the report's exit routine frees the table's modules under the same lock).
bool Bind(DllFunctionRow& row) {
  const std::string library = row.library != nullptr ? row.library : "";
  const std::string exportName = row.exportName != nullptr ? row.exportName : "";
  void* module = nullptr;
  platform::LibraryExport found;
  if (library.empty()) {
    for (const char* candidate : kSystemOrder) {
      module = LoadNamedLibrary(candidate);
      if (module == nullptr) continue;
      found = Lookup(module, exportName);
      if (found.address != nullptr) break;
      platform::FreeSharedLibrary(module);
      module = nullptr;
    }
  } else {
    module = LoadNamedLibrary(library);
    if (module != nullptr) found = Lookup(module, exportName);
  }
  if (found.address == nullptr) {
    platform::FreeSharedLibrary(module);
    return false;
  }
  row.module = module;
  row.argumentCount = found.argumentCount;
  std::atomic_ref<void*>(row.address).store(found.address, std::memory_order_release);
  return true;
}

}  // namespace

void SetDllFunctionTable(DllFunctionRow* rows, int count) {
  std::lock_guard lock(g_bindMutex);
  g_rows = rows;
  g_rowCount = rows != nullptr && count > 0 ? count : 0;
  for (int i = 0; i < g_rowCount; ++i) {
    g_rows[i].address = nullptr;
    g_rows[i].module = nullptr;
    g_rows[i].argumentCount = -1;
  }
}

void* BindDllFunction(int row) {
  if (row < 0 || row >= g_rowCount) RaiseRuntimeError(1);
  DllFunctionRow& r = g_rows[row];
  if (void* address = std::atomic_ref<void*>(r.address).load(std::memory_order_acquire)) return address;
  std::unique_lock lock(g_bindMutex);
  if (std::atomic_ref<void*>(r.address).load(std::memory_order_acquire) == nullptr && !Bind(r)) {
    lock.unlock();
    ReportMissingExport(r.library != nullptr ? r.library : "", r.exportName != nullptr ? r.exportName : "");
  }
  return r.address;
}

int DllArgumentCount(int row) {
  BindDllFunction(row);
  return g_rows[row].argumentCount;
}

void RaiseDllStackError() { RaiseRuntimeError(6); }

void FreeDllModules() {
  std::lock_guard lock(g_bindMutex);
  std::set<void*> freed;
  for (int i = 0; i < g_rowCount; ++i) {
    DllFunctionRow& r = g_rows[i];
    if (r.module != nullptr && freed.insert(r.module).second) platform::FreeSharedLibrary(r.module);
    std::atomic_ref<void*>(r.address).store(nullptr, std::memory_order_release);
    r.module = nullptr;
  }
}

}  // namespace vorenn

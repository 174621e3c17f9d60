// Late-bound external functions: one row per function of the program, bound on first use by export
// name or "#ordinal" onto the stand-in shared objects beside the program.
#pragma once

#include <cstdint>
#include <type_traits>

namespace vorenn {

struct DllFunctionRow {
  const char* library;     // "" searches the system libraries in their fixed order
  const char* exportName;  // a name, or "#" and a decimal ordinal
  void* address;           // cached after the first bind
  void* module;            // cached dlopen handle
  int argumentCount;       // the export's declared argument count, cached with the address;
                           // -1 when the library does not describe the export
};

// Installs the program's table (InitRuntime fills it once, caches null).
void SetDllFunctionTable(DllFunctionRow* rows, int count);

// Binds row `row` if needed and returns its address. An export that cannot be found ends the program
// through the runtime-error report with "无法找到指定DLL库文件…".
void* BindDllFunction(int row);

// The row's declared argument count (binds first); -1 when the library does not describe it.
int DllArgumentCount(int row);

// Frees the modules the table loaded and forgets every cached address (the exit routine).
void FreeDllModules();

// Runtime error 6: the call did not match the export's argument count.
[[noreturn]] void RaiseDllStackError();

// Calls row `row` with the caller's arguments. A count that differs from the export's declared count
// raises runtime error 6 instead of making a call whose arguments the function cannot match; an
// export the library does not describe is called as it is.
template <typename R, typename... Args>
R CallDllCommand(int row, Args... args) {
  using Fn = R (*)(Args...);
  auto fn = reinterpret_cast<Fn>(BindDllFunction(row));
  int declared = DllArgumentCount(row);
  bool countMatches = declared < 0 || declared == int(sizeof...(Args));
  if constexpr (std::is_void_v<R>) {
    if (countMatches) fn(args...);
    if (!countMatches) RaiseDllStackError();
  } else {
    R result{};
    if (countMatches) result = fn(args...);
    if (!countMatches) RaiseDllStackError();
    return result;
  }
}

}  // namespace vorenn

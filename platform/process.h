// The process as the engine sees it: where the program file lives, its current directory, thread
// ids and the way out.
#pragma once

#include <cstdint>
#include <string>

namespace vorenn::platform {

// Full path of the program file ("/.../bin/vorenn"); empty if it cannot be found.
std::string ProgramPath();
// Directory of the program file without trailing separator.
std::string ProgramDirectoryOf(const std::string& programPath);
bool SetCurrentDirectory(const std::string& dir);

// Kernel thread id of the caller.
uint32_t CurrentThreadId();
// The UI thread is the one that installed the backend (or called MarkUiThread last).
void MarkUiThread();
bool OnUiThread();

// Ends the process at once with `code` (output streams flushed, no destructors run).
[[noreturn]] void EndProcess(int code);

}  // namespace vorenn::platform

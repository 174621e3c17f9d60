#include "engine/core/program_directory.h"

#include <mutex>
#include <string>

#include "platform/process.h"

namespace vorenn {
namespace {

std::mutex g_mutex;
std::string g_directory;
bool g_known = false;

// Lives as long as the process: a worker may still bind a DLL while the process ends.
std::string& ExtraDirectory() {
  static std::string* directory = new std::string;
  return *directory;
}

std::string DirectoryOfExecutable() {
  std::string file = platform::ProgramPath();
  return file.empty() ? std::string() : platform::ProgramDirectoryOf(file);
}

}  // namespace

const char* ProgramDirectory() {
  std::lock_guard lock(g_mutex);
  if (!g_known) {
    g_directory = DirectoryOfExecutable();
    g_known = true;
  }
  return g_directory.c_str();
}

void SetProgramDirectory(const char* directory) {
  std::lock_guard lock(g_mutex);
  g_directory = directory != nullptr ? directory : "";
  while (g_directory.size() > 1 && g_directory.back() == '/') g_directory.pop_back();
  g_known = true;
}

const char* ModuleDirectory() {
  thread_local std::string dir;
  dir = ProgramDirectory();
  if (dir != "/") dir += '/';
  return dir.c_str();
}

void SetExtraDllDirectory(const std::string& dir) { ExtraDirectory() = dir; }
const std::string& ExtraDllDirectory() { return ExtraDirectory(); }

}  // namespace vorenn

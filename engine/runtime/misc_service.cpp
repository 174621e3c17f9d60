#include "engine/runtime/misc_service.h"

#include <cstring>
#include <dirent.h>
#include <fnmatch.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/core/memory.h"
#include "engine/core/runtime_error.h"
#include "engine/runtime/init_runtime.h"

namespace vorenn {
namespace {

struct FileSearch {
  DIR* dir;
  std::string directory;  // with trailing '/'
  std::string pattern;    // the name part
  uint32_t filter;
  bool directoriesOnly;
};

uint32_t AttributesOf(const std::string& path, const char* name) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return 0;
  uint32_t attr = 0;
  if (S_ISDIR(st.st_mode)) attr |= kAttrDirectory;
  else attr |= kAttrArchive;
  if (name[0] == '.') attr |= kAttrHidden;
  if (access(path.c_str(), W_OK) != 0) attr |= kAttrReadOnly;
  return attr;
}

bool Matches(const FileSearch& s, const char* name) {
  if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) return false;
  if (fnmatch(s.pattern.c_str(), name, FNM_CASEFOLD) != 0) return false;
  uint32_t attr = AttributesOf(s.directory + name, name);
  if (s.directoriesOnly) return (attr & kAttrDirectory) != 0;
  constexpr uint32_t kSpecial = kAttrHidden | kAttrSystem | kAttrDirectory;
  return (attr & kSpecial & ~(s.filter & 0x37u)) == 0;
}

FileSearch* StartSearch(const char* pattern, uint32_t filter, bool directoriesOnly) {
  std::string p = pattern;
  for (char& c : p)
    if (c == '\\') c = '/';
  size_t slash = p.find_last_of('/');
  std::string directory = slash == std::string::npos ? "./" : p.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? p : p.substr(slash + 1);
  if (name.empty()) return nullptr;
  DIR* dir = opendir(directory.c_str());
  if (dir == nullptr) return nullptr;
  return new FileSearch{dir, directory, name, filter, directoriesOnly};
}

char* NewText(const char* s) {
  size_t n = std::strlen(s);
  auto* block = static_cast<char*>(AllocBlock(int32_t(n + 1)));
  std::memcpy(block, s, n + 1);
  return block;
}

}  // namespace

void FindFileClose(void* search) {
  auto* s = static_cast<FileSearch*>(search);
  if (s == nullptr) return;
  closedir(s->dir);
  delete s;
}

char* FindFileNext(const char* pattern, uint32_t attributeFilter, bool directoriesOnly, void** slot) {
  if (slot == nullptr) return nullptr;
  FileSearch* s = static_cast<FileSearch*>(*slot);
  if (pattern != nullptr && *pattern != '\0') {
    FindFileClose(s);
    s = StartSearch(pattern, attributeFilter, directoriesOnly);
  }
  while (s != nullptr) {
    dirent* entry = readdir(s->dir);
    if (entry == nullptr) {
      FindFileClose(s);
      s = nullptr;
      break;
    }
    if (Matches(*s, entry->d_name)) {
      *slot = s;
      return NewText(entry->d_name);
    }
  }
  *slot = nullptr;
  return nullptr;
}

void MakeArrayWritable(int32_t elementSize, void** array) {
  if (array == nullptr || *array == nullptr || !IsConstant(*array)) return;
  // A constant array is the program's own data, but its header is trusted only as far as the
  // constant segment reaches: bytes beyond it are never read (the copy's tail is zeroed).
  const char* begin = static_cast<const char*>(*array);
  const size_t available = size_t(ConstantRangeEnd() - begin);
  int32_t header[1] = {0};
  std::memcpy(header, begin, available < 4 ? available : 4);
  const int32_t dims = header[0] < 0 ? 0 : header[0];
  uint64_t count = 1;
  for (int32_t i = 0; i < dims && count != 0; ++i) {
    int32_t n = 0;
    if (4 + 4 * size_t(i) + 4 <= available) std::memcpy(&n, begin + 4 + 4 * size_t(i), 4);
    count *= uint64_t(n < 0 ? 0 : n);
    if (count > uint64_t(INT32_MAX)) RaiseRuntimeError(1);
  }
  uint64_t size = 4 + 4 * uint64_t(dims) + uint64_t(elementSize < 0 ? 0 : elementSize) * count;
  if (size > uint64_t(INT32_MAX)) RaiseRuntimeError(1);
  auto* copy = static_cast<char*>(AllocBlock(int32_t(size)));
  size_t copied = size_t(size) < available ? size_t(size) : available;
  std::memcpy(copy, begin, copied);
  std::memset(copy + copied, 0, size_t(size) - copied);
  *array = copy;
}

intptr_t MiscService(int number, intptr_t a1, intptr_t a2, intptr_t a3, intptr_t a4, intptr_t,
                     intptr_t) {
  switch (number) {
    case kMiscFindFileNext:
      return reinterpret_cast<intptr_t>(FindFileNext(reinterpret_cast<const char*>(a1), uint32_t(a2),
                                                     a3 != 0, reinterpret_cast<void**>(a4)));
    case kMiscFindFileClose:
      FindFileClose(reinterpret_cast<void*>(a1));
      return 0;
    case kMiscMakeArrayWritable:
      MakeArrayWritable(int32_t(a1), reinterpret_cast<void**>(a2));
      return 0;
    case kMiscSetEndCallback:
      SetEndCallback(reinterpret_cast<EndCallback>(a1));
      return 0;
    case kMiscInitRuntime:
      InitRuntime();
      return 0;
    default:
      return kMiscNotSupported;
  }
}

}  // namespace vorenn

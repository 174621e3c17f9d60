#include "engine/runtime/misc_service.h"

#include <cstring>
#include <memory>
#include <string>

#include "engine/core/memory.h"
#include "engine/core/runtime_error.h"
#include "engine/runtime/init_runtime.h"
#include "platform/file_search.h"

namespace vorenn {
namespace {

struct FileSearch {
  std::unique_ptr<platform::FolderListing> listing;
  std::string pattern;  // the name part
  uint32_t filter;
  bool directoriesOnly;
};

uint32_t AttributesOf(const platform::FolderEntry& entry) {
  uint32_t attr = 0;
  if (entry.directory) attr |= kAttrDirectory;
  if (entry.hidden) attr |= kAttrHidden;
  if (entry.system) attr |= kAttrSystem;
  if (entry.readOnly) attr |= kAttrReadOnly;
  return attr;
}

bool Matches(const FileSearch& s, const platform::FolderEntry& entry) {
  if (entry.name == "." || entry.name == "..") return false;
  if (!platform::MatchesFilePattern(s.pattern, entry.name)) return false;
  uint32_t attr = AttributesOf(entry);
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
  auto listing = platform::ListFolder(directory);
  if (!listing) return nullptr;
  return new FileSearch{std::move(listing), name, filter, directoriesOnly};
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
    platform::FolderEntry entry;
    if (!s->listing->Next(&entry)) {
      FindFileClose(s);
      s = nullptr;
      break;
    }
    if (Matches(*s, entry)) {
      *slot = s;
      return NewText(entry.name.c_str());
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

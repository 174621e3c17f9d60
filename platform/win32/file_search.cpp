#include "platform/file_search.h"

#include <windows.h>

namespace vorenn::platform {
namespace {

class FindListing final : public FolderListing {
 public:
  FindListing(HANDLE find, const WIN32_FIND_DATAA& first) : find_(find), data_(first) {}
  ~FindListing() override { FindClose(find_); }

  bool Next(FolderEntry* entry) override {
    if (done_) return false;
    *entry = FolderEntry{data_.cFileName};
    const DWORD a = data_.dwFileAttributes;
    entry->directory = (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry->hidden = (a & FILE_ATTRIBUTE_HIDDEN) != 0;
    entry->system = (a & FILE_ATTRIBUTE_SYSTEM) != 0;
    entry->readOnly = (a & FILE_ATTRIBUTE_READONLY) != 0;
    done_ = FindNextFileA(find_, &data_) == 0;
    return true;
  }

 private:
  HANDLE find_;
  WIN32_FIND_DATAA data_;
  bool done_ = false;
};

char Folded(char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; }

bool Match(const char* p, const char* n) {
  for (; *p != '\0'; ++p) {
    if (*p == '*') {
      while (p[1] == '*') ++p;
      for (const char* rest = n;; ++rest) {
        if (Match(p + 1, rest)) return true;
        if (*rest == '\0') return false;
      }
    }
    if (*n == '\0') return false;
    if (*p != '?' && Folded(*p) != Folded(*n)) return false;
    ++n;
  }
  return *n == '\0';
}

}  // namespace

// Every entry is listed and matched here, rather than by the system's own pattern, which also
// matches short (8.3) names and treats "*.*" as "*".
std::unique_ptr<FolderListing> ListFolder(const std::string& folder) {
  WIN32_FIND_DATAA first;
  HANDLE find = FindFirstFileA((folder + "*").c_str(), &first);
  if (find == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<FindListing>(find, first);
}

bool MatchesFilePattern(const std::string& pattern, const std::string& name) {
  return Match(pattern.c_str(), name.c_str());
}

}  // namespace vorenn::platform

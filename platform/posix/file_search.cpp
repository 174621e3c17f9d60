#include "platform/file_search.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vorenn::platform {
namespace {

class DirentListing final : public FolderListing {
 public:
  DirentListing(DIR* dir, std::string folder) : dir_(dir), folder_(std::move(folder)) {}
  ~DirentListing() override { closedir(dir_); }

  bool Next(FolderEntry* entry) override {
    dirent* e = readdir(dir_);
    if (e == nullptr) return false;
    *entry = FolderEntry{e->d_name};
    const std::string path = folder_ + e->d_name;
    struct stat st {};
    // An entry that cannot be examined (a dangling link) has no attributes at all.
    if (stat(path.c_str(), &st) != 0) return true;
    entry->directory = S_ISDIR(st.st_mode);
    entry->hidden = e->d_name[0] == '.';
    entry->readOnly = access(path.c_str(), W_OK) != 0;
    return true;
  }

 private:
  DIR* dir_;
  std::string folder_;
};

}  // namespace

std::unique_ptr<FolderListing> ListFolder(const std::string& folder) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return nullptr;
  return std::make_unique<DirentListing>(dir, folder);
}

bool MatchesFilePattern(const std::string& pattern, const std::string& name) {
  return fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD) == 0;
}

}  // namespace vorenn::platform

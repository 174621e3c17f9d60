// The entries of a folder, for the engine's file search: names and what the system says of them.
#pragma once

#include <memory>
#include <string>

namespace vorenn::platform {

struct FolderEntry {
  std::string name;
  bool directory = false;
  bool hidden = false;    // Linux: the name starts with '.'
  bool system = false;    // never on Linux
  bool readOnly = false;  // Linux: the process may not write it
};

class FolderListing {
 public:
  virtual ~FolderListing() = default;
  // The next entry, "." and ".." included; false at the end.
  virtual bool Next(FolderEntry* entry) = 0;
};

// `folder` ends with a separator ("./", "C:\games\"); null when it cannot be read.
std::unique_ptr<FolderListing> ListFolder(const std::string& folder);

// Whether `name` matches the file pattern ('*', '?'), letters compared without regard to case.
bool MatchesFilePattern(const std::string& pattern, const std::string& name);

}  // namespace vorenn::platform

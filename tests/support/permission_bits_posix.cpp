#include "tests/support/permission_bits.h"

#include <sys/stat.h>

namespace vorenn::test_support {

std::optional<unsigned> PermissionBits(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return std::nullopt;
  return unsigned(info.st_mode & 07777);
}

}  // namespace vorenn::test_support

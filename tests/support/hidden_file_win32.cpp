#include "tests/support/hidden_file.h"

#include <windows.h>

namespace vorenn::test_support {

bool MakeHidden(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         SetFileAttributesA(path.c_str(), attributes | FILE_ATTRIBUTE_HIDDEN) != 0;
}

}  // namespace vorenn::test_support

#include "tests/support/hidden_file.h"

namespace vorenn::test_support {

bool MakeHidden(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return path.compare(slash == std::string::npos ? 0 : slash + 1, 1, ".") == 0;
}

}  // namespace vorenn::test_support

#include "tests/support/permission_bits.h"

namespace vorenn::test_support {

std::optional<unsigned> PermissionBits(const std::string&) { return std::nullopt; }

}  // namespace vorenn::test_support

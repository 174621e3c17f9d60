// A file's permission bits where the system has them (Linux); Windows files take the access rules
// of their folder instead, and have none (permission_bits_posix.cpp or permission_bits_win32.cpp).
#pragma once

#include <optional>
#include <string>

namespace vorenn::test_support {

// The file's mode & 07777; nothing on Windows or for a file that is not there.
std::optional<unsigned> PermissionBits(const std::string& path);

}  // namespace vorenn::test_support

// A hidden file as the system understands one: on Linux a name that starts with '.', on Windows
// the hidden attribute (hidden_file_posix.cpp or hidden_file_win32.cpp, chosen by the build).
#pragma once

#include <string>

namespace vorenn::test_support {

// Marks the existing file at `path` hidden; true when it now is.
bool MakeHidden(const std::string& path);

}  // namespace vorenn::test_support

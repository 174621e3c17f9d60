// Setting the process environment from a test: setenv on Linux, _putenv_s on Windows
// (environment_posix.cpp or environment_win32.cpp).
#pragma once

#include <string>

namespace vorenn::test_support {

void SetEnvironment(const std::string& name, const std::string& value);

}  // namespace vorenn::test_support

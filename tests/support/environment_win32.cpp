#include "tests/support/environment.h"

#include <stdlib.h>

namespace vorenn::test_support {

void SetEnvironment(const std::string& name, const std::string& value) { _putenv_s(name.c_str(), value.c_str()); }

}  // namespace vorenn::test_support

// The game's flows over HTTP, a suite each storage kind's test file instantiates with its kind.
#pragma once

#include <gtest/gtest.h>

#include "tests/server/test_support.h"

namespace vorenn::server::test {

class GameOverHttp : public ::testing::TestWithParam<std::string> {};

}  // namespace vorenn::server::test

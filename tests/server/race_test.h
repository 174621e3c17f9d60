// The level-up race suite; instantiated once per storage kind.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace vorenn::server::test {

class LevelUpRace : public ::testing::TestWithParam<std::string> {};

}  // namespace vorenn::server::test

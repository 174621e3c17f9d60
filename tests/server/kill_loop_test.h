// The repeated kill -9 suite; instantiated once per storage kind.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace vorenn::server::test {

class KillLoop : public ::testing::TestWithParam<std::string> {};

}  // namespace vorenn::server::test

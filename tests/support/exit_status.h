// Death tests of a program that ends with exit(-1): Linux reports the status as 255, Windows as
// the whole -1.
#pragma once

#include <gtest/gtest.h>

namespace vorenn::test_support {

inline bool EndedWithMinusOne(int status) {
  return ::testing::ExitedWithCode(255)(status) || ::testing::ExitedWithCode(-1)(status);
}

}  // namespace vorenn::test_support

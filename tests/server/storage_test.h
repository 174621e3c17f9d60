// The storage contract suite; each implementation's test file instantiates it with its kind.
#pragma once

#include <gtest/gtest.h>

#include "tests/server/test_support.h"

namespace vorenn::server::test {

class StorageContract : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override;
  Storage& storage() { return *kit_->storage; }

 private:
  std::unique_ptr<StorageKit> kit_;
};

}  // namespace vorenn::server::test

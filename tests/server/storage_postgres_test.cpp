#include "tests/server/kill_loop_test.h"
#include "tests/server/race_test.h"
#include "tests/server/storage_test.h"

namespace vorenn::server::test {

INSTANTIATE_TEST_SUITE_P(Postgres, StorageContract, ::testing::Values("postgres"));
INSTANTIATE_TEST_SUITE_P(Postgres, LevelUpRace, ::testing::Values("postgres"));
INSTANTIATE_TEST_SUITE_P(Postgres, KillLoop, ::testing::Values("postgres"));

}  // namespace vorenn::server::test

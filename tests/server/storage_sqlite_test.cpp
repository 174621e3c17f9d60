#include "tests/server/kill_loop_test.h"
#include "tests/server/race_test.h"
#include "tests/server/storage_test.h"

namespace vorenn::server::test {

INSTANTIATE_TEST_SUITE_P(Sqlite, StorageContract, ::testing::Values("sqlite"));
INSTANTIATE_TEST_SUITE_P(Sqlite, LevelUpRace, ::testing::Values("sqlite"));
INSTANTIATE_TEST_SUITE_P(Sqlite, KillLoop, ::testing::Values("sqlite"));

}  // namespace vorenn::server::test

#include "tests/tools/driver/program_under_test.h"

#include "engine/runtime/init_runtime.h"
#include "game/game_entry.h"
#include "game/program_image.h"

namespace vorenn::driver::testing_support {

platform::HeadlessBackend* StartProgram() {
  static platform::HeadlessBackend* started = [] {
    platform::HeadlessBackend& backend = platform::InstallHeadlessBackend();
    game::InstallProgramImage();
    return game::StartGame() ? &backend : nullptr;
  }();
  return started;
}

}  // namespace vorenn::driver::testing_support

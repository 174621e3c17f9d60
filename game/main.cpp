// vorenn [--headless] [--script FILE]
//
// Picks the platform backend, hands the engine the program's tables and runs the game's entry
// inside the engine's application frame.
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/runtime/init_runtime.h"
#include "game/game_entry.h"
#include "game/program_image.h"
#include "platform/headless/headless_backend.h"
#include "platform/qt/qt_backend.h"
#include "tools/driver/qt_host.h"
#include "tools/driver/script_runner.h"

namespace {

struct Options {
  bool headless = false;
  std::string script;
};

bool ParseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--headless") == 0) {
      options->headless = true;
    } else if (std::strcmp(argv[i], "--script") == 0 && i + 1 < argc) {
      options->script = argv[++i];
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, &options)) {
    std::fprintf(stderr, "usage: %s [--headless] [--script FILE]\n", argv[0]);
    return 2;
  }
  if (options.headless)
    vorenn::platform::InstallHeadlessBackend();
  else
    vorenn::platform::InstallQtBackend(argc, argv);

  vorenn::game::InstallProgramImage();
  if (!options.script.empty()) {
    auto host = options.headless ? vorenn::driver::MakeHeadlessHost() : vorenn::driver::MakeQtHost();
    vorenn::driver::RunScriptedApplication(options.script, std::move(host), vorenn::game::GameEntry);
  }
  vorenn::RunApplication(vorenn::game::GameEntry);
}

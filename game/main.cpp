// vorenn [--headless] [--script FILE] | --help | --version
//
// Picks the platform backend, hands the engine the program's tables and runs the game's entry
// inside the engine's application frame.
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/runtime/init_runtime.h"
#include "game/game_entry.h"
#include "game/program_image.h"
#include "game/windowed_backend.h"
#include "platform/headless/headless_backend.h"
#include "tools/driver/script_runner.h"
#include "vorenn_version.h"

namespace {

constexpr char kUsage[] = R"(usage: vorenn [--headless] [--script FILE]

The Vorenn idle game client.

  --headless      run on the in-memory backend, without a window
  --script FILE   play FILE with the scripted driver (see tools/driver/)
  --help          this text
  --version       the version number

The game server's address is compiled in; the environment variable VORENN_SERVER_URL names another
(http:// or https://). The last account that signed in is kept in pz.ini beside the program when
that folder is writable, else in )";

struct Options {
  bool headless = false;
  bool help = false;
  bool version = false;
  std::string script;
};

bool ParseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0) {
      options->help = true;
    } else if (std::strcmp(argv[i], "--version") == 0) {
      options->version = true;
    } else if (std::strcmp(argv[i], "--headless") == 0) {
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
  if (options.help || options.version) {
    if (options.help)
      std::printf("%s%s.\n", kUsage, vorenn::game::kUserSettingsPlace);
    else
      std::printf("vorenn %s\n", VORENN_VERSION);
    return 0;
  }
  if (options.headless)
    vorenn::platform::InstallHeadlessBackend();
  else
    vorenn::game::InstallWindowedBackend(argc, argv);

  vorenn::game::InstallProgramImage();
  if (!options.script.empty()) {
    auto host = options.headless ? vorenn::driver::MakeHeadlessHost() : vorenn::game::MakeWindowedDriverHost();
    vorenn::driver::RunScriptedApplication(options.script, std::move(host), vorenn::game::GameEntry);
  }
  vorenn::RunApplication(vorenn::game::GameEntry);
}

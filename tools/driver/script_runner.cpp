#include "tools/driver/script_runner.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "engine/core/runtime_error.h"
#include "engine/templates/loaded_windows.h"
#include "engine/templates/window_template.h"
#include "engine/templates/window_template_units.h"
#include "platform/backend.h"
#include "tools/driver/headless_host.h"
#include "tools/driver/script_driver.h"

namespace vorenn::driver {
namespace {

void WriteLine(FILE* stream, std::string_view line) {
  std::fwrite(line.data(), 1, line.size(), stream);
  std::fputc('\n', stream);
  std::fflush(stream);
}

// What happens when the loop next has nothing to do.
enum class Phase { kScript, kClosing, kQuitting, kDone };

struct Runner {
  std::unique_ptr<DriverHost> host;
  std::unique_ptr<ScriptDriver> driver;
  std::vector<std::string> lines;
  size_t next = 0;
  EntryRoutine entry = nullptr;
  Phase phase = Phase::kScript;
};

Runner& TheRunner() {
  static Runner* runner = new Runner;  // lives until the process ends
  return *runner;
}

bool KeepOpenAfterScript() {
  const char* keep = std::getenv(kKeepOpenVariable);
  return keep != nullptr && *keep != '\0';
}

bool Step() {
  Runner& r = TheRunner();
  // Not yet in the program's own loop (a nested one during start-up): later.
  if (!LoopStarted()) return true;
  switch (r.phase) {
    case Phase::kScript:
      if (r.next < r.lines.size()) {
        r.driver->Run(r.lines[r.next++]);
        return true;
      }
      r.driver->FlushBoxes();
      if (KeepOpenAfterScript()) {
        r.phase = Phase::kDone;
        return false;
      }
      // Done: the user closes the window.
      for (WindowInstance* window : LoadedWindows()) {
        if (window->records.empty() || window->records[0].window == nullptr) continue;
        platform::WindowEvent close;
        close.kind = platform::EventKind::CloseRequested;
        close.window = window->records[0].window->Handle();
        platform::Native().PostEvent(close);
      }
      r.phase = Phase::kClosing;
      return true;
    case Phase::kClosing:
      // The window stayed open (its close was refused): the program is asked to quit instead.
      platform::Native().PostQuit(0);
      r.phase = Phase::kQuitting;
      return true;
    case Phase::kQuitting:
    case Phase::kDone:
      return false;
  }
  return false;
}

int RuntimeErrorComing(int code, const char* message) {
  Runner& r = TheRunner();
  if (r.host) r.host->RuntimeErrorBoxComing(RuntimeErrorText(message, code));
  return 0;  // the report goes on and shows its box
}

int ScriptedEntry() {
  Runner& r = TheRunner();
  int code = r.entry();
  r.phase = Phase::kDone;
  r.host->DriveFromLoop(nullptr);
  r.driver->FlushBoxes();
  if (r.next < r.lines.size()) {
    WriteLine(stderr, "the program ended after line " + std::to_string(r.next) + "; " +
                          std::to_string(r.lines.size() - r.next) + " line(s) not run");
    return 1;
  }
  size_t failures = r.driver->Failures().size();
  if (failures == 0) return code;
  WriteLine(stderr, std::to_string(failures) + " line(s) failed");
  return 1;
}

}  // namespace

void RunScriptedApplication(const std::string& scriptPath, std::unique_ptr<DriverHost> host, EntryRoutine entry) {
  std::ifstream file(scriptPath, std::ios::binary);
  if (!file || host == nullptr) {
    WriteLine(stderr, host == nullptr ? "vorenn: no scripted driver for this backend"
                                      : "vorenn: cannot read the script " + scriptPath);
    std::exit(2);
  }
  Runner& r = TheRunner();
  std::string line;
  while (std::getline(file, line)) r.lines.push_back(line);
  // Editors that save UTF-8 with a byte-order mark put it before the first command.
  if (!r.lines.empty() && r.lines[0].rfind("\xEF\xBB\xBF", 0) == 0) r.lines[0].erase(0, 3);
  r.host = std::move(host);
  r.entry = entry;
  r.driver = std::make_unique<ScriptDriver>(
      *r.host, [](std::string_view l) { WriteLine(stdout, l); }, [](std::string_view l) { WriteLine(stderr, l); });
  r.host->DriveFromLoop(&Step);
  SetErrorHook(&RuntimeErrorComing);
  RunApplication(&ScriptedEntry);
}

std::unique_ptr<DriverHost> MakeHeadlessHost() {
  platform::HeadlessBackend* backend = platform::Headless();
  if (backend == nullptr) return nullptr;
  return std::make_unique<HeadlessHost>(*backend);
}

}  // namespace vorenn::driver

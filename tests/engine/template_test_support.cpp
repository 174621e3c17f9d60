#include "tests/engine/template_test_support.h"

#include <unistd.h>

#include <cstdio>

namespace vorenn::testing_support {
namespace {

std::string g_lastText;

void NoSuppress() {}
void KeepText(const std::string& text) { g_lastText = text; }
[[noreturn]] void ThrowExit(int) { throw RuntimeErrorThrown(g_lastText); }
// The engine's own defaults: the text on standard error, then the process ends.
void ShowOnStderr(const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }
[[noreturn]] void ExitNow(int code) {
  std::fflush(nullptr);
  _exit(code);
}

}  // namespace

ThrowingErrorPorts::ThrowingErrorPorts() { SetRuntimeErrorPorts({NoSuppress, KeepText, ThrowExit}); }
ThrowingErrorPorts::~ThrowingErrorPorts() { SetRuntimeErrorPorts({NoSuppress, ShowOnStderr, ExitNow}); }

tools::UnitDescription Unit(uint32_t id, uint32_t type, uint32_t container, uint32_t flags,
                            std::vector<std::pair<int32_t, int32_t>> events) {
  tools::UnitDescription unit;
  unit.id = id;
  unit.type = type;
  unit.name = "u" + std::to_string(id & 0xFFFF);
  unit.container = container;
  unit.geometry = {1, 2, 30, 40};
  unit.flags = flags;
  unit.events = std::move(events);
  return unit;
}

std::vector<uint8_t> OneWindowSegment(std::vector<tools::UnitDescription> units,
                                      std::vector<std::pair<int32_t, int32_t>> windowEvents) {
  tools::WindowDescription window;
  window.id = kWindowId;
  window.units.push_back(Unit(kSelfId, 0x00010001, 0, 1, std::move(windowEvents)));
  for (auto& unit : units) window.units.push_back(std::move(unit));
  tools::TemplateDescription description;
  description.windows.push_back(std::move(window));
  return tools::WriteSegment(description);
}

}  // namespace vorenn::testing_support

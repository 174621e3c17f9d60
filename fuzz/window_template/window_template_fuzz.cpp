// Feeds arbitrary bytes to the template-segment loader. A malformed segment must end in the
// runtime-error report, never in a crash or a read outside the input; the report's exit throws
// back here (unwinding what the loader had built) so that one input does not end the run.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/runtime_error.h"
#include "engine/templates/window_template.h"

namespace {

struct Reported {};

void NoSuppress() {}
void NoBox(const std::string&) {}
[[noreturn]] void ThrowBack(int) { throw Reported{}; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool installed = [] {
    vorenn::SetRuntimeErrorPorts({NoSuppress, NoBox, ThrowBack});
    return true;
  }();
  (void)installed;
  // A private copy, so that a read one past the input is caught by the address sanitizer.
  std::vector<uint8_t> bytes(data, data + size);
  try {
    vorenn::LoadTemplateSegment(bytes.data(), bytes.size());
    for (const vorenn::WindowTemplate& tmpl : vorenn::Templates()) {
      vorenn::WindowInstance& instance = vorenn::CreateInstance(tmpl);
      vorenn::DiscardInstance(&instance);
    }
  } catch (const Reported&) {
  }
  vorenn::ResetTemplateState();
  return 0;
}

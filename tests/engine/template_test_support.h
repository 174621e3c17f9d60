// Helpers for the template tests: runtime-error ports that throw instead of ending the process,
// and small synthetic segments written with the template builder.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/core/runtime_error.h"
#include "tools/segment_writer.h"

namespace vorenn::testing_support {

struct RuntimeErrorThrown : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// While alive, a runtime error throws RuntimeErrorThrown carrying the box text.
class ThrowingErrorPorts {
 public:
  ThrowingErrorPorts();
  ~ThrowingErrorPorts();
};

tools::UnitDescription Unit(uint32_t id, uint32_t type, uint32_t container = 0, uint32_t flags = 1,
                            std::vector<std::pair<int32_t, int32_t>> events = {});
// One window 0x52010003 whose own record (id 0x06010002, visible) comes first.
std::vector<uint8_t> OneWindowSegment(std::vector<tools::UnitDescription> units,
                                      std::vector<std::pair<int32_t, int32_t>> windowEvents = {});

constexpr uint32_t kWindowId = 0x52010003;
constexpr uint32_t kSelfId = 0x06010002;

}  // namespace vorenn::testing_support

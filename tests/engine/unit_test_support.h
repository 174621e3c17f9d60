// A loaded window on the headless backend for the unit tests: runtime errors throw (and suppress
// events, as the real report does), handlers record their calls and answer what the test says,
// and small windows are written as JSON in the template description's form.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/runtime_value.h"
#include "engine/units/unit_events.h"
#include "platform/headless/headless_backend.h"
#include "tools/template_description.h"

namespace vorenn::testing_support {

struct RuntimeError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct HandlerCall {
  int handler;
  std::vector<uint32_t> args;
  EventSource source;
};

constexpr int kHandlerCount = 20;
// A unit type (library 3, type 2) whose descriptor does not mark it as raising events.
constexpr uint32_t kTypeSilentStandIn = 0x00030002;
constexpr uint32_t kTestWindow = 0x52010003;
constexpr uint32_t kTestSelf = 0x06010002;

class UnitTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Loads a window whose own record is given by `windowJson` fields (title etc.) and whose units
  // follow. Handler names are "H0" .. "H19".
  bool LoadUnits(const std::string& unitsJson, const std::string& windowData = "null",
                 const std::string& windowEvents = "[]");
  // The same in two steps, so that a test can change the description in between.
  static tools::TemplateDescription Describe(const std::string& unitsJson, const std::string& windowData = "null",
                                             const std::string& windowEvents = "[]");
  bool LoadDescription(const tools::TemplateDescription& description);
  // The program's real template with the handler table in its generated order.
  bool LoadProgramWindow();

  platform::WindowHandle HandleOf(uint32_t unitId) const;
  int32_t ReadInt(uint32_t unitId, int index, int arrayIndex = -1) const;
  void WriteInt(uint32_t unitId, int index, int32_t value, int arrayIndex = -1) const;
  std::string ReadText(uint32_t unitId, int index, int arrayIndex = -1) const;
  void WriteText(uint32_t unitId, int index, const std::string& text, int arrayIndex = -1) const;
  // Dispatches everything queued.
  void Pump() const;

  platform::HeadlessBackend* native_ = nullptr;
};

// What the handlers did, and what they answer (kNoAnswer unless set) and do.
std::vector<HandlerCall>& Calls();
void SetAnswer(int handler, uint64_t answer);
void SetAction(int handler, std::function<void()> action);
std::vector<int> CalledHandlers();

// The last runtime-error text (GBK), kept by the throwing report.
const std::string& LastErrorText();

}  // namespace vorenn::testing_support

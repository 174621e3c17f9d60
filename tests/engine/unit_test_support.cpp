#include "tests/engine/unit_test_support.h"

#include <array>
#include <cstring>

#include "engine/core/event_suppression.h"
#include "engine/core/library_table.h"
#include "engine/core/memory.h"
#include "engine/core/runtime_error.h"
#include "engine/runtime/frame.h"
#include "engine/runtime/init_runtime.h"
#include "engine/runtime/services.h"
#include "engine/standard_units/standard_units.h"
#include "engine/templates/window_loader.h"
#include "engine/templates/window_template.h"
#include "engine/units/descriptor_tables.h"
#include "engine/units/unit_base.h"
#include "engine/units/unit_contract.h"
#include "resources/window_ids.h"
#include "resources/window_segment.h"
#include "tools/segment_writer.h"
#include "tools/template_description.h"

namespace vorenn::testing_support {
namespace {

std::vector<HandlerCall> g_calls;
std::array<uint64_t, kHandlerCount> g_answers;
std::array<std::function<void()>, kHandlerCount> g_actions;
std::string g_errorText;

template <int N>
uint64_t Recorder(const uint32_t* args, int count) {
  g_calls.push_back({N, std::vector<uint32_t>(args, args + count), CurrentEventSource()});
  if (g_actions[N]) g_actions[N]();
  return g_answers[N];
}

template <int... N>
constexpr std::array<EventHandler, sizeof...(N)> Recorders(std::integer_sequence<int, N...>) {
  return {&Recorder<N>...};
}
constexpr auto kHandlers = Recorders(std::make_integer_sequence<int, kHandlerCount>{});

void Keep(const std::string& text) { g_errorText = text; }
[[noreturn]] void Throw(int) { throw RuntimeError(g_errorText); }

std::string HandlerNames() {
  std::string names;
  for (int i = 0; i < kHandlerCount; ++i) names += (i ? ", \"H" : "\"H") + std::to_string(i) + "\"";
  return names;
}

// Stand-ins for the extended unit types of libraries 3 and 5 (list view, image button), which live
// outside the engine: a plain focusable window that keeps no properties.
constexpr UnitLayout kStandInLayout{99, {}};

class StandInUnit final : public Unit {
 public:
  explicit StandInUnit(const UnitCreateArgs& args) : Unit(args, kStandInLayout, 8) {}
  bool Init(const UnitCreateArgs& args) {
    platform::WindowSpec params;
    params.role = platform::WindowRole::Button;
    return Create(args, params);
  }
};

constexpr uint16_t kNoOwnKinds[] = {kKindInteger};
constexpr auto kStandInProperties = PropertyTable(kNoOwnKinds);
constexpr int kStandInEvents[] = {0};
constexpr auto kStandInEventTable = EventTable(kStandInEvents);
const TypeDescriptor kStandIn = UnitTypeDescriptorOf(
    "StandIn", 0x80000040, kStandInProperties, kStandInEventTable, &StandardUnitInterface<StandInUnit>);
const TypeDescriptor kNoType{"", "", "", 0, nullptr, 0, 0, 0, nullptr, 0, nullptr, nullptr, 0, nullptr};
// A type that makes a window but does not say it raises events.
const TypeDescriptor kSilent = UnitTypeDescriptorOf(
    "Silent", 0x80000000, kStandInProperties, kStandInEventTable, &StandardUnitInterface<StandInUnit>);
const TypeDescriptor kLibrary3Types[] = {kStandIn, kSilent};
const TypeDescriptor kLibrary5Types[] = {kNoType, kNoType, kNoType, kStandIn};

void InstallLibraries() {
  static LibraryDescriptor libraries[6];
  std::span<const TypeDescriptor> core = StandardUnitTypes();
  libraries[0] = {"core", nullptr, int(core.size()), core.data(), 0, nullptr};
  libraries[1] = {"encoding", nullptr, 0, nullptr, 0, nullptr};
  libraries[2] = {"units2", nullptr, 2, kLibrary3Types, 0, nullptr};
  libraries[3] = {"numeric", nullptr, 0, nullptr, 0, nullptr};
  libraries[4] = {"units1", nullptr, 4, kLibrary5Types, 0, nullptr};
  libraries[5] = {"data", nullptr, 0, nullptr, 0, nullptr};
  SetLibraryTable(libraries);
}

}  // namespace

std::vector<HandlerCall>& Calls() { return g_calls; }
void SetAnswer(int handler, uint64_t answer) { g_answers[size_t(handler)] = answer; }
void SetAction(int handler, std::function<void()> action) { g_actions[size_t(handler)] = std::move(action); }
const std::string& LastErrorText() { return g_errorText; }

std::vector<int> CalledHandlers() {
  std::vector<int> handlers;
  for (const HandlerCall& c : g_calls) handlers.push_back(c.handler);
  return handlers;
}

void UnitTest::SetUp() {
  native_ = &platform::InstallHeadlessBackend();
  native_->EchoMessageBoxes(false);
  SetRuntimeErrorPorts({SuppressEvents, Keep, Throw});
  ResetTemplateState();
  InstallLibraries();
  InstallStandardUnits();
  g_calls.clear();
  g_answers.fill(kNoAnswer);
  for (auto& a : g_actions) a = nullptr;
}

void UnitTest::TearDown() {
  for (auto& a : g_actions) a = nullptr;
  ResetTemplateState();
  SetLibraryTable({});
  while (EventsSuppressed()) ResumeEvents();
}

tools::TemplateDescription UnitTest::Describe(const std::string& unitsJson, const std::string& windowData,
                                              const std::string& windowEvents) {
  std::string json = "{\"handlers\": [" + HandlerNames() +
                     "], \"windows\": [{\"id\": \"0x52010003\", \"code\": \"W\", \"words\": [0, 0], \"units\": ["
                     "{\"id\": \"0x06010002\", \"type\": \"window\", \"name\": \"w\", \"code\": \"Self\", "
                     "\"geometry\": [50, 50, 370, 303], \"flags\": \"V--\", \"events\": " +
                     windowEvents + ", \"data\": " + windowData + "}" + (unitsJson.empty() ? "" : ", ") +
                     unitsJson + "]}]}";
  return tools::ParseDescription(json);
}

bool UnitTest::LoadDescription(const tools::TemplateDescription& description) {
  std::vector<uint8_t> segment = tools::WriteSegment(description);
  LoadTemplateSegment(segment.data(), segment.size());
  RegisterEventHandlers(kHandlers);
  return LoadWindowFromTemplate(kTestWindow, /*newInstance=*/false, /*modal=*/false, platform::kNoWindow);
}

bool UnitTest::LoadUnits(const std::string& unitsJson, const std::string& windowData,
                         const std::string& windowEvents) {
  return LoadDescription(Describe(unitsJson, windowData, windowEvents));
}

bool UnitTest::LoadProgramWindow() {
  std::span<const uint8_t> segment = WindowSegment();
  LoadTemplateSegment(segment.data(), segment.size());
  RegisterEventHandlers(std::span<const EventHandler>(kHandlers.data(), size_t(kHandlerCount)));
  return LoadWindowFromTemplate(window_ids::kMainWindow, false, false, platform::kNoWindow);
}

platform::WindowHandle UnitTest::HandleOf(uint32_t unitId) const {
  WindowInstance* instance = FindLoadedWindow(kTestWindow);
  UnitRecord* record = instance ? FindRecord(*instance, unitId) : nullptr;
  return record != nullptr && record->window != nullptr ? record->window->Handle() : platform::kNoWindow;
}

int32_t UnitTest::ReadInt(uint32_t unitId, int index, int arrayIndex) const {
  return int32_t(ReadProperty(kTestWindow, unitId, index, arrayIndex).low);
}

void UnitTest::WriteInt(uint32_t unitId, int index, int32_t value, int arrayIndex) const {
  WriteProperty(kTestWindow, unitId, index, arrayIndex, uint32_t(value), 0);
}

std::string UnitTest::ReadText(uint32_t unitId, int index, int arrayIndex) const {
  PropertyValue v = ReadProperty(kTestWindow, unitId, index, arrayIndex);
  auto* text = static_cast<char*>(PointerOf(RuntimeValue{v.low, v.high, 0}));
  std::string result = text != nullptr ? text : "";
  FreeBlock(text);
  return result;
}

void UnitTest::WriteText(uint32_t unitId, int index, const std::string& text, int arrayIndex) const {
  RuntimeValue v{0, 0, 0};
  SetPointer(v, text.c_str());
  WriteProperty(kTestWindow, unitId, index, arrayIndex, v.low, v.high);
}

void UnitTest::Pump() const { native_->DispatchPending(); }

}  // namespace vorenn::testing_support

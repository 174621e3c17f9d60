// Window templates: the segment that describes every window of the program with its units, the
// template table read from it at start-up, and the window instances that loading makes from it.
//
// All integers little-endian. text = u32 count + GBK bytes (no terminator); strz = GBK bytes + one
// zero byte; buffer = u32 count + bytes.
//
// Segment
//   offset    size   meaning
//   0         4      window table size t = 8 * w
//   4         4w     window ids
//   4+4w      4w     object slots (stored values are ignored)
//   4+t       ...    w window templates, in the order of the ids
//
// Window template
//   0         4      word A (kept)
//   4         4      word B (kept)
//   8         text   name
//   ...       text   remark
//   ...       4      record count n (the window's own record included; at least 1)
//   ...       4      unit list size s
//   ...       s      unit list
//
// Unit list
//   0         4n     record ids; record 0 is the window's own record
//   4n        4n     record offsets, counted from the end of this table
//   8n        ...    n records, each u32 length + length bytes
//
// Unit record (the window's own record too); positions after the strz fields shift
//   0         4      data-type code of the unit (0x00010003: a menu item, below)
//   4         4      event owner: 0, or the id of a unit of the same type whose bindings apply
//   8         16     reserved (kept)
//   24        strz   name
//   ...       strz   remark
//   ...       4      window slot (0 in the segment)
//   ...       16     left, top, width, height (i32), in the container's client coordinates
//   ...       4      cursor slot (0 in the segment)
//   ...       4      container id, 0 for the window itself
//   ...       4      child count k
//   ...       4k     child ids
//   ...       buffer cursor data: empty, 4 bytes of a standard pointer number, or a cursor image
//   ...       strz   tag
//   ...       4      reserved (kept)
//   ...       4      flags: bit 0 visible, bit 1 disabled, bit 2 tab stop
//   ...       4      tab order
//   ...       4      event count e
//   ...       8e     bindings: i32 event number, i32 handler offset (-1: none)
//   ...       20     reserved (kept)
//   ...       rest   unit data: the type's own properties, u32 version first; may be empty
//
// Menu-item record: the same head up to the remark, then
//   ...       4      flags (bits 0-2, seen through the menu item's properties 1-3)
//   ...       text   caption
//   ...       4      shortcut key (kept)
//   ...       4      handler offset (-1: none)
//   ...       rest   kept
//
// A handler offset indexes the game's event-handler table (RegisterEventHandlers); reading the
// segment turns it into a HandlerRef. Any read past the end, a count that cannot fit, an offset
// outside the records, a negative handler offset other than -1 or a window without records ends
// the program with the runtime error "载入窗口模板数据段出错!".
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/native_window.h"

namespace vorenn {

class UnitWindow;  // engine/templates/window_template_units.h

// A handler of the game logic: the event's arguments as 32-bit words in order; its answer as one
// or two words (low first).
using EventHandler = uint64_t (*)(const uint32_t* args, int count);

// 0: no handler; otherwise the handler table index + 1.
using HandlerRef = uint32_t;
constexpr HandlerRef kNoHandler = 0;

enum UnitFlags : uint32_t { kFlagVisible = 1u << 0, kFlagDisabled = 1u << 1, kFlagTabStop = 1u << 2 };

struct EventBinding {
  int32_t event;
  HandlerRef handler;
};

struct UnitRecord {
  uint32_t id = 0;
  uint32_t type = 0;
  uint32_t eventOwner = 0;
  std::array<uint32_t, 4> reserved{};
  std::string name;    // GBK
  std::string remark;  // GBK
  int32_t left = 0, top = 0, width = 0, height = 0;
  uint32_t container = 0;
  std::vector<uint32_t> children;
  std::vector<uint8_t> cursorData;
  std::string tag;  // GBK
  uint32_t reserved2 = 0;
  uint32_t flags = 0;
  uint32_t tabOrder = 0;
  std::vector<EventBinding> events;
  std::array<uint32_t, 5> reserved3{};
  std::vector<uint8_t> unitData;
  // Menu items: caption and shortcut; the handler is events[0] with event number 0.
  std::string menuCaption;
  uint32_t menuShortcut = 0;

  // Instance-only slots: null and 0 in the template table.
  UnitWindow* window = nullptr;
  uintptr_t cursor = 0;

  bool IsMenuItem() const;
};

struct WindowTemplate {
  uint32_t id = 0;
  uint32_t wordA = 0;
  uint32_t wordB = 0;
  std::string name;
  std::string remark;
  std::vector<UnitRecord> records;  // record 0 is the window's own
};

// A loaded window: its own copy of the records (run-time changes never reach the template) and
// the live window objects it owns. Records keep their addresses while units are added.
struct WindowInstance {
  WindowInstance();
  ~WindowInstance();
  WindowInstance(const WindowInstance&) = delete;
  WindowInstance& operator=(const WindowInstance&) = delete;

  uint32_t windowId = 0;
  std::deque<UnitRecord> records;
  std::vector<std::unique_ptr<UnitWindow>> liveWindows;
  bool loaded = false;  // false while loading, true once the load completed
  std::vector<WindowInstance*> disabledWindows;  // windows this modal window disabled

  // Where the first record of each unit id lies (a template may repeat an id), so that the
  // lookups every property access makes do not walk the records. Built on first use; code that
  // adds or removes records calls RecordsChanged.
  static constexpr size_t kIndexStale = ~size_t(0);
  mutable std::unordered_map<uint32_t, size_t> recordIndex;
  mutable size_t indexedRecordCount = kIndexStale;
};

// --- the template table ---

// Reads the segment into the template table, replacing what it held; fixes up handler offsets.
// A malformed segment never returns (runtime error above) and leaves the table unchanged.
void LoadTemplateSegment(const uint8_t* data, size_t size);
// The template of a window, or null.
const WindowTemplate* FindTemplate(uint32_t windowId);
std::span<const WindowTemplate> Templates();

// --- the game's event handlers ---

// The game's handler table, which template handler offsets index. The table must outlive its use.
// A template offset beyond the table ends the program with the template error, whether the table
// or the segment comes second.
void RegisterEventHandlers(std::span<const EventHandler> table);
// The handler a reference names; null for kNoHandler or an unregistered index.
EventHandler ResolveHandler(HandlerRef ref);
// The handler bound to an event of a unit: the window's own record when unitId is its record id;
// follows the event owner while it names another unit of the same type (a cycle ends at the
// record count). Null when the unit or binding does not exist or the binding has no handler.
EventHandler FindEventHandler(const WindowInstance& instance, uint32_t unitId, int32_t event);

// --- window instances and lookups ---

// A new instance holding a copy of the template's records; owned by the instance list.
WindowInstance& CreateInstance(const WindowTemplate& tmpl);
// Destroys the instance's live windows (last record first) and drops it. Custom cursors are the
// caller's to release first (the loader host does it).
void DiscardInstance(WindowInstance* instance);
// Whether the pointer still names a live instance (handlers may close windows during a load).
bool IsLiveInstance(const WindowInstance* instance);
// The most recently created instance of the window, or null.
WindowInstance* FindLoadedWindow(uint32_t windowId);
// The window has been loaded and closed since, and is not loaded again (false for a window that
// was never loaded).
bool WindowWasClosed(uint32_t windowId);
std::vector<WindowInstance*> LoadedWindows();
// The first record with this id, or null / kNoRecord.
UnitRecord* FindRecord(WindowInstance& instance, uint32_t unitId);
constexpr size_t kNoRecord = ~size_t(0);
size_t FindRecordIndex(const WindowInstance& instance, uint32_t unitId);
// Records were added to or removed from the instance: its id index is built again when next used.
void RecordsChanged(WindowInstance& instance);
UnitRecord* RecordAt(WindowInstance& instance, size_t index);
UnitWindow* LiveWindowOf(const UnitRecord& record);

struct RecordLocation {
  WindowInstance* instance = nullptr;
  size_t index = 0;
};
// The instance and record index whose live window has this native handle; instance null if none.
RecordLocation FindRecordByHandle(platform::WindowHandle handle);

// Drops every instance and template and the handler table (tests).
void ResetTemplateState();

}  // namespace vorenn

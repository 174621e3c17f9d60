// The window templates as the description (resources/window.json) gives them, resolved into the
// values that the segment stores: texts in GBK, containers and event owners as ids, handler names
// as offsets into the handler table, unit data encoded.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vorenn::tools {

struct UnitDescription {
  uint32_t id = 0;
  uint32_t type = 0;
  std::string typeName;
  std::string name;      // GBK
  std::string utf8Name;  // for generated comments
  std::string code;      // identifier for generated sources
  std::string remark;    // GBK
  uint32_t eventOwner = 0;
  uint32_t container = 0;
  std::array<int32_t, 4> geometry{};
  std::vector<uint8_t> cursor;
  std::string tag;  // GBK
  uint32_t flags = 0;
  uint32_t tabOrder = 0;
  std::vector<std::pair<int32_t, int32_t>> events;  // event number, handler offset
  std::vector<uint8_t> data;
  // Menu items (type 0x00010003) only; their handler is events[0], or none.
  std::string menuCaption;  // GBK
  uint32_t menuShortcut = 0;
};

struct WindowDescription {
  uint32_t id = 0;
  std::string code;
  uint32_t wordA = 0;
  uint32_t wordB = 0;
  std::string name;    // GBK
  std::string remark;  // GBK
  std::vector<UnitDescription> units;  // record order; units[0] is the window's own record
};

struct TemplateDescription {
  std::vector<std::string> handlers;  // handler offset = index in this table
  std::vector<WindowDescription> windows;
};

// Throws std::runtime_error with a message that names the window or unit at fault: malformed JSON,
// an unknown type, container, event owner or handler, a duplicate id or code, a first record that
// is not the window's own.
TemplateDescription ParseDescription(std::string_view json);

}  // namespace vorenn::tools

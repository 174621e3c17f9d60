#include "tools/template_description.h"

#include <map>
#include <set>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "tools/byte_writer.h"
#include "tools/unit_data_writer.h"

namespace vorenn::tools {
namespace {

using Json = nlohmann::ordered_json;

constexpr uint32_t kWindowType = 0x00010001;

uint32_t FlagsOf(const std::string& text) {
  if (text.size() != 3) throw std::runtime_error("flags are three letters, e.g. \"V-T\"");
  static const char kLetters[] = "VDT";
  uint32_t flags = 0;
  for (int bit = 0; bit < 3; ++bit) {
    if (text[bit] == kLetters[bit]) {
      flags |= 1u << bit;
    } else if (text[bit] != '-') {
      throw std::runtime_error("flag letter '" + std::string(1, text[bit]) + "' out of place");
    }
  }
  return flags;
}

std::vector<uint8_t> CursorOf(const Json& unit) {
  if (!unit.contains("cursor") || unit.at("cursor").is_null()) return {};
  uint32_t pointer = ParseWord(unit.at("cursor"));
  return {uint8_t(pointer), uint8_t(pointer >> 8), uint8_t(pointer >> 16), uint8_t(pointer >> 24)};
}

UnitDescription ParseUnit(const Json& u, const std::map<std::string, int32_t>& handlerIndex) {
  UnitDescription unit;
  unit.id = ParseWord(u.at("id"));
  unit.typeName = u.at("type").get<std::string>();
  unit.type = TypeCodeByName(unit.typeName);
  unit.utf8Name = u.at("name").get<std::string>();
  unit.name = ToGbk(unit.utf8Name);
  unit.code = u.at("code").get<std::string>();
  unit.remark = ToGbk(u.value("remark", ""));
  unit.tag = ToGbk(u.value("tag", ""));
  const Json& geometry = u.at("geometry");
  if (geometry.size() != 4) throw std::runtime_error("geometry is left, top, width, height");
  for (size_t i = 0; i < 4; ++i) unit.geometry[i] = geometry.at(i).get<int32_t>();
  unit.cursor = CursorOf(u);
  unit.flags = FlagsOf(u.at("flags").get<std::string>());
  unit.tabOrder = u.value("tabOrder", 0u);
  for (const Json& binding : u.at("events")) {
    const std::string handler = binding.at(1).get<std::string>();
    auto it = handlerIndex.find(handler);
    if (it == handlerIndex.end()) throw std::runtime_error("unknown handler \"" + handler + "\"");
    unit.events.emplace_back(binding.at(0).get<int32_t>(), it->second);
  }
  unit.data = EncodeUnitData(unit.typeName, u.contains("data") ? u.at("data") : Json());
  return unit;
}

// Containers and event owners are written by unit name; the segment holds ids.
void ResolveNames(WindowDescription& window, const Json& units) {
  std::map<std::string, const UnitDescription*> byName;
  for (const UnitDescription& unit : window.units) {
    if (!unit.utf8Name.empty() && !byName.emplace(unit.utf8Name, &unit).second) {
      throw std::runtime_error("duplicate unit name \"" + unit.utf8Name + "\"");
    }
  }
  auto idOf = [&](const Json& name) -> uint32_t {
    if (name.is_null()) return 0;
    auto it = byName.find(name.get<std::string>());
    if (it == byName.end()) throw std::runtime_error("no unit named \"" + name.get<std::string>() + "\"");
    return it->second->id;
  };
  for (size_t i = 0; i < window.units.size(); ++i) {
    const Json& u = units.at(i);
    window.units[i].container = idOf(u.value("container", Json()));
    window.units[i].eventOwner = idOf(u.value("eventOwner", Json()));
  }
}

void CheckUnique(const WindowDescription& window) {
  std::set<uint32_t> ids;
  std::set<std::string> codes;
  for (const UnitDescription& unit : window.units) {
    if (!ids.insert(unit.id).second) throw std::runtime_error("duplicate unit id");
    if (!codes.insert(unit.code).second) throw std::runtime_error("duplicate code " + unit.code);
  }
  if (window.units.empty() || window.units[0].type != kWindowType) {
    throw std::runtime_error("the first record must be the window's own record");
  }
}

WindowDescription ParseWindow(const Json& w, const std::map<std::string, int32_t>& handlerIndex) {
  WindowDescription window;
  window.id = ParseWord(w.at("id"));
  window.code = w.at("code").get<std::string>();
  window.wordA = ParseWord(w.at("words").at(0));
  window.wordB = ParseWord(w.at("words").at(1));
  window.name = ToGbk(w.value("name", ""));
  window.remark = ToGbk(w.value("remark", ""));
  const Json& units = w.at("units");
  for (const Json& u : units) {
    try {
      window.units.push_back(ParseUnit(u, handlerIndex));
    } catch (const std::exception& e) {
      throw std::runtime_error("unit " + u.value("name", std::string("?")) + ": " + e.what());
    }
  }
  ResolveNames(window, units);
  CheckUnique(window);
  return window;
}

}  // namespace

TemplateDescription ParseDescription(std::string_view json) {
  const Json doc = Json::parse(json);
  TemplateDescription description;
  std::map<std::string, int32_t> handlerIndex;
  for (const Json& name : doc.at("handlers")) {
    description.handlers.push_back(name.get<std::string>());
    if (!handlerIndex.emplace(name.get<std::string>(), int32_t(handlerIndex.size())).second) {
      throw std::runtime_error("duplicate handler " + name.get<std::string>());
    }
  }
  std::set<uint32_t> windowIds;
  for (const Json& w : doc.at("windows")) {
    description.windows.push_back(ParseWindow(w, handlerIndex));
    if (!windowIds.insert(description.windows.back().id).second) {
      throw std::runtime_error("duplicate window id");
    }
  }
  return description;
}

}  // namespace vorenn::tools

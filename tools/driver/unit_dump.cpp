#include "tools/driver/unit_dump.h"

#include <cstdio>

#include "platform/backend.h"
#include "platform/gbk_text.h"
#include "tools/driver/unit_lookup.h"
#include "tools/driver/unit_values.h"

namespace vorenn::driver {
namespace {

// A property as the dump shows it; a property the unit cannot give shows as null.
std::string Value(const UnitAt& unit, int index) {
  std::string value, error;
  if (!ReadPropertyText(unit, index, &value, &error)) return "null";
  return value;
}

std::string Flag(const UnitAt& unit, int index) {
  std::string value = Value(unit, index);
  return value == "null" ? value : value == "1" ? "true" : "false";
}

std::string TextValue(const UnitAt& unit, int index) {
  std::string value, error;
  if (index < 0 || !ReadPropertyText(unit, index, &value, &error)) return "null";
  return JsonString(value);
}

std::string Rows(platform::WindowHandle list) {
  platform::Backend& native = platform::Native();
  int columns = native.ListColumnCount(list);
  std::string rows = "[";
  for (int row = 0, count = native.ListItemCount(list); row < count; ++row) {
    rows += row == 0 ? "[" : ",[";
    for (int column = 0; column < columns; ++column) {
      if (column > 0) rows += ",";
      rows += JsonString(platform::GbkToUtf8(native.ListItemText(list, row, column)));
    }
    rows += "]";
  }
  return rows + "]";
}

std::string UnitLine(const UnitAt& unit) {
  std::string type = TypeNameOf(unit);
  std::string line = "{\"name\":" + JsonString(platform::GbkToUtf8(unit.record->name));
  line += ",\"id\":" + std::to_string(unit.UnitId());
  line += ",\"type\":" + JsonString(type);
  static const char* const kGeometry[] = {"left", "top", "width", "height"};
  for (int i = 0; i < 4; ++i) line += std::string(",\"") + kGeometry[i] + "\":" + Value(unit, i);
  line += ",\"visible\":" + Flag(unit, 5);
  line += ",\"disabled\":" + Flag(unit, 6);
  line += ",\"tag\":" + TextValue(unit, 4);
  line += ",\"text\":" + TextValue(unit, TextPropertyIndex(type));
  if (unit.copyOf != 0) line += ",\"copyOf\":" + std::to_string(unit.copyOf);
  for (const char* name : {"interval", "minimum", "maximum", "position"}) {
    int index = NamedPropertyIndex(type, name);
    // The window's position is its show state, which the geometry and visibility already tell.
    if (index >= 0 && type != "window") line += std::string(",\"") + name + "\":" + Value(unit, index);
  }
  platform::WindowHandle handle = HandleOf(unit);
  if (type == "ListView" && handle != platform::kNoWindow) line += ",\"rows\":" + Rows(handle);
  return line + "}";
}

}  // namespace

std::string JsonString(std::string_view utf8) {
  std::string out = "\"";
  for (char c : utf8) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (uint8_t(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(uint8_t(c)));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

std::vector<std::string> DumpLines(DriverHost& host) {
  std::vector<std::string> lines;
  std::vector<UnitAt> units = UnitsInDumpOrder();
  std::optional<std::string> tip;
  for (const UnitAt& unit : units) {
    lines.push_back(UnitLine(unit));
    platform::WindowHandle handle = HandleOf(unit);
    if (unit.IsWindow() && handle != platform::kNoWindow && !tip) tip = host.TrayTip(handle);
  }
  if (tip) {
    lines.push_back("{\"tray\":true,\"tip\":" + JsonString(platform::GbkToUtf8(*tip)) + "}");
  } else {
    lines.push_back("{\"tray\":false}");
  }
  return lines;
}

}  // namespace vorenn::driver

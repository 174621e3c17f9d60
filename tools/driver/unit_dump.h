// The `dump` lines: one JSON object per unit in dump order (tools/driver/unit_lookup.h), then one
// for the notification-area icon. Texts are UTF-8.
//
//   {"name":..., "id":..., "type":..., "left":..., "top":..., "width":..., "height":...,
//    "visible":true|false, "disabled":true|false, "tag":..., "text":...  (caption, content or title)
//    [,"copyOf":<source id>] [,"interval":...] (Timer) [,"minimum","maximum","position"] (VScrollBar)
//    [,"rows":[[cell,...],...]] (ListView)}
//   {"tray":true|false [,"tip":...]}
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/driver/driver_host.h"

namespace vorenn::driver {

std::vector<std::string> DumpLines(DriverHost& host);

// A JSON string literal of UTF-8 text.
std::string JsonString(std::string_view utf8);

}  // namespace vorenn::driver

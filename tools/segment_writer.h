// Writes the template segment that engine/templates/window_template.h describes and reads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/template_description.h"

namespace vorenn::tools {

// The record of one unit, without its length word. A unit's children are the units whose
// container is its id (for the window's own record: the units with container 0), in record order.
std::vector<uint8_t> WriteUnitRecord(const WindowDescription& window, size_t index);

// The whole segment: window table, then one window template per window.
std::vector<uint8_t> WriteSegment(const TemplateDescription& description);

// A C++ source that embeds the segment behind `vorenn::WindowSegment()` (resources/window_segment.h).
std::string EmbeddedSegmentSource(const std::vector<uint8_t>& segment);

// A header with the window and unit ids by code name and the handler table order.
std::string IdsHeader(const TemplateDescription& description);

}  // namespace vorenn::tools

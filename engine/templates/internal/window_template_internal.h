// Shared between the segment reader and the template table; not part of the contract.
#pragma once

#include <optional>
#include <vector>

#include "engine/templates/window_template.h"

namespace vorenn {

// The runtime error "载入窗口模板数据段出错!".
[[noreturn]] void ReportTemplateError();

// The size of the registered handler table, or nothing before one is registered.
std::optional<size_t> RegisteredHandlerCount();
// Ends the program with the template error when a handler reference lies beyond the table.
void ValidateHandlerRefs(const std::vector<WindowTemplate>& templates, std::optional<size_t> handlerCount);
void ReplaceTemplates(std::vector<WindowTemplate> templates);

}  // namespace vorenn

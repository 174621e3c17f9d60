// A whole file replaced so that a reader sees the old content or the new, never a mix, and a
// crash leaves one of them on disk.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vorenn::platform {

// Writes `content` to a temporary file beside `path`, flushes it and renames it over `path`. On
// Linux a new file gets newFileMode and an existing one keeps its permission bits within
// existingFileMask; Windows files take the access rules of their folder.
bool ReplaceFileAtomically(const std::string& path, std::string_view content, uint32_t newFileMode,
                           uint32_t existingFileMask);

}  // namespace vorenn::platform

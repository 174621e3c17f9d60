#include "commands/system_commands.h"

#include "engine/core/program_directory.h"
#include "platform/profile_file.h"

namespace vorenn {
namespace {

std::string_view SkipControlAndSpace(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= 32) s.remove_prefix(1);
  return s;
}

}  // namespace

std::string ReadIniItem(std::string_view file, std::string_view section, std::optional<std::string_view> key,
                        std::optional<std::string_view> defaultText) {
  file = SkipControlAndSpace(file);
  section = SkipControlAndSpace(section);
  std::string_view name = SkipControlAndSpace(key.value_or(std::string_view()));
  if (file.empty() || section.empty() || name.empty()) return {};
  return platform::ReadProfileString(std::string(file), section, name, defaultText.value_or(std::string_view()),
                                     platform::kProfileBufferSize);
}

bool WriteIniItem(std::string_view file, std::string_view section, std::optional<std::string_view> key,
                  std::optional<std::string_view> value, mode_t newFileMode) {
  return platform::WriteProfileString(std::string(file), section, key, value, {.newFileMode = newFileMode, .existingFileMask = newFileMode});
}

std::string GetRunDirectory() { return ProgramDirectory(); }

}  // namespace vorenn

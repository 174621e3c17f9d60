// Core commands that reach outside the program: INI items and the program directory.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

namespace vorenn {

// Settings files that WriteIniItem writes are readable by their owner only: they hold account
// data.
constexpr mode_t kIniFileMode = 0600;

// Leading characters up to code 32 are skipped in the file name, the section and the key; when any
// of them is then empty (an omitted key included) the result is the empty text, whatever the
// default. Otherwise the item's value, or the default (empty when omitted), at most 10239 bytes.
std::string ReadIniItem(std::string_view file, std::string_view section, std::optional<std::string_view> key,
                        std::optional<std::string_view> defaultText);

// Writes the item; an omitted value deletes the key, an omitted key the whole section. A file it
// creates gets `newFileMode`; an existing file it rewrites keeps only those of its permission bits
// that `newFileMode` has, so a settings file left readable by others is closed on the next write.
// True when the file was written (or had nothing to delete).
bool WriteIniItem(std::string_view file, std::string_view section, std::optional<std::string_view> key,
                  std::optional<std::string_view> value, mode_t newFileMode = kIniFileMode);

// The directory that holds the program file, without a trailing separator.
std::string GetRunDirectory();

}  // namespace vorenn

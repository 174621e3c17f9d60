// Private-profile (INI) files: "[section]" lines and "key=value" lines, as settings files are
// written on the desktop.
//
// - Section and key names match without regard to ASCII case, with blanks around them ignored; the
//   first matching section and, in it, the first matching key win.
// - Values are read with blanks (spaces and tabs) around them removed.
// - Lines end in CR LF when written; LF alone is read as well. Lines starting with ";" are comments.
//   Bytes are kept as they are (GBK texts pass through untouched).
// - A write replaces the whole file atomically: the new content goes to a temporary file beside it,
//   is flushed to disk and renamed over the old one, so a crash or a full disk never leaves a
//   truncated file behind.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vorenn::platform {

constexpr size_t kProfileBufferSize = 10240;

// The value of the key in the section, or `defaultValue` when the file, the section or the key is
// missing. Like a read into a buffer of `bufferSize` bytes, the result holds at most bufferSize - 1
// bytes (never half a double-byte character).
std::string ReadProfileString(const std::string& path, std::string_view section, std::string_view key,
                              std::string_view defaultValue, size_t bufferSize = kProfileBufferSize);

struct ProfileWriteOptions {
  // Permission bits of a file that the write creates.
  mode_t newFileMode = 0644;
  // The permission bits an existing file keeps when it is rewritten; the others are cleared.
  mode_t existingFileMask = 07777;
};

// Sets key=value in the section, creating the file and the section as needed. An omitted value
// deletes the key; an omitted key deletes the whole section. True when the file now says so
// (deleting what is not there succeeds without touching the file); false when the file could not
// be written, the old file then being unchanged.
bool WriteProfileString(const std::string& path, std::string_view section, std::optional<std::string_view> key,
                        std::optional<std::string_view> value, const ProfileWriteOptions& options = {});

}  // namespace vorenn::platform

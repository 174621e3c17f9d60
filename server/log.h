// The server's log: one line per event, "TIME LEVEL message" with TIME in UTC to the millisecond.
// Lines go to standard error, or to a file that Reopen opens again (after a log rotation moved it).
// Safe to use from any thread.
#pragma once

#include <string>

namespace vorenn::server {

enum class LogLevel { Info, Warning, Error };

// Sends lines to `path` from now on (appending); an empty path means standard error. False, with
// the reason in `error`, when the file cannot be opened; the previous target is then kept.
bool SetLogFile(const std::string& path, std::string& error);
// Opens the current log file again under its name; nothing for standard error.
bool ReopenLog(std::string& error);

void LogLine(LogLevel level, const std::string& message);

// A value for a `key=value` log field: characters that could break or forge a line become '?'.
std::string LogValue(const std::string& text);

}  // namespace vorenn::server

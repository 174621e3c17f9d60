#include "server/log.h"

#include <sys/time.h>

#include <cstdio>
#include <ctime>
#include <mutex>

namespace vorenn::server {

namespace {

std::mutex logMutex;
std::FILE* logFile = nullptr;  // null: standard error
std::string logPath;

const char* LevelName(LogLevel level) {
  switch (level) {
    case LogLevel::Info: return "INFO";
    case LogLevel::Warning: return "WARN";
    case LogLevel::Error: return "ERROR";
  }
  return "INFO";
}

bool OpenLocked(const std::string& path, std::string& error) {
  if (path.empty()) {
    if (logFile) std::fclose(logFile);
    logFile = nullptr;
    logPath.clear();
    return true;
  }
  std::FILE* file = std::fopen(path.c_str(), "ae");
  if (!file) {
    error = "cannot open the log file " + path;
    return false;
  }
  // Line buffered: a line is complete in the file once written, even if the server is killed.
  std::setvbuf(file, nullptr, _IOLBF, 0);
  if (logFile) std::fclose(logFile);
  logFile = file;
  logPath = path;
  return true;
}

}  // namespace

bool SetLogFile(const std::string& path, std::string& error) {
  std::lock_guard lock(logMutex);
  return OpenLocked(path, error);
}

bool ReopenLog(std::string& error) {
  std::lock_guard lock(logMutex);
  if (logPath.empty()) return true;
  std::string path = logPath;
  return OpenLocked(path, error);
}

void LogLine(LogLevel level, const std::string& message) {
  timeval now{};
  gettimeofday(&now, nullptr);
  tm utc{};
  gmtime_r(&now.tv_sec, &utc);
  char when[80];
  std::snprintf(when, sizeof when, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900, utc.tm_mon + 1,
                utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, static_cast<int>(now.tv_usec / 1000));
  std::lock_guard lock(logMutex);
  std::fprintf(logFile ? logFile : stderr, "%s %s %s\n", when, LevelName(level), message.c_str());
}

std::string LogValue(const std::string& text) {
  if (text.empty()) return "-";
  std::string value = text.substr(0, 64);
  for (char& c : value) {
    bool tame = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                c == ':' || c == '/' || c == '-' || c == '_' || c == '[' || c == ']';
    if (!tame) c = '?';
  }
  return value;
}

}  // namespace vorenn::server

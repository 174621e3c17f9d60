#include "platform/profile_file.h"

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/internal/file_replace.h"

namespace vorenn::platform {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 0x20) : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

// "[name]" (the closing bracket may be missing): the trimmed name.
bool SectionNameOf(std::string_view line, std::string_view& name) {
  line = Trim(line);
  if (line.empty() || line.front() != '[') return false;
  line.remove_prefix(1);
  size_t close = line.find(']');
  name = Trim(line.substr(0, close));
  return true;
}

// "key=value": the trimmed key and value; comments and lines without "=" are no keys.
bool KeyValueOf(std::string_view line, std::string_view& key, std::string_view& value) {
  std::string_view trimmed = Trim(line);
  if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '[') return false;
  size_t eq = trimmed.find('=');
  if (eq == std::string_view::npos) return false;
  key = Trim(trimmed.substr(0, eq));
  value = Trim(trimmed.substr(eq + 1));
  return true;
}

enum class Load { kRead, kMissing, kFailed };

Load ReadWholeFile(const std::string& path, std::string& content) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return errno == ENOENT ? Load::kMissing : Load::kFailed;
  char buffer[8192];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) content.append(buffer, n);
  bool ok = !std::ferror(f);
  std::fclose(f);
  return ok ? Load::kRead : Load::kFailed;
}

std::vector<std::string> SplitLines(std::string_view content) {
  std::vector<std::string> lines;
  while (!content.empty()) {
    size_t lf = content.find('\n');
    std::string_view line = content.substr(0, lf);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    if (lf == std::string_view::npos) break;
    content.remove_prefix(lf + 1);
  }
  return lines;
}

// Index of the first section header with this name, or lines.size().
size_t FindSection(const std::vector<std::string>& lines, std::string_view section) {
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string_view name;
    if (SectionNameOf(lines[i], name) && SameName(name, section)) return i;
  }
  return lines.size();
}

// One past the last line of the section whose header is at `header`.
size_t SectionEnd(const std::vector<std::string>& lines, size_t header) {
  std::string_view name;
  size_t i = header + 1;
  while (i < lines.size() && !SectionNameOf(lines[i], name)) ++i;
  return i;
}

size_t FindKey(const std::vector<std::string>& lines, size_t header, size_t end, std::string_view key) {
  for (size_t i = header + 1; i < end; ++i) {
    std::string_view k, v;
    if (KeyValueOf(lines[i], k, v) && SameName(k, key)) return i;
  }
  return end;
}

// The cut that keeps at most `limit` bytes without splitting a double-byte character.
size_t CutLength(std::string_view s, size_t limit) {
  size_t i = 0;
  while (i < s.size()) {
    size_t width = (static_cast<unsigned char>(s[i]) >= 0x80 && i + 1 < s.size()) ? 2 : 1;
    if (i + width > limit) break;
    i += width;
  }
  return i;
}

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

}  // namespace

std::string ReadProfileString(const std::string& path, std::string_view section, std::string_view key,
                              std::string_view defaultValue, size_t bufferSize) {
  std::string content;
  std::string_view found = defaultValue;
  std::vector<std::string> lines;
  if (ReadWholeFile(path, content) == Load::kRead) {
    lines = SplitLines(content);
    size_t header = FindSection(lines, section);
    if (header < lines.size()) {
      size_t end = SectionEnd(lines, header);
      size_t at = FindKey(lines, header, end, key);
      std::string_view k;
      if (at < end) KeyValueOf(lines[at], k, found);
    }
  }
  size_t limit = bufferSize > 0 ? bufferSize - 1 : 0;
  return std::string(found.substr(0, CutLength(found, limit)));
}

bool WriteProfileString(const std::string& path, std::string_view section, std::optional<std::string_view> key,
                        std::optional<std::string_view> value, const ProfileWriteOptions& options) {
  // A name or value with a line break could not be read back; it would also forge other lines.
  if (path.empty() || Trim(section).empty() || HasLineBreak(section) || (key && HasLineBreak(*key)) ||
      (value && HasLineBreak(*value)) || (key && Trim(*key).empty())) {
    return false;
  }
  std::string content;
  Load load = ReadWholeFile(path, content);
  if (load == Load::kFailed) return false;
  std::vector<std::string> lines = SplitLines(content);
  size_t header = FindSection(lines, Trim(section));
  bool sectionFound = header < lines.size();

  if (!key) {
    if (!sectionFound) return true;
    lines.erase(lines.begin() + std::ptrdiff_t(header), lines.begin() + std::ptrdiff_t(SectionEnd(lines, header)));
  } else {
    std::string_view name = Trim(*key);
    size_t end = sectionFound ? SectionEnd(lines, header) : lines.size();
    size_t at = sectionFound ? FindKey(lines, header, end, name) : end;
    bool keyFound = sectionFound && at < end;
    if (!value) {
      if (!keyFound) return true;
      lines.erase(lines.begin() + std::ptrdiff_t(at));
    } else {
      std::string line(name);
      line.append("=").append(Trim(*value));
      if (keyFound) {
        lines[at] = std::move(line);
      } else if (sectionFound) {
        // After the section's last non-blank line, so blank separators stay between sections.
        size_t insert = end;
        while (insert > header + 1 && Trim(lines[insert - 1]).empty()) --insert;
        lines.insert(lines.begin() + std::ptrdiff_t(insert), std::move(line));
      } else {
        std::string sectionLine("[");
        lines.push_back(sectionLine.append(Trim(section)).append("]"));
        lines.push_back(std::move(line));
      }
    }
  }
  std::string out;
  for (const std::string& line : lines) out.append(line).append("\r\n");
  return ReplaceFileAtomically(path, out, options.newFileMode, options.existingFileMask);
}

}  // namespace vorenn::platform

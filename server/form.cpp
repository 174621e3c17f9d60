#include "server/form.h"

#include <vector>

namespace vorenn::server {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string PercentDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    int high = text[i] == '%' && i + 2 < text.size() ? HexDigit(text[i + 1]) : -1;
    int low = high >= 0 ? HexDigit(text[i + 2]) : -1;
    if (low < 0) {
      out.push_back(text[i]);
      continue;
    }
    out.push_back(static_cast<char>(high * 16 + low));
    i += 2;
  }
  return out;
}

bool ParseFormInto(std::string_view text, FormFields& fields) {
  std::vector<std::pair<std::string, std::string>> pairs;
  while (!text.empty()) {
    size_t end = text.find('&');
    std::string_view pair = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (pair.empty()) continue;
    size_t eq = pair.find('=');
    std::string key = PercentDecode(pair.substr(0, eq));
    std::string value = PercentDecode(eq == std::string_view::npos ? std::string_view() : pair.substr(eq + 1));
    if (key.find('\0') != std::string::npos || value.find('\0') != std::string::npos) return false;
    pairs.emplace_back(std::move(key), std::move(value));
  }
  for (auto& [key, value] : pairs) fields.emplace(std::move(key), std::move(value));
  return true;
}

}  // namespace vorenn::server

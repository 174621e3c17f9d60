// A new, empty folder under the system's folder for temporary files, on Linux and on Windows.
#pragma once

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace vorenn::test_support {

// Its path (with '/' or '\' as the system writes them), or empty when none could be made.
inline std::string TempFolder(const std::string& prefix) {
  std::error_code error;
  const std::filesystem::path base = std::filesystem::temp_directory_path(error);
  if (error) return {};
  std::random_device seed;
  std::mt19937_64 rng(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::filesystem::path folder = base / (prefix + "-" + std::to_string(rng() % 1000000000));
    if (std::filesystem::create_directory(folder, error)) return folder.string();
  }
  return {};
}

}  // namespace vorenn::test_support

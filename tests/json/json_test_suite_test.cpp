// Every file of the public JSON conformance files, against the answers our dialect gives them
// (json_test_suite_expected.txt: file name, tab, "ok" or the error). The suite's own y/n verdicts
// are not ours: documents must start with "{" or "[", trailing commas are accepted, and so on.
//
// Error column: empty, format, name, colon, structure, or "symbol " and the token, with bytes
// outside printable ASCII (and the backslash) written as \xHH.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "json/json_parser.h"

namespace vorenn {
namespace {

namespace fs = std::filesystem;

std::string EscapeToken(std::string_view token) {
  std::string out;
  for (unsigned char c : token) {
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out += char(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out;
}

std::string Outcome(int32_t ok, const std::string& error) {
  if (ok == 1) return "ok";
  if (error == kJsonErrorEmpty) return "empty";
  if (error == kJsonErrorFormat) return "format";
  if (error == kJsonErrorUnquotedName) return "name";
  if (error == kJsonErrorNoColon) return "colon";
  if (error == kJsonErrorStructure) return "structure";
  const std::string prefix = JsonErrorUnknownSymbol(""), close = "”";
  std::string_view head = std::string_view(prefix).substr(0, prefix.size() - close.size());
  if (error.starts_with(head) && error.ends_with(close)) {
    return "symbol " + EscapeToken(std::string_view(error).substr(head.size(), error.size() - prefix.size()));
  }
  return "unexpected error text";
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(JsonTestSuite, EveryFileGetsOurAnswer) {
  const fs::path dir = VORENN_JSON_SUITE_DIR;
  ASSERT_TRUE(fs::is_directory(dir)) << dir << " is missing from the source tree";

  std::map<std::string, std::string> actual;
  JsonParser parser;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().extension() != ".json") continue;
    std::string text = ReadFile(entry.path());
    int32_t ok = -1;
    std::string error;
    auto value = parser.Parse(text, &ok, &error);
    // What was parsed must also survive writing.
    if (ok == 1) parser.ToJsonText(*value);
    actual[entry.path().filename().string()] = Outcome(ok, error);
  }
  ASSERT_EQ(actual.size(), 318u);

  // VORENN_JSON_SUITE_WRITE=<file> writes the table instead, for review after a deliberate change.
  if (const char* out = std::getenv("VORENN_JSON_SUITE_WRITE")) {
    std::ofstream table(out, std::ios::binary);
    for (const auto& [name, outcome] : actual) table << name << '\t' << outcome << '\n';
    GTEST_SKIP() << "table written to " << out;
  }

  std::ifstream table(VORENN_JSON_SUITE_TABLE, std::ios::binary);
  ASSERT_TRUE(table) << VORENN_JSON_SUITE_TABLE;
  std::map<std::string, std::string> expected;
  for (std::string line; std::getline(table, line);) {
    size_t tab = line.find('\t');
    if (tab != std::string::npos) expected[line.substr(0, tab)] = line.substr(tab + 1);
  }
  ASSERT_EQ(expected.size(), actual.size());
  for (const auto& [name, outcome] : actual) EXPECT_EQ(outcome, expected[name]) << name;
}

}  // namespace
}  // namespace vorenn

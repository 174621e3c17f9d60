// Shared by the frame tests: the headless backend with the frame's runtime-error ports, UTF-8
// expectations for what the headless backend echoes, and death-test helpers.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine/runtime/exit_routine.h"
#include "platform/headless/headless_backend.h"

namespace vorenn::test {

// The engine's texts are GBK; the headless backend echoes boxes in UTF-8. u8 literals stay UTF-8
// whatever the execution charset.
inline std::string Utf8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

inline platform::HeadlessBackend& FreshFrame() {
  platform::HeadlessBackend& h = platform::InstallHeadlessBackend();
  InstallRuntimeErrorPorts();
  return h;
}

inline int Occurrences(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// Death tests re-run the binary for each case, so every case starts from a fresh engine.
class FrameDeathTest : public testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

}  // namespace vorenn::test

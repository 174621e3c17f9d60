// The contract every backend keeps for the standard units, as one table of cases
// (backend_contract_cases.cpp) that each backend's test program instantiates with a target of its
// own: what goes in reads back the same, and the same events arrive.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "platform/backend.h"

namespace vorenn::platform::contract {

// One backend as the cases see it: the interface itself, the readers each backend has beside it,
// and where it legitimately differs from the others.
class Target {
 public:
  virtual ~Target() = default;
  virtual Backend& Native() = 0;
  virtual uint32_t StyleOf(WindowHandle w) = 0;
  virtual Appearance AppearanceOf(WindowHandle w) = 0;
  virtual ScrollBarState ScrollBarOf(WindowHandle w) = 0;
  virtual PointerShape PointerOf(WindowHandle w) = 0;
  // The frame around a top-level window when the backend decides it itself; nothing when the
  // desktop's window manager draws a real one.
  virtual std::optional<FrameMargins> FixedFrame() = 0;
  // A top-level window's client area as the system reports it (width, height), where the system
  // has one apart from the backend's own bookkeeping.
  virtual std::optional<std::pair<int, int>> SystemClientSize(WindowHandle) { return std::nullopt; }
  // Lets what the backend delivers later arrive (activation, shows, deferred deletes).
  virtual void Settle() {}
  // Lets the answers to a show-state change arrive; where a window manager gives them
  // asynchronously, this waits for them.
  virtual void SettleShowState() { Settle(); }
};

// The readers every backend class has under the same names.
template <class B>
class TargetOf : public Target {
 public:
  explicit TargetOf(B& backend) : b_(backend) {}
  Backend& Native() override { return b_; }
  uint32_t StyleOf(WindowHandle w) override { return b_.StyleOf(w); }
  Appearance AppearanceOf(WindowHandle w) override { return b_.AppearanceOf(w); }
  ScrollBarState ScrollBarOf(WindowHandle w) override { return b_.ScrollBarOf(w); }
  PointerShape PointerOf(WindowHandle w) override { return b_.PointerOf(w); }

 protected:
  B& b_;
};

// A backend to run the cases on: its name in the test names, and how to get a target for one case.
struct BackendUnderTest {
  std::string name;
  std::function<std::unique_ptr<Target>()> make;
};

inline void PrintTo(const BackendUnderTest& backend, std::ostream* os) { *os << backend.name; }
inline std::string NameOf(const testing::TestParamInfo<BackendUnderTest>& info) { return info.param.name; }

class BackendContract : public testing::TestWithParam<BackendUnderTest> {
 protected:
  void SetUp() override;
  void TearDown() override;
  WindowHandle Make(WindowRole role, WindowHandle parent, Rect r, std::string text = {}, uint32_t style = 0);
  // Names the frame events a window's sink sees.
  void Record(WindowHandle w);
  std::vector<std::string> TakeLog() { return std::exchange(log_, {}); }

  std::unique_ptr<Target> target_;
  Backend* b_ = nullptr;
  std::vector<WindowHandle> tops_;
  std::vector<std::string> log_;
};

}  // namespace vorenn::platform::contract

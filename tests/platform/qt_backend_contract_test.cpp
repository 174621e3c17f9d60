// The backend contract (backend_contract_cases.cpp) on the headless backend and on the Qt backend
// (offscreen).
#include <memory>

#include "platform/headless/headless_backend.h"
#include "tests/platform/backend_contract.h"
#include "tests/platform/qt_test_support.h"

namespace vorenn::platform::contract {
namespace {

// A fresh headless backend per case; its frame is the fixed one every headless window has.
class HeadlessTarget final : public TargetOf<HeadlessBackend> {
 public:
  HeadlessTarget() : TargetOf(*new HeadlessBackend), owned_(&b_) {}
  std::optional<FrameMargins> FixedFrame() override { return kHeadlessFrame; }

 private:
  std::unique_ptr<HeadlessBackend> owned_;
};

// The program's one Qt backend. Offscreen, Qt keeps the frame the headless backend has, so that
// units are laid out alike.
class QtTarget final : public TargetOf<QtBackend> {
 public:
  QtTarget() : TargetOf(testing_support::TheQtBackend()) {}
  std::optional<FrameMargins> FixedFrame() override { return kHeadlessFrame; }
  void Settle() override { testing_support::PumpQt(); }
};

INSTANTIATE_TEST_SUITE_P(Backends, BackendContract,
                         testing::Values(BackendUnderTest{"Headless", [] { return std::make_unique<HeadlessTarget>(); }},
                                         BackendUnderTest{"Qt", [] { return std::make_unique<QtTarget>(); }}),
                         NameOf);

}  // namespace
}  // namespace vorenn::platform::contract

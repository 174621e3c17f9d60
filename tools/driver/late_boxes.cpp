#include "tools/driver/late_boxes.h"

#include "platform/backend.h"

namespace vorenn::driver {

ShownBox RuntimeErrorBox(const std::string& gbkText) {
  return ShownBox{platform::kBoxOk | platform::kBoxIconError, "\xB4\xED\xCE\xF3", gbkText};
}

void LateBoxes::Appeared(ShownBox box) {
  if (alreadyHandedOver_ > 0) {
    --alreadyHandedOver_;
    return;
  }
  shown_.push_back(std::move(box));
}

void LateBoxes::Flush() {
  std::deque<ShownBox> boxes;
  boxes.swap(shown_);
  for (const ShownBox& box : boxes)
    if (sink_) sink_(box);
}

void LateBoxes::RuntimeErrorComing(const std::string& gbkText) {
  Flush();
  if (sink_) sink_(RuntimeErrorBox(gbkText));
  ++alreadyHandedOver_;
}

}  // namespace vorenn::driver

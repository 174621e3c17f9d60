#include "units/image_button_library.h"

#include <iterator>

#include "engine/core/type_descriptor.h"
#include "units/super_btn_unit.h"

namespace vorenn {
namespace {

intptr_t Notify(int code, intptr_t, intptr_t) { return code == kNotifyStart || code == kNotifyEnd ? 0 : -1; }

}  // namespace

LibraryDescriptor ImageButtonLibrary() {
  static const TypeDescriptor kTypes[] = {SuperBtnUnitType()};
  return {"extended units 2", Notify, int(std::size(kTypes)), kTypes, 0, nullptr};
}

}  // namespace vorenn

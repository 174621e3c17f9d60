// The image button's library as the program's main places it in the library table: "extended
// units 2" (library 3) with `SuperBtn` as type 1 and no commands.
#pragma once

#include "engine/core/library.h"

namespace vorenn {

constexpr int kImageButtonLibrary = 3;

LibraryDescriptor ImageButtonLibrary();

}  // namespace vorenn

#include "game/program_image.h"

#include <span>

#include "commands/core_library.h"
#include "commands/data_structure_library.h"
#include "commands/encoding.h"
#include "commands/numeric_library.h"
#include "engine/runtime/init_runtime.h"
#include "engine/standard_units/standard_units.h"
#include "game/game_entry.h"
#include "resources/window_segment.h"
#include "units/image_button_library.h"
#include "units/list_view_library.h"
#include "web/web_dll_rows.h"

namespace vorenn::game {

void InstallProgramImage() {
  std::span<const TypeDescriptor> unitTypes = StandardUnitTypes();
  SetCoreLibraryTypes(unitTypes.data(), int(unitTypes.size()));
  static const LibraryDescriptor libraries[] = {
      CoreLibrary(),
      EncodingLibrary(),
      ImageButtonLibrary(),
      NumericLibraryDescriptor(),
      ListViewLibrary(),
      DataStructureLibrary(),
  };
  static const auto dllRows = MakeWebDllRows();
  ProgramImage image;
  image.libraries = libraries;
  image.dllRows = dllRows;
  image.templateSegment = WindowSegment();
  image.eventHandlers = EventHandlers();
  SetProgramImage(image);
}

}  // namespace vorenn::game

#include "game/program_image.h"

#include <span>

#include "commands/core_library.h"
#include "commands/data_structure_library.h"
#include "commands/encoding.h"
#include "commands/numeric_library.h"
#include "engine/init_runtime.h"
#include "engine/standard_units.h"
#include "game/game_entry.h"
#include "resources/window_segment.h"
#include "units/extended_libraries.h"
#include "web/web_dll_rows.h"

namespace vorenn::game {

void InstallProgramImage() {
  std::span<const TypeDescriptor> unitTypes = StandardUnitTypes();
  SetCoreLibraryTypes(unitTypes.data(), int(unitTypes.size()));
  static const LibraryDescriptor libraries[] = {
      CoreLibrary(),
      EncodingLibrary(),
      ExtendedUnits2Library(),
      NumericLibraryDescriptor(),
      ExtendedUnits1Library(),
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

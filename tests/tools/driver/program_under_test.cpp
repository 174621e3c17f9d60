#include "tests/tools/driver/program_under_test.h"

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

namespace vorenn::driver::testing_support {

platform::HeadlessBackend* StartProgram() {
  static platform::HeadlessBackend* started = [] {
    platform::HeadlessBackend& backend = platform::InstallHeadlessBackend();
    std::span<const TypeDescriptor> unitTypes = StandardUnitTypes();
    SetCoreLibraryTypes(unitTypes.data(), int(unitTypes.size()));
    // The library order fixes the data-type codes of the template: the program's own order.
    static const LibraryDescriptor libraries[] = {
        CoreLibrary(),           EncodingLibrary(),      ExtendedUnits2Library(),
        NumericLibraryDescriptor(), ExtendedUnits1Library(), DataStructureLibrary(),
    };
    static const auto dllRows = MakeWebDllRows();
    ProgramImage image;
    image.libraries = libraries;
    image.dllRows = dllRows;
    image.templateSegment = WindowSegment();
    image.eventHandlers = game::EventHandlers();
    SetProgramImage(image);
    return game::StartGame() ? &backend : nullptr;
  }();
  return started;
}

}  // namespace vorenn::driver::testing_support

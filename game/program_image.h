// The program's tables as the engine receives them: the six libraries in their fixed order, the
// late-bound DLL rows, the window-template segment and the game's event handlers.
#pragma once

namespace vorenn::game {

// Hands the tables to the engine (SetProgramImage); call once, after a backend is installed and
// before InitRuntime. The library order fixes the data-type codes the template uses.
void InstallProgramImage();

}  // namespace vorenn::game

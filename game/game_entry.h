// The game's entry routine, which the engine's application frame runs once the program starts,
// and the game's event-handler table in the order the window template's handler offsets index.
#pragma once

#include <cstdint>
#include <span>

#include "engine/templates/window_template.h"

namespace vorenn::game {

inline constexpr uint32_t kStartWindowId = 0x52010003;

// Engine initialisation, the globals, the end routine, the window, then the message loop until the
// program ends. Returns 0.
int GameEntry();

// The entry without the message loop: what a test runs before driving the window itself. False
// when the window could not be loaded.
bool StartGame();
// The end routine the entry registers: destroys the globals.
void EndRoutine();

std::span<const EventHandler> EventHandlers();

}  // namespace vorenn::game

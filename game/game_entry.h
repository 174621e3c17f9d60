// The game's entry routine: what the engine's application frame runs once the program starts.
// Placeholder until the game's own start-up is written: it follows the start-up order (engine
// initialisation, end routine, start window, message loop) without game globals or handlers.
#pragma once

#include <cstdint>
#include <span>

#include "engine/window_template.h"

namespace vorenn::game {

inline constexpr uint32_t kStartWindowId = 0x52010003;

int GameEntry();

// The game's event-handler table, in the order the window template's handler offsets index.
std::span<const EventHandler> EventHandlers();

}  // namespace vorenn::game

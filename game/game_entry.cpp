#include "game/game_entry.h"

#include <cstdio>
#include <vector>

#include "engine/frame.h"
#include "engine/message_loop.h"
#include "engine/misc_service.h"
#include "engine/window_loader.h"
#include "resources/window_ids.h"

namespace vorenn::game {
namespace {

// No game handlers exist yet: every bound event answers nothing.
uint64_t UnwrittenHandler(const uint32_t*, int) { return 0; }

void EndRoutine() {}

}  // namespace

std::span<const EventHandler> EventHandlers() {
  static const std::vector<EventHandler> table(size_t(kHandlerCount), UnwrittenHandler);
  return table;
}

int GameEntry() {
  MiscService(kMiscInitRuntime);
  MiscService(kMiscSetEndCallback, reinterpret_cast<intptr_t>(&EndRoutine));
  if (!LoadWindowFromTemplate(kStartWindowId, /*newInstance=*/true, /*modal=*/false,
                              platform::kNoWindow))
    std::fputs("vorenn: the start window could not be loaded (its unit types are not built yet)\n",
               stderr);
  RunMessageLoop();
  return 0;
}

}  // namespace vorenn::game

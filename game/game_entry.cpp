#include "game/game_entry.h"

#include "engine/runtime/misc_service.h"
#include "engine/runtime/services.h"
#include "engine/units/unit_events.h"
#include "game/engine_calls.h"
#include "game/globals.h"
#include "game/window_events.h"
#include "resources/window_ids.h"

namespace vorenn::game {
namespace {

// Two module initialisers run at start-up; neither module has anything to prepare.
void InitNetworkModule() {}
void InitDocumentModule() {}

// Handlers are routines without result: the engine gets no answer from them.
template <void (*Routine)()>
uint64_t Handler(const uint32_t*, int) {
  Routine();
  return kNoAnswer;
}

template <void (*Routine)(const uint32_t*, int)>
uint64_t HandlerWithArguments(const uint32_t* args, int count) {
  Routine(args, count);
  return kNoAnswer;
}

}  // namespace

void EndRoutine() {
  DestroyGlobals();
  // The web module's last response headers are its own, behind its own lock, and live as long
  // as the process; there is nothing of the game's to free there.
}

bool StartGame() {
  Services().miscService(kMiscInitRuntime, 0, 0, 0, 0, 0, 0);
  CreateGlobals();
  Services().miscService(kMiscSetEndCallback, reinterpret_cast<intptr_t>(&EndRoutine), 0, 0, 0, 0, 0);
  InitNetworkModule();
  InitDocumentModule();
  return LoadWindow();
}

int GameEntry() {
  StartGame();
  Services().runMessageLoop();
  return 0;
}

std::span<const EventHandler> EventHandlers() {
  // In the order of the template's handler table (HandlerId).
  static const EventHandler table[] = {
      Handler<OnWindowCreated>,            // kWindowCreated
      Handler<OnWindowMoved>,              // kWindowMoved
      Handler<OnWindowResized>,            // kWindowResized
      HandlerWithArguments<OnTrayIconUsed>,  // kTrayIconUsed
      Handler<OnLoginClicked>,             // kLoginClicked
      Handler<OnRegisterClicked>,          // kRegisterClicked
      Handler<OnChangePasswordClicked>,    // kChangePasswordClicked
      Handler<OnConfirmClicked>,           // kConfirmClicked
      Handler<OnCancelClicked>,            // kCancelClicked
      Handler<OnCreateCharacterClicked>,   // kCreateCharacterClicked
      Handler<OnSignOutClicked>,           // kSignOutClicked
      Handler<OnCharacterClicked>,         // kCharacterClicked
      Handler<OnRankingClicked>,           // kRankingClicked
      Handler<OnSecondTick>,               // kSecondTick
      Handler<OnAnimationTick>,            // kAnimationTick
      Handler<OnSkillScrollChanged>,       // kSkillScrollChanged
      HandlerWithArguments<OnSkillScrollWheel>,  // kSkillScrollWheel
      HandlerWithArguments<OnSkillPanelWheel>,   // kSkillPanelWheel
      Handler<OnLevelUpClicked>,           // kLevelUpClicked
  };
  static_assert(std::size(table) == size_t(kHandlerCount));
  return table;
}

}  // namespace vorenn::game

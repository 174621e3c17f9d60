// The game's global state: created by the entry routine, destroyed by the end routine.
#pragma once

#include <memory>
#include <vector>

#include "game/account_panel.h"
#include "game/engine_calls.h"
#include "game/game_controller.h"
#include "game/ranking_panel.h"
#include "game/skill_row.h"

namespace vorenn::game {

struct GameGlobals {
  std::unique_ptr<AccountPanel> accountPanel;
  std::unique_ptr<GameController> gameController;
  std::unique_ptr<RankingPanel> rankingPanel;
  EngineText serverUrl;
  // Entry k is the row whose number is k + 1.
  std::vector<std::unique_ptr<SkillRow>> skillRows;
  EngineText lastAccountRequest;  // kept only to be freed at the end
  EngineText signInToken;         // empty while signed out
};

GameGlobals& Globals();
inline AccountPanel& Account() { return *Globals().accountPanel; }
inline GameController& Game() { return *Globals().gameController; }
inline RankingPanel& Ranking() { return *Globals().rankingPanel; }

// Creates the controllers (three zero amounts among them), an empty row list and empty texts.
void CreateGlobals();
// Destroys the controllers, the rows (not their units) and the texts.
void DestroyGlobals();

}  // namespace vorenn::game

#include "game/globals.h"

namespace vorenn::game {

GameGlobals& Globals() {
  static GameGlobals globals;
  return globals;
}

void CreateGlobals() {
  GameGlobals& g = Globals();
  g.accountPanel = std::make_unique<AccountPanel>();
  g.gameController = std::make_unique<GameController>();
  g.rankingPanel = std::make_unique<RankingPanel>();
  g.serverUrl.Reset();
  g.skillRows.clear();
  g.lastAccountRequest.Reset();
  g.signInToken.Reset();
}

void DestroyGlobals() {
  GameGlobals& g = Globals();
  g.accountPanel.reset();
  g.gameController.reset();
  g.rankingPanel.reset();
  g.serverUrl.Reset();
  // The rows' copied units belong to the window, which is gone or going.
  g.skillRows.clear();
  g.lastAccountRequest.Reset();
  g.signInToken.Reset();
}

}  // namespace vorenn::game

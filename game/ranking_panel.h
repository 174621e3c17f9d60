// RankingPanel: the leaderboard list laid over the game box, filled in the server's order.
#pragma once

#include <cstdint>
#include <memory>

namespace vorenn {
class JsonValue;
}

namespace vorenn::game {

class RankingPanel {
 public:
  RankingPanel() = default;
  RankingPanel(const RankingPanel&) = delete;
  RankingPanel& operator=(const RankingPanel&) = delete;

  ~RankingPanel();
  // Places the list at 2, 36 with the window's height less 70, then shows or hides it.
  void ShowRanking(bool show);
  // Asks the server for the leaderboard and fills the list: rank, name, output per second.
  void LoadRanking();
};

// LoadRanking's second half: empties the list and fills it from the answer's "phb" entries.
void FillRanking(const JsonValue& answer);

}  // namespace vorenn::game

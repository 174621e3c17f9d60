// Clicks that arrive while an answer is on its way: the client keeps dispatching window events
// during a request, so a click can sign out, open the leaderboard or buy a level before the first
// answer is applied. Whatever the order, nothing may crash (the sanitizer build checks for use of
// destroyed rows), the window must stay in one state, and the player must be able to go on.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>

#include "game/globals.h"
#include "game/window_units.h"
#include "tests/game/game_driver.h"
#include "tests/reliability/hostile_answers.h"
#include "tests/reliability/hostile_server.h"

namespace vorenn::testing {
namespace {

namespace units = game::units;

constexpr char kUserInfo[] =
    R"({"b":"1","t":"","id":"7","name":"Mo","money":"3","allmoney":"100","skills":[)"
    R"({"id":"1","name":"a","money":"1","lvl":"1","buy":"10"},{"id":"2","name":"b","money":"1","lvl":"1","buy":"20"},)"
    R"({"id":"3","name":"c","money":"1","lvl":"1","buy":"5000"}]})";
constexpr char kRanking[] = R"({"b":"1","phb":[{"name":"a","money":"3"},{"name":"b","money":"2"}]})";

enum class Outer { LevelUp, Ranking, Refresh, Login };
enum class Click { SignOut, Ranking, LevelUp, Character, Login };

// Answers every request well; the first request of the armed action is held until the click it
// carries has been handled by the client, so the click lands while that request waits.
class ReentryServer {
 public:
  ReentryServer()
      : server_([this](const std::string& body) {
          WireReply reply;
          Action action = ActionOf(body);
          reply.body = action == Action::Login ? R"({"b":"1","md5":"tok"})"
                       : action == Action::Ranking ? kRanking
                                                   : kUserInfo;
          if (action == armed_ && events_) {
            reply.delayMs = 20;
            reply.beforeAnswer = [this, events = std::move(events_), native = native_] {
              if (PostAndWait(*native, *events)) ++handledFirst_;
            };
            events_.reset();
          }
          return reply;
        }) {}

  std::string Url() const { return server_.Url(); }
  // The click (built on the user-interface thread) goes out with the next request of `action`.
  void Arm(Action action, platform::HeadlessBackend& native, std::vector<platform::WindowEvent> events) {
    armed_ = action;
    native_ = &native;
    events_ = std::make_shared<std::vector<platform::WindowEvent>>(std::move(events));
  }

  // Clicks that were handled before the held answer went out.
  int HandledFirst() const { return handledFirst_; }

 private:
  // True when the client handled the events in time.
  static bool PostAndWait(platform::HeadlessBackend& native, const std::vector<platform::WindowEvent>& events) {
    auto handled = std::make_shared<std::promise<void>>();
    std::future<void> done = handled->get_future();
    for (size_t i = 0; i < events.size(); ++i)
      native.PostEvent(events[i], i + 1 == events.size() ? std::function<void()>([handled] { handled->set_value(); })
                                                        : std::function<void()>());
    // Bounded: a client that never handles the click gets its answer anyway and the checks fail.
    return done.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
  }

  std::atomic<Action> armed_{Action::Other};
  std::atomic<int> handledFirst_{0};
  platform::HeadlessBackend* native_ = nullptr;
  std::shared_ptr<std::vector<platform::WindowEvent>> events_;
  HostileServer server_;
};

std::vector<platform::WindowEvent> ClickEvents(GameDriver& game, UnitRef unit) {
  platform::WindowHandle handle = game.Handle(unit);
  platform::Rect r = game.Native().Geometry(handle);
  platform::WindowEvent e;
  e.window = handle;
  e.button = platform::MouseButton::Left;
  e.x = r.width / 2;
  e.y = r.height / 2;
  e.kind = platform::EventKind::MouseDown;
  platform::WindowEvent up = e;
  up.kind = platform::EventKind::MouseUp;
  return {e, up};
}

void SignIn(GameDriver& game) {
  game.Type(units::kAccountBox, "alice");
  game.Type(units::kPassword1Box, "secret1");
  game.Click(units::kLoginButton);
}

TEST(Reentry, ClicksWhileAnAnswerIsOnItsWayLeaveAUsableWindow) {
  PrepareProgram();
  struct Case {
    const char* name;
    Outer outer;
    Click click;
  } cases[] = {
      {"level-up, then sign-out", Outer::LevelUp, Click::SignOut},
      {"level-up, then leaderboard", Outer::LevelUp, Click::Ranking},
      {"level-up, then the same level-up", Outer::LevelUp, Click::LevelUp},
      {"leaderboard, then sign-out", Outer::Ranking, Click::SignOut},
      {"leaderboard, then back to the character", Outer::Ranking, Click::Character},
      {"leaderboard, then a level-up", Outer::Ranking, Click::LevelUp},
      {"refresh, then sign-out", Outer::Refresh, Click::SignOut},
      {"refresh, then a level-up", Outer::Refresh, Click::LevelUp},
      {"refresh, then leaderboard", Outer::Refresh, Click::Ranking},
      {"login, then login again", Outer::Login, Click::Login},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ReentryServer server;
    GameDriver game;
    game.Start(server.Url());
    if (c.outer != Outer::Login) {
      SignIn(game);
      ASSERT_TRUE(game.Visible(units::kGameGroup));
    }
    UnitRef target = c.click == Click::SignOut     ? game::RefOf(units::kSignOutButton)
                     : c.click == Click::Ranking   ? game::RefOf(units::kRankingButton)
                     : c.click == Click::Character ? game::RefOf(units::kCharacterButton)
                     : c.click == Click::Login     ? game::RefOf(units::kLoginButton)
                                                   : game::Globals().skillRows[0]->Button();
    if (c.click == Click::SignOut) game.AnswerNextBox(platform::kAnswerYes);
    Action armed = c.outer == Outer::LevelUp   ? Action::LevelUp
                   : c.outer == Outer::Ranking ? Action::Ranking
                   : c.outer == Outer::Refresh ? Action::Info
                                               : Action::Login;
    server.Arm(armed, game.Native(), ClickEvents(game, target));
    switch (c.outer) {
      case Outer::LevelUp: game.Click(game::Globals().skillRows[0]->Button()); break;
      case Outer::Ranking: game.Click(units::kRankingButton); break;
      case Outer::Refresh: game.Advance(30000); break;
      case Outer::Login: SignIn(game); break;
    }
    game.Pump();
    EXPECT_EQ(server.HandledFirst(), 1) << "the click came while the answer was held";
    EXPECT_NE(game.Visible(units::kSignInGroup), game.Visible(units::kGameGroup));

    // The player goes on: signs in where the window asks for it, and the game answers as usual.
    game.ClearBoxes();
    if (game.Visible(units::kSignInGroup)) SignIn(game);
    ASSERT_TRUE(game.Visible(units::kGameGroup));
    EXPECT_FALSE(game.Visible(units::kSignInGroup));
    ASSERT_EQ(game::Globals().skillRows.size(), 4u);
    game.Click(units::kRankingButton);
    EXPECT_EQ(game.ListRows(units::kRankingList).size(), 2u);
    game.Click(units::kCharacterButton);
    game.Click(game::Globals().skillRows[0]->Button());
    EXPECT_EQ(game.Text(units::kTotalLabel).rfind("100(3", 0), 0u) << "the answer to the level-up applied";
    EXPECT_TRUE(game.BoxTexts().empty());
    game.Stop();
  }
}

}  // namespace
}  // namespace vorenn::testing

#include "platform/headless/headless_backend.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vorenn::platform {
namespace {

class HeadlessTest : public testing::Test {
 protected:
  void SetUp() override {
    h = &InstallHeadlessBackend();
    h->EchoMessageBoxes(false);
  }
  WindowHandle Make(WindowRole role, WindowHandle parent = kNoWindow, bool visible = true) {
    WindowSpec params;
    params.role = role;
    params.parent = parent;
    params.visible = visible;
    params.geometry = {10, 20, 100, 30};
    return h->CreateNativeWindow(params);
  }
  // Records every event kind a window's sink sees.
  void Record(WindowHandle w, std::vector<std::string>* log, bool swallowAll = false) {
    h->SetEventSink(w, [w, log, swallowAll](const WindowEvent& e) {
      log->push_back(std::to_string(w) + ":" + std::to_string(int(e.kind)));
      return EventAnswer{swallowAll, -1};
    });
  }
  bool Dispatch() {
    int code = 0;
    bool input = false;
    return h->DispatchMessages(false, &code, &input);
  }
  HeadlessBackend* h = nullptr;
};

TEST_F(HeadlessTest, PostedMessagesArriveInOrderAndQuitEndsDispatchWithItsCode) {
  WindowHandle w = Make(WindowRole::TopLevel);
  std::vector<uint32_t> seen;
  h->SetEventSink(w, [&](const WindowEvent& e) {
    seen.push_back(e.message);
    return EventAnswer{};
  });
  h->Post(w, 1, 0, 0);
  h->Post(w, 2, 0, 0);
  h->PostQuit(7);
  h->Post(w, 3, 0, 0);
  int code = 0;
  bool input = true;
  EXPECT_FALSE(h->DispatchMessages(false, &code, &input));
  EXPECT_EQ(code, 7);
  EXPECT_FALSE(input);
  EXPECT_EQ(seen, (std::vector<uint32_t>{1, 2}));
  EXPECT_TRUE(h->MessageWaiting());  // message 3 stays
}

TEST_F(HeadlessTest, DispatchPendingLeavesTheQuitMessageQueued) {
  WindowHandle w = Make(WindowRole::TopLevel);
  int handled = 0;
  h->SetEventSink(w, [&](const WindowEvent&) {
    ++handled;
    return EventAnswer{};
  });
  h->Post(w, 1, 0, 0);
  h->PostQuit(0);
  h->DispatchPending();
  EXPECT_EQ(handled, 1);
  int code = -1;
  EXPECT_FALSE(h->DispatchMessages(false, &code, nullptr));
  EXPECT_EQ(code, 0);
}

TEST_F(HeadlessTest, QuitPendingFromPostUntilALoopTakesIt) {
  WindowHandle w = Make(WindowRole::TopLevel);
  EXPECT_FALSE(h->QuitPending());
  h->Post(w, 1, 0, 0);
  h->PostQuit(0);
  h->DispatchPending();
  EXPECT_TRUE(h->QuitPending());
  EXPECT_FALSE(Dispatch());
  EXPECT_FALSE(h->QuitPending());
}

TEST_F(HeadlessTest, TheWheelTurnsForTheFocusedWindowWhereverThePointerIs) {
  WindowHandle top = Make(WindowRole::TopLevel);
  WindowHandle under = Make(WindowRole::EditBox, top);
  WindowHandle bar = Make(WindowRole::VScrollBar, top);
  std::vector<std::pair<WindowHandle, int>> turns;
  for (WindowHandle w : {under, bar}) {
    h->SetEventSink(w, [w, &turns](const WindowEvent& e) {
      if (e.kind == EventKind::Wheel) turns.push_back({w, e.wheelNotches});
      return EventAnswer{};
    });
  }
  h->Wheel(under, -1);  // nothing has the focus: the window under the pointer
  Dispatch();
  h->SetFocus(bar);
  h->Wheel(under, 2);
  Dispatch();
  EXPECT_EQ(turns, (std::vector<std::pair<WindowHandle, int>>{{under, -1}, {bar, 2}}));
  EXPECT_EQ(h->InputReachedWindow(bar, EventKind::Wheel), 1);
  // A focused window that does not show takes the turn, and nothing happens.
  h->Show(bar, false);
  h->Wheel(under, 1);
  Dispatch();
  EXPECT_EQ(turns.size(), 2u);
}

TEST_F(HeadlessTest, DestroyDeliversDestroyedToChildrenFirstAndForgetsTheTree) {
  WindowHandle top = Make(WindowRole::TopLevel);
  WindowHandle panel = Make(WindowRole::Panel, top);
  WindowHandle button = Make(WindowRole::Button, panel);
  std::vector<std::string> log;
  Record(top, &log);
  Record(panel, &log);
  Record(button, &log);
  h->SetTimer(button, 1, 100);
  h->SetFocus(button);
  log.clear();
  h->DestroyNativeWindow(top);
  const std::string destroyed = std::to_string(int(EventKind::Destroyed));
  EXPECT_EQ(log, (std::vector<std::string>{std::to_string(button) + ":" + destroyed,
                                           std::to_string(panel) + ":" + destroyed,
                                           std::to_string(top) + ":" + destroyed}));
  EXPECT_FALSE(h->IsWindow(top) || h->IsWindow(panel) || h->IsWindow(button));
  EXPECT_FALSE(h->HasTimer(button, 1));
  EXPECT_EQ(h->Focus(), kNoWindow);
  EXPECT_EQ(Make(WindowRole::Label, top), kNoWindow);  // a child needs a live parent
}

TEST_F(HeadlessTest, CloseRequestDestroysUnlessTheSinkSwallowsIt) {
  WindowHandle keep = Make(WindowRole::TopLevel);
  WindowHandle close = Make(WindowRole::TopLevel);
  std::vector<std::string> log;
  Record(keep, &log, /*swallowAll=*/true);
  h->RequestClose(keep);
  h->RequestClose(close);
  Dispatch();
  EXPECT_TRUE(h->IsWindow(keep));
  EXPECT_FALSE(h->IsWindow(close));
}

TEST_F(HeadlessTest, ButtonClickReachesOnlyEnabledVisibleButtonsAndCanBeSwallowed) {
  WindowHandle top = Make(WindowRole::TopLevel);
  WindowHandle enabled = Make(WindowRole::Button, top);
  WindowHandle disabled = Make(WindowRole::Button, top);
  WindowHandle hidden = Make(WindowRole::Button, top, /*visible=*/false);
  WindowHandle swallowing = Make(WindowRole::Button, top);
  h->Enable(disabled, false);
  int clicks[4] = {0, 0, 0, 0};
  WindowHandle buttons[4] = {enabled, disabled, hidden, swallowing};
  for (int i = 0; i < 4; ++i) {
    h->SetEventSink(buttons[i], [&, i](const WindowEvent& e) {
      if (e.kind == EventKind::Clicked) ++clicks[i];
      return EventAnswer{i == 3 && e.kind == EventKind::MouseUp, -1};
    });
    h->Click(buttons[i]);
  }
  Dispatch();
  EXPECT_EQ(clicks[0], 1);
  EXPECT_EQ(clicks[1], 0);
  EXPECT_EQ(clicks[2], 0);
  EXPECT_EQ(clicks[3], 0);
  EXPECT_EQ(h->Focus(), swallowing);  // the press still focused it
}

TEST_F(HeadlessTest, EditBoxTakesCharactersWithReplacementAndDoubleByteBackspace) {
  WindowHandle top = Make(WindowRole::TopLevel);
  WindowHandle edit = Make(WindowRole::EditBox, top);
  h->SetEventSink(edit, [](const WindowEvent& e) {
    if (e.kind == EventKind::Char && e.key == 'x') return EventAnswer{true, -1};
    if (e.kind == EventKind::Char && e.key == 'a') return EventAnswer{false, 'b'};
    return EventAnswer{};
  });
  for (int c : std::initializer_list<int>{'a', 'x', 'c', 0xC4E3, 0xBAC3, 0x08}) h->TypeChar(edit, c);
  Dispatch();
  EXPECT_EQ(h->Text(edit), "bc\xC4\xE3");
}

TEST_F(HeadlessTest, PreTranslationSeesInputFirstAndMaySwallowIt) {
  WindowHandle top = Make(WindowRole::TopLevel);
  WindowHandle edit = Make(WindowRole::EditBox, top);
  std::vector<std::string> log;
  Record(edit, &log);
  h->SetPreTranslateHook([](const WindowEvent& e) { return EventAnswer{e.key == 9, -1}; });
  h->PressKey(edit, 9);
  h->PressKey(edit, 65);
  Dispatch();
  const std::string down = std::to_string(int(EventKind::KeyDown));
  const std::string up = std::to_string(int(EventKind::KeyUp));
  EXPECT_EQ(log, (std::vector<std::string>{std::to_string(edit) + ":" + down,
                                           std::to_string(edit) + ":" + up}));
}

TEST_F(HeadlessTest, ZOrderPlacesBelowASiblingOrOnTop) {
  WindowHandle top = Make(WindowRole::TopLevel);
  WindowHandle a = Make(WindowRole::Label, top);
  WindowHandle b = Make(WindowRole::Label, top);
  WindowHandle c = Make(WindowRole::Label, top);
  EXPECT_EQ(h->Children(top), (std::vector<WindowHandle>{a, b, c}));
  h->PlaceBelow(a, c);
  EXPECT_EQ(h->Children(top), (std::vector<WindowHandle>{b, c, a}));
  h->PlaceBelow(c, kNoWindow);
  EXPECT_EQ(h->Children(top), (std::vector<WindowHandle>{c, b, a}));
}

struct BoxCase {
  uint32_t style;
  int queued;  // 0: none
  int expected;
};

TEST_F(HeadlessTest, MessageBoxesAreAnsweredFromTheQueueElseByTheirFirstButton) {
  const BoxCase cases[] = {
      {kBoxOk, 0, kAnswerOk},
      {kBoxOkCancel, 0, kAnswerOk},
      {kBoxAbortRetryIgnore, 0, kAnswerAbort},
      {kBoxYesNoCancel | kBoxIconQuestion, 0, kAnswerYes},
      {kBoxYesNo, 0, kAnswerYes},
      {kBoxRetryCancel | kBoxIconError, 0, kAnswerRetry},
      {kBoxYesNo, kAnswerNo, kAnswerNo},
  };
  for (const BoxCase& c : cases) {
    if (c.queued != 0) h->QueueMessageBoxAnswer(c.queued);
    EXPECT_EQ(h->MessageBox(kNoWindow, "text", "caption", c.style), c.expected) << c.style;
  }
  auto boxes = h->MessageBoxes();
  ASSERT_EQ(boxes.size(), std::size(cases));
  EXPECT_EQ(boxes.back().answer, kAnswerNo);
  EXPECT_EQ(boxes.back().caption, "caption");
}

}  // namespace
}  // namespace vorenn::platform

// The contract's cases, run by each backend's test program on a target of its own.
#include "tests/platform/backend_contract.h"

#include <memory>
#include <string>
#include <vector>

namespace vorenn::platform::contract {

void BackendContract::SetUp() {
  target_ = GetParam().make();
  ASSERT_NE(target_, nullptr);
  b_ = &target_->Native();
}

void BackendContract::TearDown() {
  if (target_ == nullptr) return;
  for (WindowHandle w : tops_) b_->DestroyNativeWindow(w);
  target_->Settle();
}

WindowHandle BackendContract::Make(WindowRole role, WindowHandle parent, Rect r, std::string text, uint32_t style) {
  WindowSpec params;
  params.role = role;
  params.parent = parent;
  params.geometry = r;
  params.text = std::move(text);
  params.style = style;
  params.visible = true;
  WindowHandle w = b_->CreateNativeWindow(params);
  if (parent == kNoWindow) tops_.push_back(w);
  return w;
}

void BackendContract::Record(WindowHandle w) {
  b_->SetEventSink(w, [this](const WindowEvent& e) {
    switch (e.kind) {
      case EventKind::Moved: log_.push_back("moved"); break;
      case EventKind::Resized: log_.push_back("resized"); break;
      case EventKind::Minimized: log_.push_back("minimized"); break;
      case EventKind::Restored: log_.push_back("restored"); break;
      default: break;
    }
    return EventAnswer{};
  });
}

namespace {

using Log = std::vector<std::string>;

TEST_P(BackendContract, TopLevelGeometryIsTheFrameAroundTheClientAreaTheUnitsWereLaidOutFor) {
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, {50, 50, 370, 303});
  WindowHandle group = Make(WindowRole::GroupBox, top, {2, -1, 360, 273});
  EXPECT_EQ(b_->Geometry(top), (Rect{50, 50, 370, 303}));
  FrameMargins frame = b_->FrameOf(top);
  if (std::optional<FrameMargins> fixed = target_->FixedFrame()) {
    EXPECT_EQ(frame, *fixed);
    EXPECT_EQ(370 - frame.left - frame.right, 2 + 360);
    EXPECT_EQ(303 - frame.top - frame.bottom, -1 + 273);
  }
  if (std::optional<std::pair<int, int>> client = target_->SystemClientSize(top)) {
    EXPECT_EQ(client->first, 370 - frame.left - frame.right);
    EXPECT_EQ(client->second, 303 - frame.top - frame.bottom);
  }
  EXPECT_EQ(b_->FrameOf(group), FrameMargins{});
  EXPECT_EQ(b_->Geometry(group), (Rect{2, -1, 360, 273}));
}

struct MoveCase {
  Rect to;
  Log events;
};

TEST_P(BackendContract, SetGeometryTellsTheSinkWhatChangedAtOnce) {
  const MoveCase cases[] = {
      {{5, 6, 100, 30}, {}},
      {{7, 6, 100, 30}, {"moved"}},
      {{7, 6, 90, 30}, {"resized"}},
      {{1, 2, 80, 20}, {"moved", "resized"}},
  };
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, {0, 0, 300, 200});
  for (WindowHandle w : {top, Make(WindowRole::Label, top, {5, 6, 100, 30})}) {
    b_->SetGeometry(w, {5, 6, 100, 30});
    Record(w);
    for (const MoveCase& c : cases) {
      b_->SetGeometry(w, c.to);
      EXPECT_EQ(TakeLog(), c.events) << "window " << w << " to " << c.to.left << "," << c.to.width;
      EXPECT_EQ(b_->Geometry(w), c.to);
    }
  }
}

TEST_P(BackendContract, NewChildrenGoToTheBottomAndReparentingKeepsGeometryButRefusesCycles) {
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, {0, 0, 300, 200});
  WindowHandle a = Make(WindowRole::Label, top, {1, 1, 10, 10});
  WindowHandle b = Make(WindowRole::Button, top, {2, 2, 10, 10});
  WindowHandle panel = Make(WindowRole::Panel, top, {3, 3, 100, 100});
  WindowHandle inner = Make(WindowRole::EditBox, panel, {4, 4, 10, 10});
  EXPECT_EQ(b_->Children(top), (std::vector<WindowHandle>{a, b, panel}));
  b_->PlaceBelow(a, panel);
  EXPECT_EQ(b_->Children(top), (std::vector<WindowHandle>{b, panel, a}));
  b_->PlaceBelow(panel, kNoWindow);
  EXPECT_EQ(b_->Children(top), (std::vector<WindowHandle>{panel, b, a}));

  b_->SetParent(b, panel);
  EXPECT_EQ(b_->ParentOf(b), panel);
  EXPECT_EQ(b_->Children(panel), (std::vector<WindowHandle>{inner, b}));
  EXPECT_EQ(b_->Children(top), (std::vector<WindowHandle>{panel, a}));
  EXPECT_EQ(b_->Geometry(b), (Rect{2, 2, 10, 10}));
  EXPECT_TRUE(b_->IsVisible(b));
  b_->SetParent(panel, inner);  // below its own child: refused
  b_->SetParent(top, panel);    // a top-level window has no parent
  EXPECT_EQ(b_->ParentOf(panel), top);
  EXPECT_EQ(b_->ParentOf(top), kNoWindow);
}

TEST_P(BackendContract, EnabledAndVisibleAreEachWindowsOwnFlags) {
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, {0, 0, 300, 200});
  WindowHandle panel = Make(WindowRole::Panel, top, {0, 0, 100, 100});
  WindowHandle edit = Make(WindowRole::EditBox, panel, {0, 0, 50, 20});
  b_->Enable(panel, false);
  b_->Show(panel, false);
  EXPECT_FALSE(b_->IsEnabled(panel));
  EXPECT_FALSE(b_->IsVisible(panel));
  EXPECT_TRUE(b_->IsEnabled(edit));
  EXPECT_TRUE(b_->IsVisible(edit));
  b_->Enable(panel, true);
  EXPECT_TRUE(b_->IsEnabled(panel));
}

TEST_P(BackendContract, FocusGoesOnlyToEnabledWindowsAndBothSidesHearOfIt) {
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, {0, 0, 300, 200});
  WindowHandle first = Make(WindowRole::EditBox, top, {0, 0, 100, 20});
  WindowHandle second = Make(WindowRole::EditBox, top, {0, 30, 100, 20});
  WindowHandle disabled = Make(WindowRole::EditBox, top, {0, 60, 100, 20});
  b_->Enable(disabled, false);
  target_->Settle();  // the window becomes active
  for (WindowHandle w : {first, second, disabled}) {
    b_->SetEventSink(w, [this, w](const WindowEvent& e) {
      if (e.kind == EventKind::FocusIn) log_.push_back("in " + std::to_string(w));
      if (e.kind == EventKind::FocusOut) log_.push_back("out " + std::to_string(w));
      return EventAnswer{};
    });
  }
  b_->SetFocus(first);
  b_->SetFocus(second);
  b_->SetFocus(disabled);
  EXPECT_EQ(b_->Focus(), second);
  EXPECT_EQ(TakeLog(), (Log{"in " + std::to_string(first), "out " + std::to_string(first),
                            "in " + std::to_string(second)}));
}

struct ShowCase {
  ShowState to;
  Log events;
  bool screenSized;
};

TEST_P(BackendContract, ShowStatesRaiseMinimizedAndRestoredAndMaximizingFillsTheScreen) {
  const ShowCase cases[] = {
      {ShowState::Minimized, {"minimized"}, false},
      {ShowState::Minimized, {}, false},
      {ShowState::Normal, {"restored"}, false},
      {ShowState::Maximized, {"moved", "resized"}, true},
      {ShowState::Normal, {"moved", "resized"}, false},
  };
  const Rect normal{40, 30, 370, 303};
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, normal);
  target_->Settle();
  Record(top);
  for (const ShowCase& c : cases) {
    b_->SetShowState(top, c.to);
    target_->SettleShowState();
    EXPECT_EQ(b_->ShowStateOf(top), c.to);
    EXPECT_EQ(TakeLog(), c.events) << int(c.to);
    EXPECT_EQ(b_->Geometry(top), c.screenSized ? b_->ScreenArea() : normal) << int(c.to);
  }
  WindowHandle child = Make(WindowRole::Panel, top, {0, 0, 10, 10});
  b_->SetShowState(child, ShowState::Minimized);
  EXPECT_EQ(b_->ShowStateOf(child), ShowState::Normal);
}

struct SelectionCase {
  int start, length;
  int wantStart, wantLength;
};

TEST_P(BackendContract, EditBoxesKeepTheirTextAndASelectionClampedToIt) {
  const SelectionCase cases[] = {
      {1, 3, 1, 3}, {0, 100, 0, 6}, {-3, 2, 0, 2}, {10, 5, 6, 0}, {2, -1, 2, 0}, {4, 2, 4, 2},
  };
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, {0, 0, 300, 200});
  const std::string text = "ab\xD6\xD0\xCE\xC4";  // "ab" and two double-byte characters
  WindowHandle edit = Make(WindowRole::EditBox, top, {0, 0, 100, 20}, text);
  EXPECT_EQ(b_->Text(edit), text);
  int start = -1, length = -1;
  b_->Selection(edit, &start, &length);
  EXPECT_EQ(start, 0);  // a new edit box has its caret at the start
  EXPECT_EQ(length, 0);
  for (const SelectionCase& c : cases) {
    b_->SetSelection(edit, c.start, c.length);
    b_->Selection(edit, &start, &length);
    EXPECT_EQ(start, c.wantStart) << c.start << "," << c.length;
    EXPECT_EQ(length, c.wantLength) << c.start << "," << c.length;
  }
  WindowHandle notes = Make(WindowRole::EditBox, top, {0, 30, 100, 50}, "one\r\ntwo", kStyleMultiLine);
  EXPECT_EQ(b_->Text(notes), "one\r\ntwo");
  b_->SetText(notes, "three\r\nfour\r\n");
  EXPECT_EQ(b_->Text(notes), "three\r\nfour\r\n");
  b_->SetStyle(edit, kStylePassword | kStyleTabStop);
  EXPECT_EQ(target_->StyleOf(edit), kStylePassword | kStyleTabStop);
  EXPECT_EQ(b_->Text(edit), text);
}

TEST_P(BackendContract, AppearanceScrollBarsAndPointersReadBackAsSet) {
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, {0, 0, 300, 200});
  WindowHandle label = Make(WindowRole::Label, top, {0, 0, 100, 20}, "x");
  WindowHandle bar = Make(WindowRole::VScrollBar, top, {0, 0, 16, 100});
  Appearance a;
  a.hAlign = 2;
  a.vAlign = 1;
  a.embossed = true;
  a.textColour = 0x0000FF;
  a.backgroundColour = 0xFFFFFF;
  a.border = 5;
  a.font = std::string(60, '\0');
  b_->SetAppearance(label, a);
  EXPECT_EQ(target_->AppearanceOf(label), a);
  const ScrollBarState s{0, 250, 10, 95};
  b_->SetScrollBar(bar, s);
  EXPECT_EQ(target_->ScrollBarOf(bar), s);
  b_->SetPointer(label, PointerShape::Hand);
  EXPECT_EQ(target_->PointerOf(label), PointerShape::Hand);
  b_->SetPointer(label, PointerShape::Default);
  EXPECT_EQ(target_->PointerOf(label), PointerShape::Default);
  EXPECT_EQ(b_->Text(label), "x");
}

}  // namespace
}  // namespace vorenn::platform::contract

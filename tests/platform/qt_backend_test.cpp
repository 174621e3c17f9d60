// The Qt backend on Qt's offscreen platform: the same contract the headless tests check, where Qt
// can show it without a display.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/backend.h"
#include "platform/thread.h"
#include "tests/platform/qt_test_support.h"

// fontconfig keeps a cache for the life of the process; that is not a leak of ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

namespace vorenn::platform {
namespace {

class QtBackendTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { testing_support::TheQtBackend(); }
  WindowHandle Make(WindowRole role, WindowHandle parent, std::string text = {}) {
    WindowSpec params;
    params.role = role;
    params.parent = parent;
    params.visible = true;
    params.geometry = {5, 6, 120, 40};
    params.text = std::move(text);
    return Native().CreateNativeWindow(params);
  }
};

TEST_F(QtBackendTest, WindowsKeepGeometryFlagsAndGbkText) {
  Backend& n = Native();
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, "Vorenn 1.0");
  WindowHandle label = Make(WindowRole::Label, top, "\xB5\xC7\xC2\xBD");  // GBK text
  WindowHandle edit = Make(WindowRole::EditBox, top);
  ASSERT_TRUE(n.IsWindow(label));
  EXPECT_EQ(n.Text(label), "\xB5\xC7\xC2\xBD");
  EXPECT_EQ(n.Text(top), "Vorenn 1.0");
  n.SetGeometry(label, {1, 2, 30, 40});
  EXPECT_EQ(n.Geometry(label), (Rect{1, 2, 30, 40}));
  n.Enable(edit, false);
  EXPECT_FALSE(n.IsEnabled(edit));
  n.Show(label, false);
  EXPECT_FALSE(n.IsVisible(label));
  EXPECT_EQ(n.ParentOf(edit), top);
  EXPECT_EQ(n.Children(top), (std::vector<WindowHandle>{label, edit}));  // topmost first
  n.PlaceBelow(label, edit);
  EXPECT_EQ(n.Children(top), (std::vector<WindowHandle>{edit, label}));
  std::vector<WindowHandle> destroyed;
  for (WindowHandle w : {top, label, edit})
    n.SetEventSink(w, [&destroyed, w](const WindowEvent& e) {
      if (e.kind == EventKind::Destroyed) destroyed.push_back(w);
      return EventAnswer{};
    });
  n.DestroyNativeWindow(top);
  EXPECT_FALSE(n.IsWindow(top) || n.IsWindow(label) || n.IsWindow(edit));
  ASSERT_EQ(destroyed.size(), 3u);
  EXPECT_EQ(destroyed.back(), top);
}

class PaintCounter final : public QObject {
 public:
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

// The skill rows set their boxes' texts every few seconds, mostly to what they already show.
TEST_F(QtBackendTest, SettingTheTextAnEditBoxAlreadyShowsDoesNotRepaintIt) {
  Backend& n = Native();
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow);
  WindowHandle edit = Make(WindowRole::EditBox, top);
  auto* box = qobject_cast<QLineEdit*>(testing_support::TheQtBackend().WidgetOf(edit));
  ASSERT_NE(box, nullptr);
  n.SetText(edit, "12 s");
  testing_support::PumpQt();
  PaintCounter counter;
  box->installEventFilter(&counter);
  n.SetText(edit, "12 s");
  testing_support::PumpQt();
  EXPECT_EQ(counter.paints, 0);
  n.SetText(edit, "11 s");
  testing_support::PumpQt();
  EXPECT_GT(counter.paints, 0);
  // The same text still puts back the caret a user has moved, as any setting does.
  box->setCursorPosition(2);
  n.SetText(edit, "11 s");
  EXPECT_EQ(box->cursorPosition(), 0);
  // And the text a user typed over it: the text set last is set again, not taken as shown.
  box->setText("typed");
  n.SetText(edit, "11 s");
  EXPECT_EQ(n.Text(edit), "11 s");
  // A text that converts differently is converted again (GBK "\xB5\xC7" is one character).
  n.SetText(edit, "\xB5\xC7");
  EXPECT_EQ(box->text().size(), 1);
  EXPECT_EQ(n.Text(edit), "\xB5\xC7");
  box->removeEventFilter(&counter);
  n.DestroyNativeWindow(top);
}

TEST_F(QtBackendTest, PostedMessagesTimersAndTheQuitMessageGoThroughTheLoop) {
  Backend& n = Native();
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow);
  std::vector<uint32_t> posted;
  int ticks = 0;
  n.SetEventSink(top, [&](const WindowEvent& e) {
    if (e.kind == EventKind::Posted) posted.push_back(e.message);
    if (e.kind == EventKind::Timer && ++ticks == 3) n.PostQuit(5);
    return EventAnswer{};
  });
  n.Post(top, 1, 0, 0);
  n.Post(top, 2, 0, 0);
  EXPECT_TRUE(n.MessageWaiting());
  n.SetTimer(top, 9, 10);
  int code = -1;
  bool input = false;
  auto start = std::chrono::steady_clock::now();
  while (n.DispatchMessages(true, &code, &input)) {
    ASSERT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  }
  EXPECT_EQ(code, 5);
  EXPECT_EQ(posted, (std::vector<uint32_t>{1, 2}));
  EXPECT_EQ(ticks, 3);
  n.DestroyNativeWindow(top);
}

// A wait ends with a clock's tick; what its handler asked for, a repaint and a posted message, is
// done before the call returns, as the engine's loop expects of one call.
TEST_F(QtBackendTest, ABlockingDispatchReturnsWithTheRepaintsAndPostsOfItsHandlersDone) {
  struct Paints final : QObject {
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override {
      count += event->type() == QEvent::Paint;
      return false;
    }
  } paints;
  Backend& n = Native();
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow);
  WindowHandle label = Make(WindowRole::Label, top, "0");
  testing_support::PumpQt();
  static_cast<QtBackend&>(n).WidgetOf(label)->installEventFilter(&paints);
  int ticks = 0;
  std::vector<uint32_t> posted;
  n.SetEventSink(top, [&](const WindowEvent& e) {
    if (e.kind == EventKind::Posted) posted.push_back(e.message);
    if (e.kind == EventKind::Timer) {
      ++ticks;
      n.SetText(label, std::to_string(ticks));
      n.Post(top, 40 + uint32_t(ticks), 0, 0);
    }
    return EventAnswer{};
  });
  n.SetTimer(top, 3, 5);
  int code = 0;
  bool input = false;
  for (int calls = 0; ticks < 3 && calls < 1000; ++calls) {
    int before = ticks;
    ASSERT_TRUE(n.DispatchMessages(true, &code, &input));
    if (ticks == before) continue;
    // No later call was needed for this tick's paint and message.
    EXPECT_EQ(paints.count, ticks);
    ASSERT_FALSE(posted.empty());
    EXPECT_EQ(posted.back(), 40u + uint32_t(ticks));
    EXPECT_FALSE(n.MessageWaiting());
  }
  EXPECT_EQ(ticks, 3);
  n.KillTimer(top, 3);
  n.DestroyNativeWindow(top);
  testing_support::PumpQt();
}

uint32_t SleepBriefly(void*) {
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  return 0;
}

TEST_F(QtBackendTest, TheMessageAwareWaitEndsWithTheThreadOrTheTimeOut) {
  ThreadRef t = StartThread(SleepBriefly, nullptr);
  ThreadRef threads[] = {t};
  EXPECT_EQ(WaitForThreadsOrInput(threads, false, 10000, true), kWaitObject0);
  ThreadRef slow = StartThread(
      [](void*) -> uint32_t {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        return 0;
      },
      nullptr);
  ThreadRef slowThreads[] = {slow};
  EXPECT_EQ(WaitForThreadsOrInput(slowThreads, false, 20, false), kWaitTimeout);
  EXPECT_EQ(WaitForThreadsOrInput(slowThreads, false, 10000, false), kWaitObject0);
}

TEST_F(QtBackendTest, AnOffscreenMessageBoxTakesItsFirstButtonInsteadOfWaitingForEver) {
  EXPECT_EQ(Native().MessageBox(kNoWindow, "text", "caption", kBoxYesNo | kBoxIconQuestion), kAnswerYes);
  EXPECT_EQ(Native().MessageBox(kNoWindow, "text", "caption", kBoxRetryCancel), kAnswerRetry);
}

TEST_F(QtBackendTest, AQuitMessageEndsAMessageAwareWaitAsInput) {
  ThreadRef slow = StartThread(
      [](void*) -> uint32_t {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        return 0;
      },
      nullptr);
  ThreadRef threads[] = {slow};
  // The last window closes while the wait dispatches: the quit message is posted from inside it.
  QTimer::singleShot(10, [] { Native().PostQuit(0); });
  EXPECT_EQ(WaitForThreadsOrInput(threads, false, 10000, true), 1u);
  EXPECT_FALSE(slow->Ended());
  EXPECT_TRUE(Native().QuitPending());
  // Posted from another thread, it ends the wait as well.
  int code = -1;
  EXPECT_FALSE(Native().DispatchMessages(false, &code, nullptr));
  std::thread other([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    Native().PostQuit(3);
  });
  EXPECT_EQ(WaitForThreadsOrInput(threads, false, 10000, true), 1u);
  other.join();
  EXPECT_FALSE(slow->Ended());
  EXPECT_FALSE(Native().DispatchMessages(false, &code, nullptr));
  EXPECT_EQ(code, 3);
  EXPECT_FALSE(Native().QuitPending());
  EXPECT_EQ(WaitForThreadsOrInput(threads, false, 10000, false), kWaitObject0);
}

// The box on the screen once it runs its own loop: its button texts and the style it was shown for,
// then a click on the button whose text is `press`.
struct SeenBox {
  std::vector<std::string> buttons;  // UTF-8, sorted
  uint32_t style = 0;
  bool pictures = false;  // a button shows a picture beside its text
};

SeenBox ShowAndPress(uint32_t style, const std::string& press, int* answer) {
  SeenBox seen;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    seen.style = box->property(kBoxStyleProperty).toUInt();
    QAbstractButton* pressed = nullptr;
    for (QAbstractButton* b : box->buttons()) {
      seen.buttons.push_back(b->text().toStdString());
      seen.pictures = seen.pictures || !b->icon().isNull();
      if (b->text().toStdString() == press) pressed = b;
    }
    std::sort(seen.buttons.begin(), seen.buttons.end());
    if (pressed != nullptr) pressed->click();
  });
  *answer = Native().MessageBox(kNoWindow, "text", "caption", style);
  return seen;
}

TEST_F(QtBackendTest, BoxButtonsReadAsAChineseDesktopShowsThem) {
  static_cast<QtBackend&>(Native()).SetScriptAnswersBoxes(true);  // shown although offscreen
  int answer = 0;
  SeenBox yesNo = ShowAndPress(kBoxYesNo | kBoxIconQuestion, "否", &answer);
  EXPECT_EQ(yesNo.buttons, (std::vector<std::string>{"否", "是"}));
  EXPECT_EQ(yesNo.style, uint32_t(kBoxYesNo | kBoxIconQuestion));
  EXPECT_FALSE(yesNo.pictures);
  EXPECT_EQ(answer, kAnswerNo);
  SeenBox ok = ShowAndPress(kBoxOk, "确定", &answer);
  EXPECT_EQ(ok.buttons, std::vector<std::string>{"确定"});
  EXPECT_EQ(answer, kAnswerOk);
  SeenBox okCancel = ShowAndPress(kBoxOkCancel | 0x2000, "取消", &answer);
  EXPECT_EQ(okCancel.buttons, (std::vector<std::string>{"取消", "确定"}));
  EXPECT_EQ(okCancel.style, uint32_t(kBoxOkCancel | 0x2000));
  EXPECT_EQ(answer, kAnswerCancel);
  static_cast<QtBackend&>(Native()).SetScriptAnswersBoxes(false);
}

}  // namespace
}  // namespace vorenn::platform

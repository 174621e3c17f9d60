// What only the Qt backend can show: fonts on installed faces, frames, pictures of windows, the
// notification-area rule, and native input turned into window events that a sink can answer.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QImage>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/headless/headless_backend.h"
#include "platform/qt/qt_fonts.h"
#include "platform/qt/qt_keys.h"
#include "tests/platform/qt_test_support.h"

namespace vorenn::platform {
namespace {

using testing_support::PumpQt;

// A 60-byte logical-font record: height, weight and a GBK face.
std::string FontRecord(int32_t height, int32_t weight, const std::string& gbkFace) {
  std::string r(60, '\0');
  std::memcpy(r.data(), &height, 4);
  std::memcpy(r.data() + 16, &weight, 4);
  std::memcpy(r.data() + 28, gbkFace.data(), std::min<size_t>(gbkFace.size(), 31));
  return r;
}

class QtUnitWidgetsTest : public testing::Test {
 protected:
  void SetUp() override { q_ = &testing_support::TheQtBackend(); }
  void TearDown() override {
    for (WindowHandle w : tops_) q_->DestroyNativeWindow(w);
    PumpQt();
  }
  WindowHandle Make(WindowRole role, WindowHandle parent, Rect r, std::string text = {}) {
    WindowSpec params;
    params.role = role;
    params.parent = parent;
    params.geometry = r;
    params.text = std::move(text);
    params.visible = true;
    WindowHandle w = q_->CreateNativeWindow(params);
    if (parent == kNoWindow) tops_.push_back(w);
    return w;
  }
  // Every event kind the sink sees, with the answer `answer` gives.
  void Answer(WindowHandle w, std::function<EventAnswer(const WindowEvent&)> answer) {
    q_->SetEventSink(w, [this, answer](const WindowEvent& e) {
      seen_.push_back(e);
      return answer(e);
    });
  }
  int Count(EventKind kind) const {
    return int(std::count_if(seen_.begin(), seen_.end(), [kind](const WindowEvent& e) { return e.kind == kind; }));
  }
  QtBackend* q_ = nullptr;
  std::vector<WindowHandle> tops_;
  std::vector<WindowEvent> seen_;
};

struct FontCase {
  std::string record;
  const char* family;
  int pixelSize;
  bool bold;
};

TEST_F(QtUnitWidgetsTest, LabelFontsMapTemplateFacesOntoInstalledOnes) {
  const FontCase cases[] = {
      {FontRecord(-12, 400, "\xCB\xCE\xCC\xE5"), "WenQuanYi Zen Hei", 12, false},  // 宋体
      {FontRecord(-35, 400, "\xBA\xDA\xCC\xE5"), "WenQuanYi Zen Hei", 35, false},  // 黑体
      {FontRecord(-12, 700, "Georgia"), "DejaVu Serif", 12, true},
      {FontRecord(-14, 0, "georgia"), "DejaVu Serif", 14, false},
      {FontRecord(-12, 400, ""), "WenQuanYi Zen Hei", 12, false},
      {std::string(), "WenQuanYi Zen Hei", 12, false},
      {FontRecord(-100000, 400, "Arial"), "DejaVu Sans", 512, false},
  };
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, {0, 0, 200, 100});
  WindowHandle label = Make(WindowRole::Label, top, {0, 0, 100, 40}, "x");
  for (const FontCase& c : cases) {
    Appearance a;
    a.font = c.record;
    q_->SetAppearance(label, a);
    QFont font = q_->WidgetOf(label)->font();
    EXPECT_EQ(QFontInfo(font).family().toStdString(), c.family) << c.family << " " << c.pixelSize;
    EXPECT_EQ(font.pixelSize(), c.pixelSize) << c.family;
    EXPECT_EQ(font.bold(), c.bold) << c.family;
  }
  // A positive height is the whole cell: the character is smaller than it.
  QFont cell = FontOfRecord(FontRecord(20, 400, "Georgia"));
  EXPECT_LT(cell.pixelSize(), 20);
  EXPECT_LE(QFontMetrics(cell).height(), 20);
}

// The CJK face is named once when the template asks for it (named twice, Qt works out its system
// fallback list for the font as soon as it is loaded): text draws as it did with the face named
// twice, characters the face lacks included.
TEST_F(QtUnitWidgetsTest, TheCjkFaceNamedOnceDrawsAsNamedTwice) {
  const QString cjk = QStringLiteral("WenQuanYi Zen Hei");
  const QString text = QString::fromUtf8("Vorenn\xE5\x90\xA7 \xE2\x98\x83\xE2\x99\x9E\xE2\x88\xAE \xCE\xB1\xCF\x89 \xD0\x96 \xEF\xAC\x81 12,345");
  for (int pixels : {12, 35}) {
    QFont ours = FontOfRecord(FontRecord(-pixels, 400, "\xCB\xCE\xCC\xE5"));  // 宋体
    QFont twice = ours;
    twice.setFamilies({cjk, cjk});
    auto drawn = [&](const QFont& font) {
      QImage image(420, 60, QImage::Format_ARGB32_Premultiplied);
      image.fill(Qt::white);
      QPainter painter(&image);
      painter.setFont(font);
      painter.setPen(Qt::black);
      painter.drawText(image.rect(), Qt::AlignLeft | Qt::AlignVCenter, text);
      return image;
    };
    QImage expected = drawn(twice);
    EXPECT_EQ(drawn(ours), expected) << pixels;
    QImage blank(expected.size(), expected.format());
    blank.fill(Qt::white);
    EXPECT_NE(expected, blank) << "the text drew nothing";
  }
}

TEST_F(QtUnitWidgetsTest, TheClientAreaSitsInsideTheFixedFrameOffscreen) {
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, {50, 50, 370, 303});
  WindowHandle group = Make(WindowRole::GroupBox, top, {2, -1, 360, 273});
  PumpQt();
  EXPECT_EQ(q_->WidgetOf(top)->geometry(), QRect(54, 77, 362, 272));
  EXPECT_EQ(q_->WidgetOf(group)->geometry(), QRect(2, -1, 360, 273));
  Appearance frameless;
  frameless.border = 0;
  q_->SetAppearance(top, frameless);
  EXPECT_EQ(q_->FrameOf(top), FrameMargins{});
  EXPECT_EQ(q_->WidgetOf(top)->geometry(), QRect(50, 50, 370, 303));
  EXPECT_EQ(q_->Geometry(top), (Rect{50, 50, 370, 303}));
}

TEST_F(QtUnitWidgetsTest, APictureOfTheWindowHasItsFrameCaptionAndUnits) {
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, {0, 0, 200, 120}, "Vorenn");
  Appearance window;
  window.border = 2;
  window.backgroundColour = 0x00FF00;  // green client area
  q_->SetAppearance(top, window);
  WindowHandle label = Make(WindowRole::Label, top, {10, 10, 50, 20}, "x");
  Appearance red;
  red.backgroundColour = 0x0000FF;
  q_->SetAppearance(label, red);
  // A group box over another red label hides it, in its container's colour.
  WindowHandle group = Make(WindowRole::GroupBox, top, {100, 10, 60, 40});
  WindowHandle hidden = Make(WindowRole::Label, top, {100, 10, 60, 40}, "y");
  q_->SetAppearance(hidden, red);
  q_->SetAppearance(group, Appearance{});
  PumpQt();
  std::string path = testing::TempDir() + "qt_window_picture.png";
  std::remove(path.c_str());
  ASSERT_TRUE(q_->SaveWindowPicture(top, path));
  QImage picture(QString::fromStdString(path));
  ASSERT_FALSE(picture.isNull());
  EXPECT_EQ(picture.size(), QSize(200, 120));
  const FrameMargins m = kHeadlessFrame;
  EXPECT_EQ(picture.pixelColor(m.left + 30, m.top + 20), QColor(255, 0, 0));   // inside the label
  EXPECT_EQ(picture.pixelColor(m.left + 100, m.top + 60), QColor(0, 255, 0));  // the client area
  EXPECT_NE(picture.pixelColor(100, 12), QColor(0, 255, 0));                    // the caption
  EXPECT_EQ(picture.pixelColor(m.left + 130, m.top + 30), QColor(0, 255, 0));  // inside the group box
  EXPECT_FALSE(q_->SaveWindowPicture(top, "/nonexistent-dir/picture.png"));
  EXPECT_FALSE(q_->SaveWindowPicture(kNoWindow, path));
}

TEST_F(QtUnitWidgetsTest, WithoutANotificationAreaAWindowThatHidesIntoItStaysMinimized) {
  WindowHandle tray = Make(WindowRole::TopLevel, kNoWindow, {0, 0, 200, 100});
  WindowHandle plain = Make(WindowRole::TopLevel, kNoWindow, {0, 0, 200, 100});
  PumpQt();
  const uint8_t icon[] = {0};
  q_->SetTrayIcon(tray, icon, "tip");
  EXPECT_EQ(q_->TrayTipOf(tray), "tip");
  EXPECT_EQ(q_->TrayTipOf(plain), std::nullopt);
  q_->SetShowState(tray, ShowState::Minimized);
  q_->Show(tray, false);
  q_->Show(plain, false);
  EXPECT_FALSE(q_->IsVisible(tray));
  EXPECT_TRUE(q_->WidgetOf(tray)->isVisible());
  EXPECT_TRUE(q_->WidgetOf(tray)->isMinimized());
  EXPECT_FALSE(q_->WidgetOf(plain)->isVisible());
  // Once the icon is gone, hiding hides.
  q_->Show(tray, true);
  q_->RemoveTrayIcon(tray);
  EXPECT_EQ(q_->TrayTipOf(tray), std::nullopt);
  q_->Show(tray, false);
  EXPECT_FALSE(q_->WidgetOf(tray)->isVisible());
}

TEST_F(QtUnitWidgetsTest, MouseAndWheelReachTheSinkFirstAndCanBeKeptFromTheWidget) {
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, {0, 0, 200, 200});
  WindowHandle panel = Make(WindowRole::Panel, top, {0, 0, 200, 200});
  WindowHandle label = Make(WindowRole::Label, panel, {10, 10, 50, 20}, "x");
  WindowHandle button = Make(WindowRole::Button, panel, {10, 40, 50, 20}, "ok");
  WindowHandle bar = Make(WindowRole::VScrollBar, panel, {100, 0, 16, 100});
  q_->SetScrollBar(bar, {0, 100, 10, 40});
  PumpQt();
  Answer(panel, [](const WindowEvent&) { return EventAnswer{}; });
  Answer(label, [](const WindowEvent&) { return EventAnswer{}; });
  Answer(bar, [](const WindowEvent&) { return EventAnswer{}; });
  Answer(button, [](const WindowEvent& e) { return EventAnswer{e.kind == EventKind::MouseUp, -1}; });
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(7, 5), QPointF(17, 15), Qt::LeftButton, Qt::LeftButton,
                    Qt::ShiftModifier);
  QCoreApplication::sendEvent(q_->WidgetOf(label), &press);
  ASSERT_EQ(seen_.size(), 1u);  // the label's, not also its panel's
  EXPECT_EQ(seen_[0].window, label);
  EXPECT_EQ(seen_[0].kind, EventKind::MouseDown);
  EXPECT_EQ(seen_[0].button, MouseButton::Left);
  EXPECT_EQ(seen_[0].x, 7);
  EXPECT_EQ(seen_[0].y, 5);
  EXPECT_EQ(seen_[0].keyState, kKeyShift);
  // A release the sink swallows never makes a click.
  QWidget* b = q_->WidgetOf(button);
  QMouseEvent down(QEvent::MouseButtonPress, QPointF(5, 5), b->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                   Qt::LeftButton, Qt::NoModifier);
  QMouseEvent up(QEvent::MouseButtonRelease, QPointF(5, 5), b->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                 Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(b, &down);
  QCoreApplication::sendEvent(b, &up);
  EXPECT_EQ(Count(EventKind::MouseUp), 1);
  EXPECT_EQ(Count(EventKind::Clicked), 0);
  // The wheel over a scroll bar is the unit's: the thumb stays.
  QWheelEvent wheel(QPointF(5, 50), QPointF(105, 50), QPoint(), QPoint(0, -240), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(q_->WidgetOf(bar), &wheel);
  ASSERT_EQ(seen_.back().kind, EventKind::Wheel);
  EXPECT_EQ(seen_.back().wheelNotches, -2);
  EXPECT_EQ(static_cast<QScrollBar*>(q_->WidgetOf(bar))->value(), 40);
}

TEST_F(QtUnitWidgetsTest, TheWheelTurnsForTheFocusedUnitNotTheOneUnderThePointer) {
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, {0, 0, 200, 200});
  WindowHandle panel = Make(WindowRole::Panel, top, {0, 0, 200, 200});
  WindowHandle edit = Make(WindowRole::EditBox, panel, {10, 10, 80, 20}, "row");
  WindowHandle bar = Make(WindowRole::VScrollBar, panel, {100, 0, 16, 100});
  q_->SetScrollBar(bar, {0, 100, 10, 40});
  PumpQt();
  for (WindowHandle w : {panel, edit, bar}) Answer(w, [](const WindowEvent&) { return EventAnswer{}; });
  q_->SetFocus(bar);
  PumpQt();
  seen_.clear();
  QWidget* e = q_->WidgetOf(edit);
  QWheelEvent wheel(QPointF(5, 5), e->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -240), Qt::NoButton,
                    Qt::ControlModifier, Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(e, &wheel);
  ASSERT_EQ(Count(EventKind::Wheel), 1);
  const WindowEvent& turn = *std::find_if(seen_.begin(), seen_.end(),
                                          [](const WindowEvent& s) { return s.kind == EventKind::Wheel; });
  EXPECT_EQ(turn.window, bar);
  EXPECT_EQ(turn.wheelNotches, -2);
  EXPECT_EQ(turn.keyState, kKeyCtrl);
  EXPECT_EQ(static_cast<QScrollBar*>(q_->WidgetOf(bar))->value(), 40);  // the unit moves it, not Qt
  // With the focus on the edit box the turn is the edit box's own again.
  q_->SetFocus(edit);
  PumpQt();
  seen_.clear();
  QCoreApplication::sendEvent(e, &wheel);
  ASSERT_EQ(Count(EventKind::Wheel), 1);
  EXPECT_EQ(seen_.back().window, edit);
}

TEST_F(QtUnitWidgetsTest, ScrollBarActionsGoToTheSinkWhichDecidesWhereTheThumbStands) {
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, {0, 0, 200, 200});
  WindowHandle bar = Make(WindowRole::VScrollBar, top, {0, 0, 16, 100});
  q_->SetScrollBar(bar, {0, 100, 10, 95});
  Answer(bar, [this, bar](const WindowEvent& e) {
    // Moves by 3 on a line down, like a unit with line step 3; ignores the rest.
    if (e.kind == EventKind::ScrollChanged && e.scrollAction == ScrollAction::LineDown) {
      ScrollBarState s = q_->ScrollBarOf(bar);
      s.position = std::min(s.maximum, s.position + 3);
      q_->SetScrollBar(bar, s);
    }
    return EventAnswer{};
  });
  auto* widget = static_cast<QScrollBar*>(q_->WidgetOf(bar));
  widget->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(widget->value(), 98);
  widget->triggerAction(QAbstractSlider::SliderPageStepSub);
  EXPECT_EQ(widget->value(), 98);
  widget->triggerAction(QAbstractSlider::SliderToMinimum);
  EXPECT_EQ(widget->value(), 98);
  ASSERT_EQ(seen_.size(), 3u);
  EXPECT_EQ(seen_[1].scrollAction, ScrollAction::PageUp);
  EXPECT_EQ(seen_[2].scrollAction, ScrollAction::ToTop);
}

TEST_F(QtUnitWidgetsTest, TypedAndCommittedCharactersCanBeDroppedOrReplaced) {
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, {0, 0, 200, 100});
  WindowHandle edit = Make(WindowRole::EditBox, top, {0, 0, 100, 20});
  PumpQt();
  q_->SetFocus(edit);
  PumpQt();
  ASSERT_EQ(q_->Focus(), edit);
  // 'a' becomes 'b', 'x' is dropped, '中' becomes '文'; the rest goes in as typed.
  Answer(edit, [](const WindowEvent& e) {
    if (e.kind != EventKind::Char) return EventAnswer{};
    if (e.key == 'a') return EventAnswer{false, 'b'};
    if (e.key == 'x') return EventAnswer{true, -1};
    if (e.key == 0xD6D0) return EventAnswer{false, 0xCEC4};
    return EventAnswer{};
  });
  QWidget* w = q_->WidgetOf(edit);
  for (auto [key, text] : {std::pair{Qt::Key_A, "a"}, {Qt::Key_X, "x"}, {Qt::Key_C, "c"}, {Qt::Key_Period, "."}}) {
    QKeyEvent k(QEvent::KeyPress, key, Qt::NoModifier, QString::fromLatin1(text));
    QCoreApplication::sendEvent(w, &k);
  }
  QInputMethodEvent committed;
  committed.setCommitString(QString::fromUtf8("中x好"));
  QCoreApplication::sendEvent(w, &committed);
  EXPECT_EQ(q_->Text(edit), "bc.\xCE\xC4\xBA\xC3");  // "bc.文好"
  std::vector<int> keys;
  for (const WindowEvent& e : seen_)
    if (e.kind == EventKind::KeyDown) keys.push_back(e.key);
  EXPECT_EQ(keys, (std::vector<int>{'A', 'X', 'C', 0xBE}));
  EXPECT_EQ(Count(EventKind::Char), 7);
  EXPECT_GE(Count(EventKind::TextChanged), 1);
}

TEST_F(QtUnitWidgetsTest, SelectionsNeverSplitADoubleByteCharacter) {
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, {0, 0, 200, 100});
  WindowHandle edit = Make(WindowRole::EditBox, top, {0, 0, 100, 20}, "ab\xD6\xD0\xCE\xC4");
  q_->SetSelection(edit, 3, 2);  // from the middle of the first character into the second
  int start = -1, length = -1;
  q_->Selection(edit, &start, &length);
  EXPECT_EQ(start, 2);
  EXPECT_EQ(length, 4);
  EXPECT_EQ(static_cast<QLineEdit*>(q_->WidgetOf(edit))->selectedText(), QString::fromUtf8("中文"));
}

TEST_F(QtUnitWidgetsTest, ACloseRequestTheSinkSwallowsKeepsTheWindow) {
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, {0, 0, 200, 100});
  bool keep = true;
  q_->SetEventSink(top, [&keep](const WindowEvent& e) { return EventAnswer{e.kind == EventKind::CloseRequested && keep, -1}; });
  PumpQt();
  q_->WidgetOf(top)->close();
  EXPECT_TRUE(q_->IsWindow(top));
  keep = false;
  q_->WidgetOf(top)->close();
  EXPECT_FALSE(q_->IsWindow(top));
}

struct KeyCase {
  int qtKey;
  Qt::KeyboardModifiers modifiers;
  int virtualKey;
};

TEST(QtKeys, QtKeysMapToTheVirtualKeysOfAUsLayout) {
  const KeyCase cases[] = {
      {Qt::Key_A, Qt::NoModifier, 'A'},          {Qt::Key_7, Qt::NoModifier, '7'},
      {Qt::Key_Ampersand, Qt::ShiftModifier, '7'}, {Qt::Key_Period, Qt::NoModifier, 0xBE},
      {Qt::Key_Delete, Qt::NoModifier, 0x2E},    {Qt::Key_Exclam, Qt::ShiftModifier, '1'},
      {Qt::Key_Tab, Qt::NoModifier, 0x09},       {Qt::Key_Backtab, Qt::ShiftModifier, 0x09},
      {Qt::Key_Return, Qt::NoModifier, 0x0D},    {Qt::Key_Enter, Qt::KeypadModifier, 0x0D},
      {Qt::Key_5, Qt::KeypadModifier, 0x65},     {Qt::Key_Plus, Qt::KeypadModifier, 0x6B},
      {Qt::Key_F12, Qt::NoModifier, 0x7B},       {Qt::Key_Question, Qt::ShiftModifier, 0xBF},
      {Qt::Key_Escape, Qt::NoModifier, 0x1B},    {Qt::Key_Dead_Grave, Qt::NoModifier, 0},
  };
  for (const KeyCase& c : cases) EXPECT_EQ(VirtualKeyOf(c.qtKey, c.modifiers), c.virtualKey) << std::hex << c.qtKey;
  EXPECT_EQ(GbkCharOf(QString::fromUtf8("中")), 0xD6D0);
  EXPECT_EQ(GbkCharOf(QString::fromUtf8("\xF0\x9F\x98\x80")), -1);  // no GBK character
  EXPECT_EQ(GbkCharOf(QStringLiteral("ab")), -1);
  EXPECT_EQ(TextOfGbkChar(0xD6D0), QString::fromUtf8("中"));
}

}  // namespace
}  // namespace vorenn::platform

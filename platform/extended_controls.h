// What the list view and the image button need beyond plain windows: list rows and columns with
// the report view's options, buttons that the unit draws itself on a small canvas, tool tips, and
// pictures decoded from bytes. Backend operations are in platform/backend.h.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/native_window.h"

namespace vorenn::platform {

// Button style bits (WindowRole::Button), beside WindowStyle.
enum ButtonStyle : uint32_t {
  kStyleOwnerDrawn = 1u << 8,     // drawn by the painter set with SetButtonPainter
  kStyleToggle = 1u << 9,         // a click flips the checked state before Clicked is delivered
  kStyleDefaultButton = 1u << 10, // the window's default push button
};

// --- list views (WindowRole::ListView) ---

enum class ListViewKind : uint8_t { LargeIcons = 0, SmallIcons = 1, List = 2, Report = 3 };

// The control's options; colours are resolved (never kDefaultColour).
struct ListSetup {
  ListViewKind view = ListViewKind::Report;
  bool alignLeft = false, autoArrange = false, noLabelWrap = false;  // icon views
  bool noColumnHeader = false, noSortHeader = false, headerDragDrop = false;  // report view
  bool fullRowSelect = false, gridLines = false;
  bool editLabels = false;
  int sort = 0;  // 0 none, 1 ascending, 2 descending
  bool singleSelection = false, showSelectionAlways = false;
  bool checkBoxes = false, flatScrollBars = false;
  bool trackSelect = false, underlineCold = false, underlineHot = false;
  PointerShape hotCursor = PointerShape::Arrow;
  uint32_t textColour = 0;
  uint32_t textBackground = 0xFFFFFF;
  uint32_t background = 0xFFFFFF;
  std::string font;  // 60-byte logical-font record; empty: the default GUI font
  friend bool operator==(const ListSetup&, const ListSetup&) = default;
};

struct ListColumn {
  std::string title;  // GBK
  int width = 0;
  int align = 0;      // 0 left, 1 centre, 2 right
  int image = -1;     // header image index, -1 none
  bool imageOnRight = false;
  friend bool operator==(const ListColumn&, const ListColumn&) = default;
};

struct ListItem {
  std::string text;  // GBK, column 0
  int image = -1;
  uint32_t state = 0;
  int indent = 0;
  int32_t value = 0;
  friend bool operator==(const ListItem&, const ListItem&) = default;
};

// --- pictures ---

// A decoded picture. Backends subclass it with their own pixels.
class Picture {
 public:
  virtual ~Picture() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
};
using PictureRef = std::shared_ptr<const Picture>;

// --- owner-drawn buttons ---

// The system colours a button is drawn in (0x00BBGGRR).
enum class SystemColour : uint8_t { ButtonFace, Highlight, Light, DarkShadow, Shadow, ButtonText, GrayText };
uint32_t SystemColourOf(SystemColour which);

// Where lines, frames and text go, in the button's client coordinates. Lines are axis-parallel and
// include both end points.
class Canvas {
 public:
  virtual ~Canvas() = default;
  virtual void FillRect(const Rect& r, uint32_t colour) = 0;
  virtual void FrameRect(const Rect& r, uint32_t colour) = 0;  // one pixel wide, inside r
  virtual void Line(int x1, int y1, int x2, int y2, uint32_t colour) = 0;
  virtual void FocusRect(const Rect& r) = 0;                    // the dotted focus frame, inside r
  // Text on one line, aligned in r (hAlign/vAlign 0 start, 1 centre, 2 end); font as in ListSetup.
  virtual void Text(const Rect& r, std::string_view gbk, uint32_t colour, const std::string& font, int hAlign,
                    int vAlign) = 0;
  // The picture's top-left corner at (x, y); pixels of `transparent` are left out unless it is
  // kDefaultColour; `greyed` draws it as disabled.
  virtual void DrawPicture(const Picture& picture, int x, int y, uint32_t transparent, bool greyed) = 0;
};

struct ButtonDrawState {
  Rect rect;                 // the whole button, (0, 0, width, height)
  bool pressed = false;      // held down by mouse or key
  bool checked = false;      // toggle buttons
  bool focused = false;
  bool disabled = false;
  bool highlighted = false;  // the mouse is over it
};

using ButtonPainter = std::function<void(Canvas&, const ButtonDrawState&)>;

}  // namespace vorenn::platform

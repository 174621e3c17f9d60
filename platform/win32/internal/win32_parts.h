// The pieces of the Win32 backend that stand on their own, each in its own file: text at the
// edge (GBK <-> UTF-16 on code page 936), fonts from logical-font records, the report-view list
// control, the canvas owner-drawn buttons paint on, tool tips and pictures. The backend class
// (win32_backend.cpp and its neighbours) creates the windows and wires these to them.
//
// Only the Win32 backend's own .cpp files include this header: <windows.h> defines macros
// (MessageBox, interface, ...) that clash with names elsewhere in the program.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/extended_controls.h"

namespace vorenn::platform::win32 {

// --- text at the edge: the program's texts are GBK, the W functions take UTF-16 ---
std::wstring WideFromGbk(std::string_view gbk);
std::string GbkFromWide(std::wstring_view wide);

// --- fonts ---
// The font of a 60-byte logical-font record, a LOGFONT with its face name in GBK:
//   offset size meaning
//   0      4    height in pixels (negative: character height, positive: cell height, 0: 12 pixels)
//   4      4    width            8  4  escapement        12  4  orientation
//   16     4    weight (0 default, 400 normal, 700 bold)
//   20     1    italic           21  1  underline        22  1  strike-out
//   23     1    character set    24..27  precision, clipping, quality, pitch and family
//   28     32   face name, GBK, zero-terminated (an empty face: 宋体)
// A record shorter than 60 bytes gives the units' default font, 宋体 at 12 pixels (9 points) on
// every system. Heights beyond 512 pixels are drawn at 512. Fonts are created once per distinct
// record and live as long as the process; callers never delete them.
HFONT FontFromRecord(const std::string& record);

// --- list views (WC_LISTVIEWW in report view) ---
// Window style bits (WS_CHILD and LVS_*) for a setup; the backend creates the control with them
// (adding visibility, tab stop and border) and ApplyListSetup sets the rest (extended styles,
// colours, font) and may change the style later. The control is a virtual list (LVS_OWNERDATA):
// the rows live here, and the control asks for them through notifications to its parent.
DWORD ListViewStyle(const ListSetup& setup);
void ApplyListSetup(HWND list, const ListSetup& setup);
int InsertListColumn(HWND list, int index, const ListColumn& column);
int ListColumnCount(HWND list);
int InsertListItem(HWND list, int index, const ListItem& item);
bool SetListItemText(HWND list, int row, int column, std::string_view gbk);
std::string ListItemText(HWND list, int row, int column);
int ListItemCount(HWND list);
void DeleteListItems(HWND list);
void SetListSelection(HWND list, int row);
int ListSelection(HWND list);
// The parent's window procedure passes every WM_NOTIFY here first (lParam as the header); true
// when it came from a list view and was handled, with the answer for WM_NOTIFY in *result. The
// lists ask for their texts this way (LVN_GETDISPINFOW), for the rows typing finds
// (LVN_ODFINDITEMW), and report clicks on check boxes.
bool HandleListNotify(NMHDR* header, LRESULT* result);

// --- owner-drawn buttons (BS_OWNERDRAW) ---
// Paints one WM_DRAWITEM request through the unit's painter on a GDI canvas, double-buffered.
// Pressed, focused and disabled come from the item's state; an owner-drawn button keeps no checked
// state of its own, so the backend says whether a toggle button is checked, and whether the
// mouse is over the button. Without a painter the button is filled with the button face.
void PaintOwnerDrawnButton(const DRAWITEMSTRUCT& item, const ButtonPainter& painter, bool highlighted, bool checked);

// --- tool tips: one tip control per top-level window, created on first use ---
void SetToolTip(HWND control, std::string_view gbk);
std::string ToolTip(HWND control);
// Forgets the control's tip (the backend calls it when the control is destroyed).
void ForgetToolTip(HWND control);

// --- pictures ---
// A top-down 32-bit DIB section selected into its own memory DC (pixels 0xAARRGGBB, top row first).
class Bitmap32 {
 public:
  Bitmap32(HDC like, int width, int height);
  ~Bitmap32();
  Bitmap32(const Bitmap32&) = delete;
  Bitmap32& operator=(const Bitmap32&) = delete;

  bool Ok() const { return bits_ != nullptr; }
  HDC Dc() const { return dc_; }
  uint32_t* Bits() const { return bits_; }

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  uint32_t* bits_ = nullptr;
};

// A decoded picture: 32-bit pixels 0xAARRGGBB (straight alpha), top row first, as a DIB
// section lays them out.
class GdiPicture final : public Picture {
 public:
  GdiPicture(int width, int height, std::vector<uint32_t> pixels)
      : width_(width), height_(height), pixels_(std::move(pixels)) {}
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  const std::vector<uint32_t>& Pixels() const { return pixels_; }

 private:
  int width_, height_;
  std::vector<uint32_t> pixels_;
};

// Decodes BMP, PNG, GIF or JPEG bytes (the first frame); null when they hold no picture or one
// too large to keep.
PictureRef DecodePicture(std::span<const uint8_t> data);
// Writes a PNG of the window as it is on screen, frame included (copied from the window's DC,
// so it must not be covered). The path is GBK, as the program's file names are. False when the
// window does not exist or is minimized, or the file cannot be written.
bool SaveWindowPicture(HWND window, const std::string& path);

}  // namespace vorenn::platform::win32

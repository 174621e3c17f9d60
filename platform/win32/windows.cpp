// Win32 native windows: one per handle, by role, at absolute positions in its parent; their frames,
// show states, styles, looks and pointers.
#include "platform/win32/win32_backend_class.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/screen_fit.h"

namespace vorenn::platform::win32 {
namespace {

constexpr UINT kQuietMove = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
constexpr UINT kKeepPlace = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER;

bool IsChildRole(WindowRole role) { return role != WindowRole::TopLevel && role != WindowRole::Engine; }

// The native class and role-specific style bits of a child window.
const wchar_t* ControlClassOf(const WindowSpec& params, DWORD* style) {
  switch (params.role) {
    case WindowRole::Panel:
      *style |= WS_CLIPCHILDREN;
      return kPanelClass;
    case WindowRole::GroupBox:
      *style |= BS_GROUPBOX | WS_CLIPCHILDREN;
      return L"BUTTON";
    case WindowRole::Label:
      // Clicks reach the label (a plain static passes them to its container).
      *style |= SS_LEFT | SS_NOTIFY | SS_NOPREFIX;
      return L"STATIC";
    case WindowRole::Button:
      if (params.style & kStyleOwnerDrawn)
        *style |= BS_OWNERDRAW;
      else
        *style |= (params.style & kStyleDefaultButton) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
      return L"BUTTON";
    case WindowRole::EditBox:
      if (params.style & kStyleMultiLine)
        *style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
      else
        *style |= ES_AUTOHSCROLL;
      if (params.style & kStylePassword) *style |= ES_PASSWORD;
      if (params.style & kStyleReadOnly) *style |= ES_READONLY;
      return L"EDIT";
    case WindowRole::VScrollBar:
      *style |= SBS_VERT;
      return L"SCROLLBAR";
    case WindowRole::ListView:
      *style |= ListViewStyle(ListSetup{});
      return WC_LISTVIEWW;
    default:
      return kPanelClass;
  }
}

}  // namespace

DWORD Win32Backend::TopLevelStyle(const Entry& e) const {
  const Appearance& a = e.appearance;
  if (e.appearanceSet && a.border == 0) return WS_POPUP | WS_CLIPCHILDREN;
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN;
  if (a.controlBox) style |= WS_SYSMENU;
  if (a.controlBox && a.minimizeButton) style |= WS_MINIMIZEBOX;
  if (a.controlBox && a.maximizeButton) style |= WS_MAXIMIZEBOX;
  return style;
}

HWND Win32Backend::MakeNative(const WindowSpec& params, HWND parent, const Rect& r) {
  std::wstring text = WideFromGbk(params.text);
  if (params.role == WindowRole::Engine)
    return CreateWindowExW(0, kTopLevelClass, text.c_str(), WS_POPUP, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance_, nullptr);
  if (params.role == WindowRole::TopLevel) {
    Entry probe;
    DWORD style = TopLevelStyle(probe);
    if (!params.enabled) style |= WS_DISABLED;
    return CreateWindowExW(0, kTopLevelClass, text.c_str(), style, r.left, r.top, r.width, r.height, nullptr, nullptr,
                           instance_, nullptr);
  }
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  if (params.style & kStyleTabStop) style |= WS_TABSTOP;
  if (params.visible) style |= WS_VISIBLE;
  if (!params.enabled) style |= WS_DISABLED;
  const wchar_t* cls = ControlClassOf(params, &style);
  // The control id is not used: notifications are told apart by their window.
  return CreateWindowExW(0, cls, text.c_str(), style, r.left, r.top, r.width, r.height, parent, nullptr, instance_,
                         nullptr);
}

WindowHandle Win32Backend::CreateNativeWindow(const WindowSpec& params) {
  bool child = IsChildRole(params.role);
  Entry* parent = child ? Find(params.parent) : nullptr;
  if (child && parent == nullptr) return kNoWindow;
  Rect r = params.role == WindowRole::TopLevel ? FitToArea(params.geometry, ScreenArea())
           : child                             ? params.geometry
                                               : Rect{};
  HWND hwnd = MakeNative(params, parent != nullptr ? parent->hwnd : nullptr, r);
  if (hwnd == nullptr) return kNoWindow;
  WindowHandle h = nextHandle_++;
  Entry& e = windows_[h];
  e.role = params.role;
  e.parent = child ? params.parent : kNoWindow;
  e.hwnd = hwnd;
  e.visible = params.role != WindowRole::Engine && params.visible;
  e.style = params.style;
  e.outer = r;
  handles_[hwnd] = h;
  // The system's controls are subclassed; the other windows are of the backend's own classes.
  if (child && params.role != WindowRole::Panel)
    SetWindowSubclass(hwnd, ControlProcedure, 1, reinterpret_cast<DWORD_PTR>(this));
  else
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  if (child) {
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontFromRecord(std::string())), FALSE);
    // New child windows go to the bottom of their siblings, as the other backends keep them.
    SetWindowPos(hwnd, HWND_BOTTOM, 0, 0, 0, 0, kKeepPlace);
  }
  if (params.role == WindowRole::EditBox) ApplyEditStyle(e);
  if (params.role == WindowRole::TopLevel && e.visible) ApplyShowState(e);
  return h;
}

WindowHandle Win32Backend::ParentOf(WindowHandle w) const {
  const Entry* e = Find(w);
  return e != nullptr ? e->parent : kNoWindow;
}

WindowRole Win32Backend::RoleOf(WindowHandle w) const {
  const Entry* e = Find(w);
  return e != nullptr ? e->role : WindowRole::TopLevel;
}

void Win32Backend::MoveNative(Entry& e, const Rect& r) {
  ++selfChange_;
  if (e.role == WindowRole::TopLevel && e.showState == ShowState::Minimized) {
    // A minimized window keeps its place for when it is restored.
    WINDOWPLACEMENT place{};
    place.length = sizeof place;
    GetWindowPlacement(e.hwnd, &place);
    place.rcNormalPosition = {r.left, r.top, r.left + r.width, r.top + r.height};
    SetWindowPlacement(e.hwnd, &place);
  } else {
    SetWindowPos(e.hwnd, nullptr, r.left, r.top, r.width, r.height, kQuietMove);
  }
  --selfChange_;
}

void Win32Backend::SetGeometry(WindowHandle w, const Rect& asked) {
  Entry* e = Find(w);
  if (e == nullptr || e->role == WindowRole::Engine) return;
  Rect old = Geometry(w);
  const Rect r = e->role == WindowRole::TopLevel ? FitToArea(asked, ScreenArea()) : asked;
  if (old == r) return;
  if (e->role == WindowRole::TopLevel) e->outer = r;
  MoveNative(*e, r);
  // The native notifications of this change were not passed on: the sink hears of it here, at
  // once, whether the window is shown or not.
  if (r.left != old.left || r.top != old.top) DeliverSimple(w, EventKind::Moved);
  if ((r.width != old.width || r.height != old.height) && IsWindow(w)) DeliverSimple(w, EventKind::Resized);
}

Rect Win32Backend::Geometry(WindowHandle w) const {
  const Entry* e = Find(w);
  if (e == nullptr || e->role == WindowRole::Engine) return {};
  if (e->role == WindowRole::TopLevel) return e->outer;
  RECT r;
  GetWindowRect(e->hwnd, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(e->hwnd), reinterpret_cast<POINT*>(&r), 2);
  return {int(r.left), int(r.top), int(r.right - r.left), int(r.bottom - r.top)};
}

Rect Win32Backend::FrameFromNative(const Entry& e) const {
  RECT r;
  GetWindowRect(e.hwnd, &r);
  return {int(r.left), int(r.top), int(r.right - r.left), int(r.bottom - r.top)};
}

void Win32Backend::ApplyShowState(Entry& e) {
  ++selfChange_;
  switch (e.showState) {
    case ShowState::Minimized: ShowWindow(e.hwnd, SW_SHOWMINIMIZED); break;
    case ShowState::Maximized:
      ShowWindow(e.hwnd, SW_SHOWMAXIMIZED);
      // The engine's frame is the screen area, as on the other backends.
      SetWindowPos(e.hwnd, nullptr, e.outer.left, e.outer.top, e.outer.width, e.outer.height, kQuietMove);
      break;
    default:
      if (IsIconic(e.hwnd) || IsZoomed(e.hwnd)) ShowWindow(e.hwnd, SW_RESTORE);
      ShowWindow(e.hwnd, SW_SHOW);
      break;
  }
  --selfChange_;
}

void Win32Backend::Show(WindowHandle w, bool visible) {
  Entry* e = Find(w);
  if (e == nullptr || e->role == WindowRole::Engine) return;
  e->visible = visible;
  if (e->role != WindowRole::TopLevel) {
    ShowWindow(e->hwnd, visible ? SW_SHOWNA : SW_HIDE);
    return;
  }
  if (!visible) {
    ++selfChange_;
    ShowWindow(e->hwnd, SW_HIDE);
    --selfChange_;
    return;
  }
  ApplyShowState(*e);
}

bool Win32Backend::IsVisible(WindowHandle w) const {
  const Entry* e = Find(w);
  return e != nullptr && e->visible;
}

void Win32Backend::Enable(WindowHandle w, bool enabled) {
  if (Entry* e = Find(w)) EnableWindow(e->hwnd, enabled ? TRUE : FALSE);
}

// The window's own flag: a window inside a disabled one keeps it.
bool Win32Backend::IsEnabled(WindowHandle w) const {
  const Entry* e = Find(w);
  return e != nullptr && (GetWindowLongW(e->hwnd, GWL_STYLE) & WS_DISABLED) == 0;
}

void Win32Backend::SetText(WindowHandle w, std::string_view gbk) {
  Entry* e = Find(w);
  if (e == nullptr) return;
  std::wstring text = WideFromGbk(gbk);
  if (e->role == WindowRole::EditBox) {
    // Setting the text a box already shows, caret at the start and nothing selected or edited,
    // would change nothing but still repaint it.
    DWORD from = 0, to = 0;
    SendMessageW(e->hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    if (from == 0 && to == 0 && !SendMessageW(e->hwnd, EM_GETMODIFY, 0, 0) && Text(w) == gbk) return;
    e->settingText = true;
    SetWindowTextW(e->hwnd, text.c_str());
    if (Entry* again = Find(w)) {
      again->settingText = false;
      SendMessageW(again->hwnd, EM_SETSEL, 0, 0);
    }
    return;
  }
  // A label whose figure changes every second would otherwise repaint with the same text too.
  if (Text(w) == gbk) return;
  SetWindowTextW(e->hwnd, text.c_str());
  // Labels and group boxes draw their caption themselves.
  if (e->role == WindowRole::Label || e->role == WindowRole::GroupBox) InvalidateRect(e->hwnd, nullptr, TRUE);
}

std::string Win32Backend::Text(WindowHandle w) const {
  const Entry* e = Find(w);
  if (e == nullptr) return {};
  int length = GetWindowTextLengthW(e->hwnd);
  std::wstring text(size_t(length) + 1, L'\0');
  int got = GetWindowTextW(e->hwnd, text.data(), length + 1);
  text.resize(size_t(std::max(0, got)));
  return GbkFromWide(text);
}

void Win32Backend::PlaceBelow(WindowHandle w, WindowHandle above) {
  Entry* e = Find(w);
  if (e == nullptr || w == above) return;
  Entry* a = Find(above);
  HWND after = a != nullptr && a->parent == e->parent ? a->hwnd : HWND_TOP;
  SetWindowPos(e->hwnd, after, 0, 0, 0, 0, kKeepPlace);
}

std::vector<WindowHandle> Win32Backend::Children(WindowHandle parent) const {
  std::vector<WindowHandle> out;
  if (parent == kNoWindow) {
    for (auto& [h, e] : windows_)
      if (e.parent == kNoWindow) out.push_back(h);
    return out;
  }
  const Entry* p = Find(parent);
  if (p == nullptr) return out;
  // The system keeps children topmost first.
  for (HWND c = GetWindow(p->hwnd, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    WindowHandle h = HandleOf(c);
    if (h != kNoWindow && ParentOf(h) == parent) out.push_back(h);
  }
  return out;
}

void Win32Backend::SetFocus(WindowHandle w) {
  if (w == kNoWindow) {
    ::SetFocus(nullptr);
    return;
  }
  Entry* e = Find(w);
  if (e == nullptr || !IsWindowEnabled(e->hwnd)) return;
  ::SetFocus(e->hwnd);
}

WindowHandle Win32Backend::Focus() const {
  // A control's own parts (a list view's header) count as the control.
  for (HWND f = GetFocus(); f != nullptr; f = GetParent(f)) {
    if (WindowHandle h = HandleOf(f); h != kNoWindow) return h;
  }
  return kNoWindow;
}

void Win32Backend::SetParent(WindowHandle w, WindowHandle parent) {
  Entry* e = Find(w);
  Entry* p = Find(parent);
  if (e == nullptr || p == nullptr || !IsChildRole(e->role)) return;
  if (parent == w || e->parent == parent) return;
  // A window never goes below one of its own descendants.
  for (WindowHandle a = parent; a != kNoWindow; a = ParentOf(a)) {
    if (a == w) return;
  }
  Rect g = Geometry(w);
  ++selfChange_;
  ::SetParent(e->hwnd, p->hwnd);
  SetWindowPos(e->hwnd, HWND_BOTTOM, g.left, g.top, g.width, g.height, SWP_NOACTIVATE | SWP_NOOWNERZORDER);
  --selfChange_;
  e->parent = parent;
}

FrameMargins Win32Backend::FrameOf(WindowHandle w) const {
  const Entry* e = Find(w);
  if (e == nullptr || e->role != WindowRole::TopLevel) return {};
  RECT r{0, 0, 0, 0};
  AdjustWindowRectEx(&r, DWORD(GetWindowLongW(e->hwnd, GWL_STYLE)), FALSE, DWORD(GetWindowLongW(e->hwnd, GWL_EXSTYLE)));
  return {int(-r.left), int(-r.top), int(r.right), int(r.bottom)};
}

Rect Win32Backend::ScreenArea() const {
  RECT r;
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0) || r.right <= r.left || r.bottom <= r.top)
    return kFallbackScreenArea;
  return {int(r.left), int(r.top), int(r.right - r.left), int(r.bottom - r.top)};
}

void Win32Backend::SetShowState(WindowHandle w, ShowState state) {
  Entry* e = Find(w);
  if (e == nullptr || e->role != WindowRole::TopLevel || e->showState == state) return;
  ShowState old = e->showState;
  e->showState = state;
  if (old == ShowState::Normal) e->normalRect = e->outer;
  if (state == ShowState::Maximized) e->outer = ScreenArea();
  if (e->visible) ApplyShowState(*e);
  if (state == ShowState::Maximized) e->outer = e->normalRect;  // what SetGeometry compares with
  if (state == ShowState::Minimized) {
    DeliverSimple(w, EventKind::Minimized);
    return;
  }
  if (old == ShowState::Minimized) DeliverSimple(w, EventKind::Restored);
  if (!IsWindow(w)) return;
  if (state == ShowState::Maximized) {
    SetGeometry(w, ScreenArea());
  } else if (old == ShowState::Maximized) {
    SetGeometry(w, Find(w)->normalRect);
  }
}

ShowState Win32Backend::ShowStateOf(WindowHandle w) const {
  const Entry* e = Find(w);
  return e != nullptr ? e->showState : ShowState::Normal;
}

// A show state the user changed (the minimize, maximize or restore buttons, the taskbar).
void Win32Backend::NoteUserShowState(WindowHandle w, WPARAM sizeKind) {
  Entry* e = Find(w);
  if (e == nullptr) return;
  ShowState now = sizeKind == SIZE_MINIMIZED   ? ShowState::Minimized
                  : sizeKind == SIZE_MAXIMIZED ? ShowState::Maximized
                                               : ShowState::Normal;
  if (sizeKind != SIZE_MINIMIZED && sizeKind != SIZE_MAXIMIZED && sizeKind != SIZE_RESTORED) return;
  // A window brought back from the notification area by the system is in sight again.
  if (now != ShowState::Minimized && IsWindowVisible(e->hwnd)) e->visible = true;
  if (now == e->showState) return;
  ShowState old = e->showState;
  e->showState = now;
  if (old == ShowState::Normal) e->normalRect = e->outer;
  if (now == ShowState::Minimized) {
    DeliverSimple(w, EventKind::Minimized);
    return;
  }
  if (old == ShowState::Minimized) DeliverSimple(w, EventKind::Restored);
}

// A frame the user moved or resized; a minimized window keeps the frame it had.
void Win32Backend::NoteUserFrameChange(WindowHandle w) {
  Entry* e = Find(w);
  if (e == nullptr || IsIconic(e->hwnd) || !IsWindowVisible(e->hwnd)) return;
  Rect now = FrameFromNative(*e);
  Rect old = e->outer;
  if (now == old) return;
  e->outer = now;
  if (now.left != old.left || now.top != old.top) DeliverSimple(w, EventKind::Moved);
  if ((now.width != old.width || now.height != old.height) && IsWindow(w)) DeliverSimple(w, EventKind::Resized);
}

void Win32Backend::SetStyle(WindowHandle w, uint32_t style) {
  Entry* e = Find(w);
  if (e == nullptr) return;
  e->style = style;
  LONG native = GetWindowLongW(e->hwnd, GWL_STYLE);
  LONG tab = (style & kStyleTabStop) ? WS_TABSTOP : 0;
  if ((native & WS_TABSTOP) != tab) SetWindowLongW(e->hwnd, GWL_STYLE, (native & ~WS_TABSTOP) | tab);
  // An edit box cannot change between one line and many; the unit makes a new one for that.
  if (e->role == WindowRole::EditBox) ApplyEditStyle(*e);
}

uint32_t Win32Backend::StyleOf(WindowHandle w) const {
  const Entry* e = Find(w);
  return e != nullptr ? e->style : 0;
}

void Win32Backend::ApplyTopLevelStyle(Entry& e) {
  LONG old = GetWindowLongW(e.hwnd, GWL_STYLE);
  constexpr LONG kFrameBits = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME;
  LONG style = (old & ~kFrameBits) | LONG(TopLevelStyle(e) & kFrameBits);
  if (style == old) return;
  SetWindowLongW(e.hwnd, GWL_STYLE, style);
  ++selfChange_;
  // The frame rectangle stays; the client area inside it follows the new frame.
  SetWindowPos(e.hwnd, nullptr, 0, 0, 0, 0, kKeepPlace | SWP_NOZORDER | SWP_FRAMECHANGED);
  --selfChange_;
}

void Win32Backend::SetAppearance(WindowHandle w, const Appearance& appearance) {
  Entry* e = Find(w);
  if (e == nullptr) return;
  // The same look again changes nothing, but would still re-create brushes and repaint.
  if (e->appearanceSet && e->appearance == appearance) return;
  e->appearance = appearance;
  e->appearanceSet = true;
  ApplyBackground(*e);
  if (IsChildRole(e->role))
    SendMessageW(e->hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontFromRecord(appearance.font)), FALSE);
  switch (e->role) {
    case WindowRole::TopLevel: ApplyTopLevelStyle(*e); break;
    case WindowRole::Button:
      if ((e->style & kStyleOwnerDrawn) == 0) {
        LONG style = GetWindowLongW(e->hwnd, GWL_STYLE) & ~LONG(BS_CENTER | BS_VCENTER);
        style |= appearance.hAlign == 0 ? BS_LEFT : appearance.hAlign == 2 ? BS_RIGHT : BS_CENTER;
        style |= appearance.vAlign == 0 ? BS_TOP : appearance.vAlign == 2 ? BS_BOTTOM : BS_VCENTER;
        SetWindowLongW(e->hwnd, GWL_STYLE, style);
      }
      break;
    case WindowRole::EditBox: ApplyEditStyle(*e); break;
    case WindowRole::ListView: {
      // The list's own colours and font come with its setup; its frame is the border kind's.
      LONG ex = GetWindowLongW(e->hwnd, GWL_EXSTYLE) & ~LONG(WS_EX_CLIENTEDGE | WS_EX_STATICEDGE);
      LONG style = GetWindowLongW(e->hwnd, GWL_STYLE) & ~LONG(WS_BORDER);
      if (appearance.border == 1 || appearance.border == 4) ex |= WS_EX_CLIENTEDGE;
      if (appearance.border == 2 || appearance.border == 3) ex |= WS_EX_STATICEDGE;
      if (appearance.border == 5) style |= WS_BORDER;
      SetWindowLongW(e->hwnd, GWL_EXSTYLE, ex);
      SetWindowLongW(e->hwnd, GWL_STYLE, style);
      SetWindowPos(e->hwnd, nullptr, 0, 0, 0, 0, kKeepPlace | SWP_NOZORDER | SWP_FRAMECHANGED);
      break;
    }
    default: break;
  }
  InvalidateRect(e->hwnd, nullptr, TRUE);
}

Appearance Win32Backend::AppearanceOf(WindowHandle w) const {
  const Entry* e = Find(w);
  return e != nullptr ? e->appearance : Appearance{};
}

void Win32Backend::SetPointer(WindowHandle w, PointerShape shape) {
  if (Entry* e = Find(w)) e->pointer = shape;
}

PointerShape Win32Backend::PointerOf(WindowHandle w) const {
  const Entry* e = Find(w);
  return e != nullptr ? e->pointer : PointerShape::Default;
}

}  // namespace vorenn::platform::win32

// Window messages as window events: mouse, wheel, keys and characters, focus, frame changes, close
// requests, timers, and the notifications controls send their containers (clicks, edits, scroll-bar
// actions, colours, owner drawing). A sink's answer can keep an input message from its window or,
// for a character, replace it.
#include "platform/win32/win32_backend_class.h"

#include <commctrl.h>
#include <windowsx.h>


namespace vorenn::platform::win32 {
namespace {

constexpr int kWheelNotch = WHEEL_DELTA;
constexpr int kDeleteChar = 0x7F;

int KeyStateNow() {
  return (GetKeyState(VK_CONTROL) < 0 ? kKeyCtrl : 0) | (GetKeyState(VK_SHIFT) < 0 ? kKeyShift : 0) |
         (GetKeyState(VK_MENU) < 0 ? kKeyAlt : 0);
}

int KeyStateOfMouse(WPARAM wParam) {
  return ((wParam & MK_CONTROL) ? kKeyCtrl : 0) | ((wParam & MK_SHIFT) ? kKeyShift : 0) |
         (GetKeyState(VK_MENU) < 0 ? kKeyAlt : 0);
}

// The GBK code of one UTF-16 character (a byte, or lead byte << 8 | trail byte); -1 when GBK has
// no such character.
int GbkCodeOf(wchar_t c) {
  std::string gbk = GbkFromWide(std::wstring_view(&c, 1));
  if (gbk.size() == 1) return (gbk[0] == '?' && c != L'?') ? -1 : uint8_t(gbk[0]);
  if (gbk.size() == 2 && uint8_t(gbk[0]) >= 0x81) return (uint8_t(gbk[0]) << 8) | uint8_t(gbk[1]);
  return -1;
}

// The UTF-16 character of a GBK code; 0 when there is none.
wchar_t WideOfGbkCode(int code) {
  if (code <= 0 || code > 0xFFFF) return 0;
  std::string gbk;
  if (code >= 0x100) gbk.push_back(char(code >> 8));
  gbk.push_back(char(code & 0xFF));
  std::wstring wide = WideFromGbk(gbk);
  return wide.size() == 1 ? wide[0] : 0;
}

bool IsMouseMessage(UINT m) { return m >= WM_MOUSEFIRST && m <= WM_MBUTTONDBLCLK && m != WM_MOUSEWHEEL; }

// The system cursor's number (the IDC_ values).
WORD CursorIdOf(PointerShape shape) {
  switch (shape) {
    case PointerShape::Cross: return 32515;  // IDC_CROSS
    case PointerShape::IBeam: return 32513;  // IDC_IBEAM
    case PointerShape::SizeAll: return 32646;  // IDC_SIZEALL
    case PointerShape::SizeNESW: return 32643;  // IDC_SIZENESW
    case PointerShape::SizeNS: return 32645;  // IDC_SIZENS
    case PointerShape::SizeNWSE: return 32642;  // IDC_SIZENWSE
    case PointerShape::SizeWE: return 32644;  // IDC_SIZEWE
    case PointerShape::UpArrow: return 32516;  // IDC_UPARROW
    case PointerShape::Wait: return 32514;  // IDC_WAIT
    case PointerShape::No: return 32648;  // IDC_NO
    case PointerShape::AppStarting: return 32650;  // IDC_APPSTARTING
    case PointerShape::Help: return 32651;  // IDC_HELP
    case PointerShape::Hand: return 32649;  // IDC_HAND
    default: return 32512;  // IDC_ARROW
  }
}

}  // namespace

// Each window knows the backend that made it: the backend's own classes in their user data, the
// subclassed controls in their subclass data. Messages before that (creation) get the defaults.
LRESULT CALLBACK Win32Backend::ClassProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* b = reinterpret_cast<Win32Backend*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  Entry* e = b != nullptr ? b->FindHwnd(hwnd) : nullptr;
  if (e == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  bool handled = false;
  WindowHandle w = b->HandleOf(hwnd);
  LRESULT result = b->Handle(*e, hwnd, message, wParam, lParam, &handled);
  if (handled) return result;
  // A window its sink destroyed gets no default handling of the message that destroyed it.
  if (b->Find(w) == nullptr && message != WM_NCDESTROY) return 0;
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK Win32Backend::ControlProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                DWORD_PTR data) {
  auto* b = reinterpret_cast<Win32Backend*>(data);
  Entry* e = b != nullptr ? b->FindHwnd(hwnd) : nullptr;
  if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, ControlProcedure, 1);
  if (e == nullptr) return DefSubclassProc(hwnd, message, wParam, lParam);
  bool handled = false;
  WindowHandle w = b->HandleOf(hwnd);
  LRESULT result = b->Handle(*e, hwnd, message, wParam, lParam, &handled);
  if (handled) return result;
  if (b->Find(w) == nullptr && message != WM_NCDESTROY) return 0;
  // A character the sink replaced goes on as the replacement.
  return DefSubclassProc(hwnd, message, message == WM_CHAR ? WPARAM(result) : wParam, lParam);
}

LRESULT Win32Backend::Handle(Entry& e, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool* handled) {
  WindowHandle w = HandleOf(hwnd);
  *handled = true;
  LRESULT result = 0;
  if (HandleNotification(message, wParam, lParam, &result)) return result;
  switch (message) {
    case WM_SETFOCUS: DeliverSimple(w, EventKind::FocusIn); break;
    case WM_KILLFOCUS: DeliverSimple(w, EventKind::FocusOut); break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
    case WM_CHAR: {
      WPARAM replacement = wParam;
      if (KeyMessage(w, message, wParam, lParam, &replacement)) return 0;
      *handled = false;
      return LRESULT(replacement);
    }
    case WM_MOUSEWHEEL:
      if (WheelMessage(w, hwnd, wParam, lParam, &result)) return result;
      break;
    case WM_MOUSELEAVE: NoteHot(e, false); break;
    case WM_TIMER: {
      WindowEvent t;
      t.kind = EventKind::Timer;
      t.window = w;
      t.timerId = int(wParam);
      Deliver(t);
      return 0;
    }
    case WM_CLOSE:
      if (e.role == WindowRole::TopLevel) {
        // The window stays unless the sink lets the request through; then it is destroyed here.
        WindowEvent c;
        c.kind = EventKind::CloseRequested;
        c.window = w;
        if (!Deliver(c).swallow) DestroyNativeWindow(w);
        return 0;
      }
      break;
    case WM_ACTIVATE:
      if (e.role != WindowRole::TopLevel) break;
      // A program window gives the focus back to the unit that had it, as a dialog does (the
      // system alone would focus the window itself, after a message box for one).
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        e.lastFocus = focus != nullptr && IsChild(hwnd, focus) ? focus : nullptr;
      } else if (e.lastFocus != nullptr && IsChild(hwnd, e.lastFocus) && !IsIconic(hwnd)) {
        ::SetFocus(e.lastFocus);
        return 0;
      }
      break;
    case WM_WINDOWPOSCHANGED:
      if (e.role == WindowRole::TopLevel && selfChange_ == 0) NoteUserFrameChange(w);
      break;
    case WM_SIZE:
      if (e.role == WindowRole::TopLevel && selfChange_ == 0) NoteUserShowState(w, wParam);
      break;
    case kTrayMessage: TrayMessage(w, lParam); return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT) {
        // The pointer of the window under the mouse, or of the nearest container that has one.
        for (WindowHandle at = HandleOf(reinterpret_cast<HWND>(wParam)); at != kNoWindow; at = ParentOf(at)) {
          const Entry* o = Find(at);
          if (o != nullptr && o->pointer != PointerShape::Default) {
            SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(CursorIdOf(o->pointer))));
            return TRUE;
          }
        }
      }
      break;
    case WM_ERASEBKGND:
      if (e.role == WindowRole::TopLevel || e.role == WindowRole::Panel) {
        RECT r;
        GetClientRect(hwnd, &r);
        FillRect(reinterpret_cast<HDC>(wParam), &r, ContainerBrush(w));
        return 1;
      }
      // Labels and group boxes paint all of themselves.
      if (e.role == WindowRole::Label || e.role == WindowRole::GroupBox) return 1;
      break;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      if (e.role == WindowRole::Label || e.role == WindowRole::Panel || e.role == WindowRole::GroupBox) {
        PAINTSTRUCT ps;
        HDC dc = message == WM_PAINT ? BeginPaint(hwnd, &ps) : reinterpret_cast<HDC>(wParam);
        if (e.role == WindowRole::Label) PaintLabel(e, dc);
        else if (e.role == WindowRole::Panel) PaintPanel(e, dc);
        else PaintGroupBox(e, dc);
        if (message == WM_PAINT) EndPaint(hwnd, &ps);
        return 0;
      }
      break;
    case WM_ENABLE:
      if (e.role == WindowRole::Label || e.role == WindowRole::GroupBox) InvalidateRect(hwnd, nullptr, TRUE);
      break;
    case WM_NCHITTEST:
      // A group box takes the mouse like any unit (the system's passes it to its container).
      if (e.role == WindowRole::GroupBox) return HTCLIENT;
      break;
    case WM_NCDESTROY:
      // Destroyed by the system (with its owner) rather than through the backend.
      DestroyTree(w);
      break;
    default:
      if (IsMouseMessage(message)) {
        if (message == WM_MOUSEMOVE) NoteHot(e, true);
        // A press focuses the controls that take the focus before the unit hears of it, as on the
        // other backends (the control itself would focus itself afterwards).
        bool press = message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN ||
                     message == WM_LBUTTONDBLCLK;
        bool takesFocus = e.role == WindowRole::Button || e.role == WindowRole::EditBox || e.role == WindowRole::ListView;
        if (press && takesFocus && GetFocus() != hwnd) ::SetFocus(hwnd);
        if (!IsWindow(w)) return 0;
        if (MouseMessage(w, message, wParam, lParam)) return 0;
      }
      break;
  }
  *handled = false;
  return 0;
}

bool Win32Backend::MouseMessage(WindowHandle w, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowEvent e;
  e.window = w;
  e.x = GET_X_LPARAM(lParam);
  e.y = GET_Y_LPARAM(lParam);
  e.keyState = KeyStateOfMouse(wParam);
  switch (message) {
    case WM_LBUTTONDOWN: e.kind = EventKind::MouseDown; e.button = MouseButton::Left; break;
    case WM_RBUTTONDOWN: e.kind = EventKind::MouseDown; e.button = MouseButton::Right; break;
    case WM_MBUTTONDOWN: e.kind = EventKind::MouseDown; e.button = MouseButton::Middle; break;
    case WM_LBUTTONUP: e.kind = EventKind::MouseUp; e.button = MouseButton::Left; break;
    case WM_RBUTTONUP: e.kind = EventKind::MouseUp; e.button = MouseButton::Right; break;
    case WM_MBUTTONUP: e.kind = EventKind::MouseUp; e.button = MouseButton::Middle; break;
    case WM_LBUTTONDBLCLK: e.kind = EventKind::DoubleClick; e.button = MouseButton::Left; break;
    case WM_RBUTTONDBLCLK: e.kind = EventKind::DoubleClick; e.button = MouseButton::Right; break;
    case WM_MBUTTONDBLCLK: e.kind = EventKind::DoubleClick; e.button = MouseButton::Middle; break;
    case WM_MOUSEMOVE: e.kind = EventKind::MouseMove; break;
    default: return false;
  }
  sawInput_ = true;
  return Deliver(e).swallow;
}

// The wheel turns for the window that has the keyboard focus, wherever the pointer is; what the
// sink lets through gets that window's own handling (an edit box scrolls). A scroll bar moves only
// by its arrows, track and thumb: the wheel is the unit's to handle.
bool Win32Backend::WheelMessage(WindowHandle w, HWND hwnd, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  *result = 0;
  // Passed up from the focused window's own handling: already delivered.
  if (wheelRouting_) return true;
  WindowHandle target = Focus();
  if (target == kNoWindow) target = w;
  Entry* t = Find(target);
  if (t == nullptr || !IsWindowEnabled(t->hwnd)) return true;
  POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ScreenToClient(t->hwnd, &at);
  WindowEvent e;
  e.kind = EventKind::Wheel;
  e.window = target;
  e.wheelNotches = GET_WHEEL_DELTA_WPARAM(wParam) / kWheelNotch;
  e.x = at.x;
  e.y = at.y;
  e.keyState = KeyStateOfMouse(GET_KEYSTATE_WPARAM(wParam));
  sawInput_ = true;
  WindowRole role = t->role;
  HWND targetHwnd = t->hwnd;
  if (Deliver(e).swallow || !IsWindow(target) || role == WindowRole::VScrollBar) return true;
  if (targetHwnd == hwnd) return false;
  wheelRouting_ = true;
  *result = SendMessageW(targetHwnd, WM_MOUSEWHEEL, wParam, lParam);
  wheelRouting_ = false;
  return true;
}

// Keys reach the focused window only, as the system sends them. KeyDown and KeyUp carry the
// virtual key; the character the key typed follows as Char (GBK code), which the sink may drop or
// replace.
bool Win32Backend::KeyMessage(WindowHandle w, UINT message, WPARAM wParam, LPARAM, WPARAM* replacement) {
  WindowEvent e;
  e.window = w;
  sawInput_ = true;
  if (message != WM_CHAR) {
    e.kind = (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) ? EventKind::KeyDown : EventKind::KeyUp;
    e.key = int(wParam);
    e.keyState = KeyStateNow();
    if (!Deliver(e).swallow) return false;
    // The character a swallowed key typed goes with it.
    if (e.kind == EventKind::KeyDown) {
      MSG typed;
      PeekMessageW(&typed, nullptr, WM_CHAR, WM_CHAR, PM_REMOVE | PM_NOYIELD);
    }
    return true;
  }
  wchar_t c = wchar_t(wParam);
  int code = GbkCodeOf(c);
  if (code < 0 || code == kDeleteChar || (c >= 0xD800 && c <= 0xDFFF)) return false;
  e.kind = EventKind::Char;
  e.key = code;
  EventAnswer a = Deliver(e);
  if (a.swallow) return true;
  if (a.replacementChar < 0 || a.replacementChar == code || !IsWindow(w)) return false;
  wchar_t other = WideOfGbkCode(a.replacementChar);
  if (other == 0) return true;
  *replacement = WPARAM(other);
  return false;
}

void Win32Backend::ButtonClicked(WindowHandle w) {
  Entry* e = Find(w);
  if (e == nullptr) return;
  // A toggle button flips before the unit hears of the click.
  if (e->style & kStyleToggle) {
    e->checked = !e->checked;
    InvalidateRect(e->hwnd, nullptr, FALSE);
  }
  DeliverSimple(w, EventKind::Clicked);
}

void Win32Backend::NoteHot(Entry& e, bool hot) {
  if (e.role != WindowRole::Button || (e.style & kStyleOwnerDrawn) == 0 || e.hot == hot) return;
  e.hot = hot;
  if (hot) {
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, e.hwnd, 0};
    TrackMouseEvent(&track);
  }
  InvalidateRect(e.hwnd, nullptr, FALSE);
}

// Notifications from controls to their container, wherever the container is one of the backend's
// windows: they are told apart by the control's window, not its id.
bool Win32Backend::HandleNotification(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  switch (message) {
    case WM_COMMAND: {
      WindowHandle from = HandleOf(reinterpret_cast<HWND>(lParam));
      const Entry* c = Find(from);
      if (c == nullptr) return false;
      WORD code = HIWORD(wParam);
      if (c->role == WindowRole::Button && code == BN_CLICKED) ButtonClicked(from);
      if (c->role == WindowRole::EditBox && code == EN_CHANGE && !c->settingText) DeliverSimple(from, EventKind::TextChanged);
      *result = 0;
      return true;
    }
    case WM_VSCROLL: {
      WindowHandle from = HandleOf(reinterpret_cast<HWND>(lParam));
      if (from == kNoWindow) return false;
      ScrollMessage(from, wParam);
      *result = 0;
      return true;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORLISTBOX: {
      HBRUSH brush = ColourMessage(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam));
      if (brush == nullptr) return false;
      *result = reinterpret_cast<LRESULT>(brush);
      return true;
    }
    case WM_NOTIFY: return HandleListNotify(reinterpret_cast<NMHDR*>(lParam), result);
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      Entry* c = FindHwnd(item->hwndItem);
      if (c == nullptr || c->role != WindowRole::Button) return false;
      ButtonPainter painter = c->painter;  // the painter may be replaced while it draws
      PaintOwnerDrawnButton(*item, painter, c->hot, c->checked);
      *result = TRUE;
      return true;
    }
    default: return false;
  }
}

}  // namespace vorenn::platform::win32

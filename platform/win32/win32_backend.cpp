// The Win32 backend's object: the window classes it registers, the hidden window its queued events
// wake, delivery through the pre-translation hook and the sinks, destruction, and installing it.
#include "platform/win32/win32_backend.h"

#include "platform/win32/win32_backend_class.h"

#include <commctrl.h>

#include <vector>


namespace vorenn::platform::win32 {
namespace {

constexpr wchar_t kQueueClass[] = L"VorennQueue";
constexpr int kProgramIconId = 1;

}  // namespace

const wchar_t kTopLevelClass[] = L"VorennWindow";
const wchar_t kPanelClass[] = L"VorennPanel";

HICON ProgramIcon(HINSTANCE instance, int size) {
  auto icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kProgramIconId), IMAGE_ICON, size, size, 0));
  if (icon == nullptr) icon = static_cast<HICON>(LoadImageW(nullptr, MAKEINTRESOURCEW(32512), IMAGE_ICON, size, size, LR_SHARED));
  return icon;
}

Win32Backend::Win32Backend() {
  instance_ = GetModuleHandleW(nullptr);
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  WNDCLASSEXW top{};
  top.cbSize = sizeof top;
  top.style = CS_DBLCLKS;
  top.lpfnWndProc = ClassProcedure;
  top.hInstance = instance_;
  top.hIcon = ProgramIcon(instance_, GetSystemMetrics(SM_CXICON));
  top.hIconSm = ProgramIcon(instance_, GetSystemMetrics(SM_CXSMICON));
  top.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
  top.lpszClassName = kTopLevelClass;
  RegisterClassExW(&top);

  WNDCLASSEXW panel = top;
  panel.hIcon = panel.hIconSm = nullptr;
  panel.lpszClassName = kPanelClass;
  RegisterClassExW(&panel);

  WNDCLASSEXW queue{};
  queue.cbSize = sizeof queue;
  queue.lpfnWndProc = QueueProcedure;
  queue.hInstance = instance_;
  queue.lpszClassName = kQueueClass;
  RegisterClassExW(&queue);
  queueWindow_ = CreateWindowExW(0, kQueueClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance_, nullptr);
  SetWindowLongPtrW(queueWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

  // Auto-reset: one Wake ends one wait, now or the next one to begin.
  wakeEvent_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
}

Win32Backend::~Win32Backend() {
  auto all = windows_;
  for (auto& [h, e] : all)
    if (e.parent == kNoWindow) DestroyNativeWindow(h);
  if (queueWindow_ != nullptr) DestroyWindow(queueWindow_);
  if (wakeEvent_ != nullptr) CloseHandle(wakeEvent_);
}

Win32Backend::Entry* Win32Backend::Find(WindowHandle w) {
  auto it = windows_.find(w);
  return it == windows_.end() ? nullptr : &it->second;
}

const Win32Backend::Entry* Win32Backend::Find(WindowHandle w) const {
  auto it = windows_.find(w);
  return it == windows_.end() ? nullptr : &it->second;
}

Win32Backend::Entry* Win32Backend::FindHwnd(HWND hwnd) { return Find(HandleOf(hwnd)); }

HWND Win32Backend::HwndOf(WindowHandle w) const {
  const Entry* e = Find(w);
  return e != nullptr ? e->hwnd : nullptr;
}

WindowHandle Win32Backend::HandleOf(HWND hwnd) const {
  auto it = handles_.find(hwnd);
  return it == handles_.end() ? kNoWindow : it->second;
}

void Win32Backend::SetEventSink(WindowHandle w, EventSink sink) {
  if (Entry* e = Find(w)) e->sink = std::move(sink);
}

EventAnswer Win32Backend::Deliver(const WindowEvent& event) {
  return DeliverEvent(event, preTranslate_, [&]() -> const EventSink* {
    const Entry* e = Find(event.window);
    return e != nullptr ? &e->sink : nullptr;
  });
}

void Win32Backend::DeliverSimple(WindowHandle w, EventKind kind) {
  WindowEvent e;
  e.kind = kind;
  e.window = w;
  Deliver(e);
}

void Win32Backend::DestroyTree(WindowHandle w) {
  std::vector<WindowHandle> children;
  for (const auto& [h, e] : windows_)
    if (e.parent == w) children.push_back(h);
  for (WindowHandle h : children) DestroyTree(h);
  DeliverSimple(w, EventKind::Destroyed);
  Entry* e = Find(w);
  if (e == nullptr) return;
  DeleteTrayIcon(*e);
  ForgetToolTip(e->hwnd);
  if (e->background != nullptr) DeleteObject(e->background);
  handles_.erase(e->hwnd);
  windows_.erase(w);
}

void Win32Backend::DestroyNativeWindow(WindowHandle w) {
  Entry* e = Find(w);
  if (e == nullptr) return;
  HWND hwnd = e->hwnd;
  DestroyTree(w);
  // The native window goes last, with its children: their events were delivered above, and no
  // message of its destruction reaches a sink any more.
  if (::IsWindow(hwnd)) DestroyWindow(hwnd);
}

Win32Backend* TheWin32Backend() {
  return HasBackend() ? dynamic_cast<Win32Backend*>(&Native()) : nullptr;
}

}  // namespace vorenn::platform::win32

namespace vorenn::platform {

void InstallWin32Backend() { InstallBackend(std::make_unique<win32::Win32Backend>()); }

}  // namespace vorenn::platform

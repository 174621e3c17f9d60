// Tool tips on Win32: one tip control per top-level window, created when the first of its
// controls gets a tip; each control is a tool of it that the tip control watches itself
// (TTF_SUBCLASS), so the backend forwards no mouse messages. The tip's text is kept as given, so
// reading it back gives the same bytes.
#include "platform/win32/internal/win32_parts.h"

#include <commctrl.h>  // after <windows.h>, which the parts' header brings

#include <map>

namespace vorenn::platform::win32 {
namespace {

struct Tool {
  HWND tip = nullptr;
  HWND parent = nullptr;  // the tool is known to its tip control by this window and the control
  std::string text;       // GBK
};

// Tip controls and tools belong to the user-interface thread, like the windows they serve.
std::map<HWND, HWND>& TipOfRoot() {
  static std::map<HWND, HWND> tips;
  return tips;
}

std::map<HWND, Tool>& Tools() {
  static std::map<HWND, Tool> tools;
  return tools;
}

HWND TipFor(HWND root) {
  HWND& tip = TipOfRoot()[root];
  // A tip control dies with the window that owns it; a new window may get the old handle.
  if (tip != nullptr && IsWindow(tip) && GetWindow(tip, GW_OWNER) == root) return tip;
  tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, root, nullptr,
                        GetModuleHandleW(nullptr), nullptr);
  // Long tips wrap instead of running off the screen; "\r\n" breaks lines.
  if (tip != nullptr) SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, 400);
  return tip;
}

// The size every version of the common controls accepts (the newest one's is refused by the
// older version a program without a manifest gets).
TTTOOLINFOW ToolInfo(HWND parent, HWND control, wchar_t* text) {
  TTTOOLINFOW info{};
  info.cbSize = TTTOOLINFOW_V2_SIZE;
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = parent;
  info.uId = reinterpret_cast<UINT_PTR>(control);
  info.lpszText = text;
  return info;
}

void RemoveTool(HWND control, const Tool& tool) {
  if (tool.tip == nullptr || !IsWindow(tool.tip)) return;
  TTTOOLINFOW info = ToolInfo(tool.parent, control, nullptr);
  SendMessageW(tool.tip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

}  // namespace

void SetToolTip(HWND control, std::string_view gbk) {
  if (gbk.empty()) {
    ForgetToolTip(control);
    return;
  }
  if (control == nullptr || !IsWindow(control)) return;
  HWND tip = TipFor(GetAncestor(control, GA_ROOT));
  if (tip == nullptr) return;
  HWND parent = GetParent(control) != nullptr ? GetParent(control) : control;
  std::wstring text = WideFromGbk(gbk);
  TTTOOLINFOW info = ToolInfo(parent, control, text.data());
  auto found = Tools().find(control);
  if (found != Tools().end() && found->second.tip == tip && found->second.parent == parent) {
    SendMessageW(tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
  } else {
    // A control moved under another window is a new tool.
    if (found != Tools().end()) RemoveTool(control, found->second);
    if (!SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info))) {
      if (found != Tools().end()) Tools().erase(found);
      return;
    }
    SendMessageW(tip, TTM_ACTIVATE, TRUE, 0);
  }
  Tools()[control] = Tool{tip, parent, std::string(gbk)};
}

std::string ToolTip(HWND control) {
  auto found = Tools().find(control);
  return found != Tools().end() && IsWindow(control) ? found->second.text : std::string();
}

void ForgetToolTip(HWND control) {
  auto found = Tools().find(control);
  if (found == Tools().end()) return;
  RemoveTool(control, found->second);
  Tools().erase(found);
}

}  // namespace vorenn::platform::win32

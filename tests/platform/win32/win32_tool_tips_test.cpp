// Tool tips: one tip control per top-level window, a tool per control, texts read back as given.
#include <gtest/gtest.h>

#include "platform/win32/internal/win32_parts.h"

#include <commctrl.h>

namespace vorenn::platform::win32 {
namespace {

HWND TipWindowOf(HWND top) {
  struct Search {
    HWND owner, found;
  } search{top, nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        wchar_t name[64] = L"";
        GetClassNameW(w, name, 64);
        if (lstrcmpiW(name, TOOLTIPS_CLASSW) == 0 && GetWindow(w, GW_OWNER) == s->owner) {
          s->found = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::wstring TipText(HWND tip, HWND control) {
  wchar_t text[128] = L"";
  TTTOOLINFOW info{};
  info.cbSize = TTTOOLINFOW_V2_SIZE;
  info.hwnd = GetParent(control);
  info.uId = reinterpret_cast<UINT_PTR>(control);
  info.lpszText = text;
  SendMessageW(tip, TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&info));
  return text;
}

TEST(Win32ToolTipsTest, ControlsGetRemoveAndReadTheirTips) {
  INITCOMMONCONTROLSEX init{sizeof(init), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&init);
  HWND top = CreateWindowExW(0, L"STATIC", L"top", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  HWND first = CreateWindowExW(0, L"BUTTON", L"1", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, top, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  HWND second = CreateWindowExW(0, L"BUTTON", L"2", WS_CHILD | WS_VISIBLE, 60, 0, 50, 20, top, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(ToolTip(first), "");
  SetToolTip(first, "升级");
  EXPECT_EQ(ToolTip(first), "升级");
  HWND tip = TipWindowOf(top);
  ASSERT_NE(tip, nullptr);
  EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
  EXPECT_EQ(TipText(tip, first), L"升级");

  SetToolTip(first, "再升一级");
  SetToolTip(second, "第二");
  EXPECT_EQ(TipWindowOf(top), tip);  // one tip control for the window
  EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 2);
  EXPECT_EQ(TipText(tip, first), L"再升一级");
  EXPECT_EQ(ToolTip(second), "第二");

  SetToolTip(first, "");  // an empty text removes the tip
  EXPECT_EQ(ToolTip(first), "");
  EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
  ForgetToolTip(second);
  EXPECT_EQ(ToolTip(second), "");
  EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 0);
  ForgetToolTip(second);  // twice is harmless

  // After the window and its tip control are gone, a new window gets a new tip control.
  DestroyWindow(top);
  HWND again = CreateWindowExW(0, L"STATIC", L"again", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  HWND button = CreateWindowExW(0, L"BUTTON", L"b", WS_CHILD, 0, 0, 50, 20, again, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  SetToolTip(button, "新");
  HWND newTip = TipWindowOf(again);
  ASSERT_NE(newTip, nullptr);
  EXPECT_EQ(SendMessageW(newTip, TTM_GETTOOLCOUNT, 0, 0), 1);
  DestroyWindow(again);
}

}  // namespace
}  // namespace vorenn::platform::win32

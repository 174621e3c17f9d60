// What the list view and the image button need of their native windows: the report-view list
// control, owner-drawn buttons with a checked state the backend keeps, tool tips, pictures of
// files and of windows. The controls' own work is in the parts of win32_parts.h.
#include "platform/win32/win32_backend_class.h"

namespace vorenn::platform::win32 {

namespace {
template <class EntryT>
HWND ListOf(EntryT* e) {
  return e != nullptr && e->role == WindowRole::ListView ? e->hwnd : nullptr;
}
}  // namespace

bool Win32Backend::SaveWindowPicture(WindowHandle w, const std::string& path) {
  Entry* e = Find(w);
  if (e == nullptr || e->role == WindowRole::Engine) return false;
  // What is waiting to be painted is painted first: the picture shows the window as it stands.
  RedrawWindow(e->hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  return win32::SaveWindowPicture(e->hwnd, path);
}

void Win32Backend::SetListSetup(WindowHandle w, const ListSetup& setup) {
  if (HWND list = ListOf(Find(w))) ApplyListSetup(list, setup);
}

int Win32Backend::InsertListColumn(WindowHandle w, int index, const ListColumn& column) {
  HWND list = ListOf(Find(w));
  return list != nullptr && index >= 0 ? win32::InsertListColumn(list, index, column) : -1;
}

int Win32Backend::ListColumnCount(WindowHandle w) const {
  HWND list = ListOf(Find(w));
  return list != nullptr ? win32::ListColumnCount(list) : 0;
}

int Win32Backend::InsertListItem(WindowHandle w, int index, const ListItem& item) {
  HWND list = ListOf(Find(w));
  return list != nullptr && index >= 0 ? win32::InsertListItem(list, index, item) : -1;
}

bool Win32Backend::SetListItemText(WindowHandle w, int row, int column, std::string_view gbk) {
  HWND list = ListOf(Find(w));
  return list != nullptr && win32::SetListItemText(list, row, column, gbk);
}

std::string Win32Backend::ListItemText(WindowHandle w, int row, int column) const {
  HWND list = ListOf(Find(w));
  return list != nullptr ? win32::ListItemText(list, row, column) : std::string();
}

int Win32Backend::ListItemCount(WindowHandle w) const {
  HWND list = ListOf(Find(w));
  return list != nullptr ? win32::ListItemCount(list) : 0;
}

void Win32Backend::DeleteListItems(WindowHandle w) {
  if (HWND list = ListOf(Find(w))) win32::DeleteListItems(list);
}

void Win32Backend::SetListSelection(WindowHandle w, int row) {
  if (HWND list = ListOf(Find(w))) win32::SetListSelection(list, row);
}

int Win32Backend::ListSelection(WindowHandle w) const {
  HWND list = ListOf(Find(w));
  return list != nullptr ? win32::ListSelection(list) : -1;
}

void Win32Backend::SetButtonPainter(WindowHandle w, ButtonPainter painter) {
  Entry* e = Find(w);
  if (e == nullptr || e->role != WindowRole::Button || (e->style & kStyleOwnerDrawn) == 0) return;
  e->painter = std::move(painter);
  InvalidateRect(e->hwnd, nullptr, FALSE);
}

void Win32Backend::Repaint(WindowHandle w) {
  if (Entry* e = Find(w)) InvalidateRect(e->hwnd, nullptr, TRUE);
}

void Win32Backend::SetChecked(WindowHandle w, bool checked) {
  Entry* e = Find(w);
  if (e == nullptr || e->role != WindowRole::Button || (e->style & kStyleOwnerDrawn) == 0 || e->checked == checked)
    return;
  e->checked = checked;
  InvalidateRect(e->hwnd, nullptr, FALSE);
}

bool Win32Backend::IsChecked(WindowHandle w) const {
  const Entry* e = Find(w);
  return e != nullptr && e->checked;
}

void Win32Backend::SetToolTip(WindowHandle w, std::string_view gbk) {
  if (Entry* e = Find(w)) win32::SetToolTip(e->hwnd, gbk);
}

std::string Win32Backend::ToolTip(WindowHandle w) const {
  const Entry* e = Find(w);
  return e != nullptr ? win32::ToolTip(e->hwnd) : std::string();
}

PictureRef Win32Backend::DecodePicture(std::span<const uint8_t> data) { return win32::DecodePicture(data); }

}  // namespace vorenn::platform::win32

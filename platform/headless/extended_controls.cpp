// Headless list views, owner-drawn buttons, tool tips and pictures: records that tests and the
// scripted driver read back; painting runs the button's painter on a canvas that records the steps.
#include <algorithm>

#include "platform/headless/headless_backend.h"

namespace vorenn::platform {
namespace {

class RecordingCanvas final : public Canvas {
 public:
  using Step = HeadlessBackend::DrawStep;
  std::vector<Step> steps;

  void FillRect(const Rect& r, uint32_t colour) override { steps.push_back({Step::Fill, r, colour, {}}); }
  void FrameRect(const Rect& r, uint32_t colour) override { steps.push_back({Step::Frame, r, colour, {}}); }
  void Line(int x1, int y1, int x2, int y2, uint32_t colour) override {
    steps.push_back({Step::Line, {x1, y1, x2, y2}, colour, {}});
  }
  void FocusRect(const Rect& r) override { steps.push_back({Step::Focus, r, 0, {}}); }
  void Text(const Rect& r, std::string_view gbk, uint32_t colour, const std::string&, int, int) override {
    steps.push_back({Step::Text, r, colour, std::string(gbk)});
  }
  void DrawPicture(const Picture& p, int x, int y, uint32_t, bool) override {
    steps.push_back({Step::Picture, {x, y, p.Width(), p.Height()}, 0, {}});
  }
};

// Only the size is known; nothing is drawn headless.
class SizedPicture final : public Picture {
 public:
  SizedPicture(int width, int height) : width_(width), height_(height) {}
  int Width() const override { return width_; }
  int Height() const override { return height_; }

 private:
  int width_, height_;
};

uint32_t Le32(std::span<const uint8_t> d, size_t at) {
  return uint32_t(d[at]) | uint32_t(d[at + 1]) << 8 | uint32_t(d[at + 2]) << 16 | uint32_t(d[at + 3]) << 24;
}
uint32_t Be32(std::span<const uint8_t> d, size_t at) {
  return uint32_t(d[at]) << 24 | uint32_t(d[at + 1]) << 16 | uint32_t(d[at + 2]) << 8 | uint32_t(d[at + 3]);
}
uint16_t Be16(std::span<const uint8_t> d, size_t at) { return uint16_t(d[at] << 8 | d[at + 1]); }

// The size in a JPEG's first start-of-frame segment; false when the markers run out.
bool JpegSize(std::span<const uint8_t> d, int* width, int* height) {
  size_t at = 2;
  while (at + 4 <= d.size()) {
    if (d[at] != 0xFF) return false;
    uint8_t marker = d[at + 1];
    size_t length = Be16(d, at + 2);
    bool startOfFrame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (startOfFrame) {
      if (at + 9 > d.size()) return false;
      *height = Be16(d, at + 5);
      *width = Be16(d, at + 7);
      return true;
    }
    if (length < 2) return false;
    at += 2 + length;
  }
  return false;
}

// Width and height from a picture file's header: BMP, PNG, GIF or JPEG.
bool PictureSize(std::span<const uint8_t> d, int* width, int* height) {
  if (d.size() >= 26 && d[0] == 'B' && d[1] == 'M') {
    *width = int32_t(Le32(d, 18));
    *height = std::abs(int32_t(Le32(d, 22)));
  } else if (d.size() >= 24 && d[0] == 0x89 && d[1] == 'P' && d[2] == 'N' && d[3] == 'G') {
    *width = int32_t(Be32(d, 16));
    *height = int32_t(Be32(d, 20));
  } else if (d.size() >= 10 && d[0] == 'G' && d[1] == 'I' && d[2] == 'F') {
    *width = d[6] | d[7] << 8;
    *height = d[8] | d[9] << 8;
  } else if (d.size() >= 4 && d[0] == 0xFF && d[1] == 0xD8) {
    if (!JpegSize(d, width, height)) return false;
  } else {
    return false;
  }
  return *width > 0 && *height > 0 && *width <= 0x7FFF && *height <= 0x7FFF;
}

}  // namespace

void HeadlessBackend::SetListSetup(WindowHandle w, const ListSetup& setup) {
  if (WindowRecord* r = Find(w)) r->list = setup;
}

ListSetup HeadlessBackend::ListSetupOf(WindowHandle w) const {
  auto r = Find(w);
  return r ? r->list : ListSetup{};
}

int HeadlessBackend::InsertListColumn(WindowHandle w, int index, const ListColumn& column) {
  WindowRecord* r = Find(w);
  if (r == nullptr || r->role != WindowRole::ListView || index < 0) return -1;
  index = std::min(index, int(r->columns.size()));
  r->columns.insert(r->columns.begin() + index, column);
  // Cells right of a new sub-item column move one column on; column 0 stays the item text.
  for (auto& cells : r->subItems) {
    if (index >= 1 && size_t(index - 1) < cells.size()) cells.insert(cells.begin() + (index - 1), std::string());
  }
  return index;
}

int HeadlessBackend::ListColumnCount(WindowHandle w) const {
  auto r = Find(w);
  return r ? int(r->columns.size()) : 0;
}

std::vector<ListColumn> HeadlessBackend::ListColumnsOf(WindowHandle w) const {
  auto r = Find(w);
  return r ? r->columns : std::vector<ListColumn>{};
}

int HeadlessBackend::InsertListItem(WindowHandle w, int index, const ListItem& item) {
  WindowRecord* r = Find(w);
  if (r == nullptr || r->role != WindowRole::ListView || index < 0) return -1;
  index = std::min(index, int(r->items.size()));
  r->items.insert(r->items.begin() + index, item);
  auto cells = r->subItems.insert(r->subItems.begin() + index, std::vector<std::string>());
  if (r->columns.size() > 1) cells->reserve(r->columns.size() - 1);  // filled cell by cell next
  if (r->listSelection >= index) ++r->listSelection;
  return index;
}

bool HeadlessBackend::SetListItemText(WindowHandle w, int row, int column, std::string_view gbk) {
  WindowRecord* r = Find(w);
  if (r == nullptr || row < 0 || row >= int(r->items.size()) || column < 0) return false;
  // A control without columns still has its item text.
  if (column > 0 && column >= int(r->columns.size())) return false;
  if (column == 0) {
    r->items[size_t(row)].text = gbk;
    return true;
  }
  auto& cells = r->subItems[size_t(row)];
  if (cells.size() < size_t(column)) cells.resize(size_t(column));
  cells[size_t(column - 1)] = gbk;
  return true;
}

std::string HeadlessBackend::ListItemText(WindowHandle w, int row, int column) const {
  auto r = Find(w);
  if (r == nullptr || row < 0 || row >= int(r->items.size()) || column < 0) return {};
  if (column == 0) return r->items[size_t(row)].text;
  const auto& cells = r->subItems[size_t(row)];
  return size_t(column) <= cells.size() ? cells[size_t(column - 1)] : std::string();
}

ListItem HeadlessBackend::ListItemOf(WindowHandle w, int row) const {
  auto r = Find(w);
  return r != nullptr && row >= 0 && row < int(r->items.size()) ? r->items[size_t(row)] : ListItem{};
}

int HeadlessBackend::ListItemCount(WindowHandle w) const {
  auto r = Find(w);
  return r ? int(r->items.size()) : 0;
}

void HeadlessBackend::DeleteListItems(WindowHandle w) {
  if (WindowRecord* r = Find(w)) {
    r->items.clear();
    r->subItems.clear();
    r->listSelection = -1;
  }
}

void HeadlessBackend::SetListSelection(WindowHandle w, int row) {
  WindowRecord* r = Find(w);
  if (r == nullptr) return;
  r->listSelection = row >= 0 && row < int(r->items.size()) ? row : -1;
}

int HeadlessBackend::ListSelection(WindowHandle w) const {
  auto r = Find(w);
  return r ? r->listSelection : -1;
}

void HeadlessBackend::SetButtonPainter(WindowHandle w, ButtonPainter painter) {
  if (WindowRecord* r = Find(w)) r->painter = std::move(painter);
}

void HeadlessBackend::Repaint(WindowHandle w) {
  if (WindowRecord* r = Find(w)) ++r->repaints;
}

int HeadlessBackend::RepaintCount(WindowHandle w) const {
  auto r = Find(w);
  return r ? r->repaints : 0;
}

void HeadlessBackend::SetChecked(WindowHandle w, bool checked) {
  if (WindowRecord* r = Find(w)) r->checked = checked;
}

bool HeadlessBackend::IsChecked(WindowHandle w) const {
  auto r = Find(w);
  return r != nullptr && r->checked;
}

void HeadlessBackend::ToggleOnClick(WindowHandle w) {
  WindowRecord* r = Find(w);
  if (r != nullptr && (r->style & kStyleToggle) != 0) r->checked = !r->checked;
}

void HeadlessBackend::SetToolTip(WindowHandle w, std::string_view gbk) {
  if (WindowRecord* r = Find(w)) r->toolTip = gbk;
}

std::string HeadlessBackend::ToolTip(WindowHandle w) const {
  auto r = Find(w);
  return r ? r->toolTip : std::string();
}

PictureRef HeadlessBackend::DecodePicture(std::span<const uint8_t> data) {
  int width = 0, height = 0;
  if (!PictureSize(data, &width, &height)) return nullptr;
  return std::make_shared<SizedPicture>(width, height);
}

std::vector<HeadlessBackend::DrawStep> HeadlessBackend::PaintButton(WindowHandle w, ButtonDrawState state) const {
  auto r = Find(w);
  if (r == nullptr || !r->painter) return {};
  if (state.rect.width == 0 && state.rect.height == 0) state.rect = {0, 0, r->rect.width, r->rect.height};
  RecordingCanvas canvas;
  r->painter(canvas, state);
  return canvas.steps;
}

}  // namespace vorenn::platform

// The Qt list view draws its rows from a model that converts each cell when it is painted. It must
// draw exactly as the item-based tree widget did that it replaced (an item per row, a converted
// text, colours and alignment per cell): the reference below is that widget, set up as it was.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTreeWidget>

#include <string>
#include <utility>
#include <vector>

#include "platform/backend.h"
#include "platform/gbk_text.h"
#include "platform/qt/qt_backend.h"
#include "platform/qt/qt_backend_internal.h"
#include "platform/qt/qt_fonts.h"

// fontconfig keeps a cache for the life of the process; that is not a leak of ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

namespace vorenn::platform {
namespace {

QColor RgbOf(uint32_t c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }
QString FromGbk(const std::string& gbk) { return QString::fromStdString(GbkToUtf8(gbk)); }
Qt::Alignment AlignmentOf(int align) {
  return (align == 1 ? Qt::AlignHCenter : align == 2 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
}

class GridDelegate final : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyledItemDelegate::paint(painter, option, index);
    painter->save();
    painter->setPen(QColor(0xD8, 0xD8, 0xD8));
    painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
    painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
    painter->restore();
  }
};

struct Look {
  const char* name;
  int sort;
  bool gridLines;
  bool headerHidden;
  int selected;  // row, -1 none
};

// The rows: rank, a name (GBK), an amount; some compare equal in the first column.
const std::vector<std::vector<std::string>> kRows = {
    {"3", "\xCD\xE6\xBC\xD2\x31", "900.5"}, {"1", "abc", "12"}, {"2", "\xC5\xC5\xC3\xFB", "7"}, {"1", "x", "1"}};
const std::vector<ListColumn> kColumns = {{"\xC5\xC5\xC3\xFB", 40, 0, -1, false}, {"name", 90, 1, -1, false},
                                          {"money", 100, 2, -1, false}};

ListSetup SetupOf(const Look& look) {
  ListSetup setup;
  setup.fullRowSelect = setup.singleSelection = setup.showSelectionAlways = true;
  setup.gridLines = look.gridLines;
  setup.noColumnHeader = look.headerHidden;
  setup.sort = look.sort;
  setup.textColour = 0x0000A0;  // dark red in 0x00BBGGRR
  setup.textBackground = 0xE0FFFF;
  setup.background = 0xFFF0F0;
  return setup;
}

// The previous widget, filled and set up the way it was.
QImage Reference(const Look& look, QWidget* top) {
  ListSetup setup = SetupOf(look);
  auto* view = new QTreeWidget(top);
  view->setGeometry(0, 0, 260, 120);
  if (look.gridLines) view->setItemDelegate(new GridDelegate(view));
  view->setRootIsDecorated(false);
  view->setUniformRowHeights(true);
  view->setItemsExpandable(false);
  view->header()->setStretchLastSection(false);
  view->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  view->setColumnCount(int(kColumns.size()));
  for (size_t i = 0; i < kColumns.size(); ++i) {
    view->headerItem()->setText(int(i), FromGbk(kColumns[i].title));
    view->headerItem()->setTextAlignment(int(i), AlignmentOf(kColumns[i].align));
    view->header()->resizeSection(int(i), kColumns[i].width);
  }
  view->setHeaderHidden(look.headerHidden);
  view->header()->setSectionsClickable(true);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setAllColumnsShowFocus(true);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->setSortingEnabled(look.sort != 0);
  if (look.sort != 0) view->sortByColumn(0, look.sort == 1 ? Qt::AscendingOrder : Qt::DescendingOrder);
  QPalette p = view->palette();
  p.setColor(QPalette::Base, RgbOf(setup.background));
  p.setColor(QPalette::Text, RgbOf(setup.textColour));
  p.setColor(QPalette::WindowText, Qt::black);
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    p.setColor(group, QPalette::Highlight, RgbOf(SystemColourOf(SystemColour::ButtonFace)));
    p.setColor(group, QPalette::HighlightedText, RgbOf(setup.textColour));
  }
  view->setPalette(p);
  view->setFont(FontOfRecord(setup.font));
  for (const auto& cells : kRows) {
    auto* item = new QTreeWidgetItem();
    for (size_t c = 0; c < cells.size(); ++c) {
      item->setText(int(c), FromGbk(cells[c]));
      item->setBackground(int(c), RgbOf(setup.textBackground));
      item->setForeground(int(c), RgbOf(setup.textColour));
      item->setTextAlignment(int(c), AlignmentOf(kColumns[c].align));
    }
    view->addTopLevelItem(item);
  }
  if (look.selected >= 0) {
    view->setCurrentItem(view->topLevelItem(look.selected));
    view->topLevelItem(look.selected)->setSelected(true);
  }
  view->show();
  QApplication::processEvents();
  QImage image = view->grab().toImage();
  delete view;
  return image;
}

// A top-level window holding a list of `look` with the columns and rows above; returns both handles.
std::pair<WindowHandle, WindowHandle> FilledList(const Look& look, bool visible) {
  WindowSpec top;
  top.role = WindowRole::TopLevel;
  top.geometry = {0, 0, 300, 300};
  top.visible = true;
  WindowHandle topHandle = Native().CreateNativeWindow(top);
  WindowSpec params;
  params.role = WindowRole::ListView;
  params.parent = topHandle;
  params.visible = visible;
  params.geometry = {0, 0, 260, 120};
  WindowHandle list = Native().CreateNativeWindow(params);
  Native().SetListSetup(list, SetupOf(look));
  for (size_t i = 0; i < kColumns.size(); ++i) Native().InsertListColumn(list, int(i), kColumns[i]);
  for (const auto& cells : kRows) {
    int row = Native().InsertListItem(list, Native().ListItemCount(list), {cells[0], -1, 0, 0, 0});
    for (size_t c = 1; c < cells.size(); ++c) Native().SetListItemText(list, row, int(c), cells[c]);
  }
  if (look.selected >= 0) Native().SetListSelection(list, look.selected);
  return {topHandle, list};
}

TEST(QtListPixels, TheModelDrawsTheRowsAsTheItemWidgetDid) {
  static int argc = 1;
  static char name[] = "qt_list_pixels_test";
  static char* argv[] = {name, nullptr};
  if (!HasBackend() || std::string(Native().Name()) != "qt") InstallQtBackend(argc, argv);
  auto& qt = static_cast<QtBackend&>(Native());

  const Look looks[] = {
      {"grid, header", 0, true, false, 1},
      {"ascending, nothing selected", 1, true, false, -1},
      {"descending, no grid", 2, false, false, 0},
      {"no header", 0, false, true, 3},
      {"rows appended, nothing selected", 0, true, false, -1},  // shown once the event loop runs
  };
  for (const Look& look : looks) {
    auto [topHandle, list] = FilledList(look, true);
    QApplication::processEvents();
    QImage ours = qt.WidgetOf(list)->grab().toImage();
    QImage before = Reference(look, qt.WidgetOf(topHandle));
    ASSERT_EQ(ours.size(), before.size()) << look.name;
    int differing = 0;
    for (int y = 0; y < ours.height(); ++y)
      for (int x = 0; x < ours.width(); ++x) differing += ours.pixel(x, y) != before.pixel(x, y);
    EXPECT_EQ(differing, 0) << look.name;
    if (differing != 0) {
      ours.save(QString("/tmp/qt_list_pixels_ours_%1.png").arg(&look - looks));
      before.save(QString("/tmp/qt_list_pixels_before_%1.png").arg(&look - looks));
    }
    Native().DestroyNativeWindow(topHandle);
  }
}

}  // namespace
}  // namespace vorenn::platform

namespace vorenn::platform {
namespace {

// A list hidden on purpose gets its header when it is shown (measuring the header loads a face of
// its own); shown, it draws as a list that was visible all along, also when its columns changed
// while it was hidden again.
TEST(QtListPixels, AHiddenListShownLaterDrawsAsOneShownFromTheStart) {
  static int argc = 1;
  static char name[] = "qt_list_pixels_test";
  static char* argv[] = {name, nullptr};
  if (!HasBackend() || std::string(Native().Name()) != "qt") InstallQtBackend(argc, argv);
  auto& qt = static_cast<QtBackend&>(Native());
  const Look look = {"grid, header", 0, true, false, 1};

  // `hideAgain`: shown once, then hidden, given its columns again and shown again.
  auto drawn = [&](bool visibleFromTheStart, bool hideAgain) {
    auto [topHandle, list] = FilledList(look, visibleFromTheStart);
    QApplication::processEvents();
    if (!visibleFromTheStart) {
      EXPECT_FALSE(qt.WidgetOf(list)->isVisible());
      Native().Show(list, true);
      QApplication::processEvents();
    }
    if (hideAgain) {
      Native().Show(list, false);
      Native().SetListSetup(list, SetupOf(look));
      QApplication::processEvents();
      Native().Show(list, true);
      QApplication::processEvents();
    }
    QImage image = qt.WidgetOf(list)->grab().toImage();
    Native().DestroyNativeWindow(topHandle);
    return image;
  };
  const QImage shownFromTheStart = drawn(true, false);
  EXPECT_EQ(drawn(false, false), shownFromTheStart);
  EXPECT_EQ(drawn(false, true), shownFromTheStart);
  EXPECT_EQ(drawn(true, true), shownFromTheStart);
}

}  // namespace
}  // namespace vorenn::platform

// List views on Qt: a tree widget without branches, one top-level item per row, the columns as
// header sections. Icon and list views show as a plain list without header.
#include <QApplication>
#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTreeWidget>

#include <algorithm>
#include <vector>

#include "platform/gbk_text.h"
#include "platform/qt/qt_backend_internal.h"
#include "platform/qt/qt_fonts.h"

namespace vorenn::platform {
namespace {

QString FromGbk(std::string_view gbk) { return QString::fromStdString(GbkToUtf8(gbk)); }
std::string ToGbk(const QString& s) { return Utf8ToGbk(s.toStdString()); }
QColor RgbOf(uint32_t c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

Qt::Alignment AlignmentOf(int align) {
  return (align == 1 ? Qt::AlignHCenter : align == 2 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
}

// Cells as the style draws them, then the grid: a line on the right and at the bottom of each cell.
// (A style sheet could draw the lines too, but then the style sheet's look of a selection replaces
// the list's own colours.)
class GridCellDelegate final : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  bool gridLines = false;

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyledItemDelegate::paint(painter, option, index);
    if (!gridLines) return;
    painter->save();
    painter->setPen(kGridColour);
    const QRect& r = option.rect;
    painter->drawLine(r.topRight(), r.bottomRight());
    painter->drawLine(r.bottomLeft(), r.bottomRight());
    painter->restore();
  }

 private:
  static constexpr QColor kGridColour{0xD8, 0xD8, 0xD8};
};

class ListViewWidget final : public QTreeWidget {
 public:
  explicit ListViewWidget(QWidget* parent) : QTreeWidget(parent), cells_(new GridCellDelegate(this)) {
    setItemDelegate(cells_);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setColumnCount(1);
    setHeaderHidden(true);
    header()->setStretchLastSection(false);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  }

  ListSetup setup;
  std::vector<ListColumn> columns;

  int CellCount() const { return std::max(1, int(columns.size())); }

  void ShowColumns() {
    setColumnCount(CellCount());
    QTreeWidgetItem* head = headerItem();
    for (size_t i = 0; i < columns.size(); ++i) {
      head->setText(int(i), FromGbk(columns[i].title));
      head->setTextAlignment(int(i), AlignmentOf(columns[i].align));
      header()->resizeSection(int(i), columns[i].width);
    }
    setHeaderHidden(setup.view != ListViewKind::Report || setup.noColumnHeader || columns.empty());
  }

  void PaintCells(QTreeWidgetItem* item) const {
    for (int c = 0; c < CellCount(); ++c) {
      item->setBackground(c, RgbOf(setup.textBackground));
      item->setForeground(c, RgbOf(setup.textColour));
      if (size_t(c) < columns.size()) item->setTextAlignment(c, AlignmentOf(columns[size_t(c)].align));
    }
  }

  // A list shows its selection in the highlight colours while it has the focus. Without it the
  // selection is not drawn at all, unless the list always shows it: then in the button-face colour.
  void ApplySelectionColours() {
    QPalette p = palette();
    const QPalette standard = QApplication::palette(this);
    QColor highlight = RgbOf(setup.textBackground), highlightedText = RgbOf(setup.textColour);
    if (hasFocus()) {
      highlight = standard.color(QPalette::Active, QPalette::Highlight);
      highlightedText = standard.color(QPalette::Active, QPalette::HighlightedText);
    } else if (setup.showSelectionAlways) {
      highlight = RgbOf(SystemColourOf(SystemColour::ButtonFace));
    }
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
      p.setColor(group, QPalette::Highlight, highlight);
      p.setColor(group, QPalette::HighlightedText, highlightedText);
    }
    setPalette(p);
  }

  void focusInEvent(QFocusEvent* event) override {
    QTreeWidget::focusInEvent(event);
    ApplySelectionColours();
  }
  void focusOutEvent(QFocusEvent* event) override {
    QTreeWidget::focusOutEvent(event);
    ApplySelectionColours();
  }

  void Apply() {
    bool report = setup.view == ListViewKind::Report;
    header()->setSectionsClickable(report && !setup.noSortHeader);
    header()->setSectionsMovable(report && setup.headerDragDrop);
    setSelectionBehavior(report && !setup.fullRowSelect ? SelectItems : SelectRows);
    setAllColumnsShowFocus(setup.fullRowSelect);
    setSelectionMode(setup.singleSelection ? SingleSelection : ExtendedSelection);
    setEditTriggers(setup.editLabels ? EditKeyPressed | SelectedClicked : NoEditTriggers);
    setSortingEnabled(setup.sort != 0);
    if (setup.sort != 0) sortByColumn(0, setup.sort == 1 ? Qt::AscendingOrder : Qt::DescendingOrder);
    cells_->gridLines = report && setup.gridLines;
    QPalette p = palette();
    p.setColor(QPalette::Base, RgbOf(setup.background));
    p.setColor(QPalette::Text, RgbOf(setup.textColour));
    // The one-pixel frame of border 5 is drawn in the foreground colour.
    p.setColor(QPalette::WindowText, Qt::black);
    setPalette(p);
    ApplySelectionColours();
    setFont(FontOfRecord(setup.font));
    setMouseTracking(setup.trackSelect);
    ShowColumns();
    for (int i = 0; i < topLevelItemCount(); ++i) PaintCells(topLevelItem(i));
    viewport()->update();
  }

 private:
  GridCellDelegate* cells_;
};

}  // namespace

QWidget* QtBackend::MakeListView(QWidget* parent) { return new ListViewWidget(parent); }

namespace {

template <class Entry>
ListViewWidget* ListOf(Entry* e) {
  return e != nullptr ? dynamic_cast<ListViewWidget*>(e->widget.data()) : nullptr;
}

}  // namespace

void QtBackend::SetListSetup(WindowHandle w, const ListSetup& setup) {
  if (ListViewWidget* list = ListOf(Find(w))) {
    list->setup = setup;
    list->Apply();
  }
}

int QtBackend::InsertListColumn(WindowHandle w, int index, const ListColumn& column) {
  ListViewWidget* list = ListOf(Find(w));
  if (list == nullptr || index < 0) return -1;
  index = std::min(index, int(list->columns.size()));
  list->columns.insert(list->columns.begin() + index, column);
  list->ShowColumns();
  return index;
}

int QtBackend::ListColumnCount(WindowHandle w) const {
  const ListViewWidget* list = ListOf(Find(w));
  return list != nullptr ? int(list->columns.size()) : 0;
}

int QtBackend::InsertListItem(WindowHandle w, int index, const ListItem& item) {
  ListViewWidget* list = ListOf(Find(w));
  if (list == nullptr || index < 0) return -1;
  index = std::min(index, list->topLevelItemCount());
  auto* row = new QTreeWidgetItem();
  row->setText(0, FromGbk(item.text));
  row->setData(0, Qt::UserRole, item.value);
  list->PaintCells(row);
  list->insertTopLevelItem(index, row);
  // A sorted list puts the row where it belongs. Otherwise it is where it was put: looking it up
  // would search the rows one by one, and filling a long list row by row would take quadratic time.
  return list->isSortingEnabled() ? list->indexOfTopLevelItem(row) : index;
}

bool QtBackend::SetListItemText(WindowHandle w, int row, int column, std::string_view gbk) {
  ListViewWidget* list = ListOf(Find(w));
  if (list == nullptr || column < 0 || column >= list->CellCount()) return false;
  QTreeWidgetItem* item = list->topLevelItem(row);
  if (item == nullptr) return false;
  item->setText(column, FromGbk(gbk));
  return true;
}

std::string QtBackend::ListItemText(WindowHandle w, int row, int column) const {
  const ListViewWidget* list = ListOf(Find(w));
  QTreeWidgetItem* item = list != nullptr ? list->topLevelItem(row) : nullptr;
  return item != nullptr && column >= 0 ? ToGbk(item->text(column)) : std::string();
}

int QtBackend::ListItemCount(WindowHandle w) const {
  const ListViewWidget* list = ListOf(Find(w));
  return list != nullptr ? list->topLevelItemCount() : 0;
}

void QtBackend::DeleteListItems(WindowHandle w) {
  if (ListViewWidget* list = ListOf(Find(w))) list->clear();
}

void QtBackend::SetListSelection(WindowHandle w, int row) {
  ListViewWidget* list = ListOf(Find(w));
  if (list == nullptr) return;
  QTreeWidgetItem* item = row >= 0 ? list->topLevelItem(row) : nullptr;
  if (item == nullptr) {
    list->clearSelection();
    return;
  }
  list->setCurrentItem(item);
  item->setSelected(true);
}

int QtBackend::ListSelection(WindowHandle w) const {
  const ListViewWidget* list = ListOf(Find(w));
  if (list == nullptr) return -1;
  QList<QTreeWidgetItem*> selected = list->selectedItems();
  return selected.isEmpty() ? -1 : list->indexOfTopLevelItem(selected.front());
}

}  // namespace vorenn::platform

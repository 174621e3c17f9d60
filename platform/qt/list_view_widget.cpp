// List views on Qt: a tree view without branches over one table model that keeps the rows' texts as
// the program gave them (GBK) and converts a cell only when the view asks for it, which is when it
// paints the cell. Icon and list views show as a plain list without header.
#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTreeView>

#include <algorithm>
#include <numeric>
#include <vector>

#include "platform/gbk_text.h"
#include "platform/qt/qt_backend_internal.h"
#include "platform/qt/qt_fonts.h"

namespace vorenn::platform {
namespace {

QString FromGbk(std::string_view gbk) { return QString::fromStdString(GbkToUtf8(gbk)); }
QColor RgbOf(uint32_t c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

Qt::Alignment AlignmentOf(int align) {
  return (align == 1 ? Qt::AlignHCenter : align == 2 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
}

// The rows of one list: each cell's text as given, a row's value, and the look every cell shares.
// Sorting compares the cells as the view shows them (UTF-16), so the order is the one a user reads.
//
// Rows appended one by one are announced to the view together, once control is back in the event
// loop (or before any other change): a list filled with thousands of rows then costs the view one
// insertion instead of four signals per row. Until then the view sees the rows announced so far.
class ListRowsModel final : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;

  struct Row {
    std::vector<std::string> cells;  // GBK; cells past the end are empty
    int32_t value = 0;
  };

  int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : announced_; }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : std::max(1, int(columns_.size()));
  }

  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || size_t(index.row()) >= rows_.size()) return {};
    switch (role) {
      case Qt::DisplayRole:
      case Qt::EditRole:
        return FromGbk(Cell(size_t(index.row()), index.column()));
      case Qt::TextAlignmentRole:
        if (size_t(index.column()) < columns_.size()) return int(AlignmentOf(columns_[size_t(index.column())].align));
        return {};
      case Qt::BackgroundRole:
        return QBrush(RgbOf(textBackground_));
      case Qt::ForegroundRole:
        return QBrush(RgbOf(textColour_));
      case Qt::UserRole:
        return index.column() == 0 ? QVariant(rows_[size_t(index.row())].value) : QVariant();
      default:
        return {};
    }
  }

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation != Qt::Horizontal || section < 0) return {};
    if (size_t(section) >= columns_.size())
      return role == Qt::DisplayRole ? QVariant(QString::number(section + 1)) : QVariant();
    const ListColumn& column = columns_[size_t(section)];
    if (role == Qt::DisplayRole) return FromGbk(column.title);
    if (role == Qt::TextAlignmentRole) return int(AlignmentOf(column.align));
    return {};
  }

  Qt::ItemFlags flags(const QModelIndex& index) const override {
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
  }

  void sort(int column, Qt::SortOrder order) override {
    Announce();
    sortColumn_ = column;
    order_ = order;
    if (rows_.size() < 2 || column < 0) return;
    emit layoutAboutToBeChanged({}, VerticalSortHint);
    std::vector<QString> keys(rows_.size());
    for (size_t i = 0; i < rows_.size(); ++i) keys[i] = FromGbk(Cell(i, column));
    std::vector<size_t> order_of(rows_.size());
    std::iota(order_of.begin(), order_of.end(), size_t(0));
    std::stable_sort(order_of.begin(), order_of.end(), [&](size_t a, size_t b) {
      return order == Qt::AscendingOrder ? keys[a] < keys[b] : keys[b] < keys[a];
    });
    std::vector<Row> sorted;
    sorted.reserve(rows_.size());
    std::vector<int> newRowOf(rows_.size());
    for (size_t i = 0; i < order_of.size(); ++i) {
      newRowOf[order_of[i]] = int(i);
      sorted.push_back(std::move(rows_[order_of[i]]));
    }
    rows_ = std::move(sorted);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before) after.push_back(this->index(newRowOf[size_t(index.row())], index.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, VerticalSortHint);
  }

  // The look every cell takes; the view repaints.
  void SetLook(uint32_t textColour, uint32_t textBackground) {
    textColour_ = textColour;
    textBackground_ = textBackground;
    Announce();
    if (!rows_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
  }

  void SetColumns(const std::vector<ListColumn>& columns) {
    Announce();
    int before = columnCount(), after = std::max(1, int(columns.size()));
    if (after > before) beginInsertColumns({}, before, after - 1);
    columns_ = columns;
    if (after > before) endInsertColumns();
    emit headerDataChanged(Qt::Horizontal, 0, after - 1);
  }
  int ColumnCount() const { return int(columns_.size()); }

  // `sorted`: the row goes where the current order puts it (after rows that compare equal), and
  // the result says where; otherwise it goes at `at`.
  int Insert(int at, std::string text, int32_t value, bool sorted) {
    if (sorted) at = SortedPosition(FromGbk(text), rows_.size());
    at = std::clamp(at, 0, int(rows_.size()));
    Row row;
    row.cells.reserve(size_t(columnCount()));
    row.cells.push_back(std::move(text));
    row.value = value;
    if (at == int(rows_.size()) && !sorted) {
      rows_.push_back(std::move(row));
      if (!announceQueued_) {
        announceQueued_ = true;
        QMetaObject::invokeMethod(this, [this] { announceQueued_ = false, Announce(); }, Qt::QueuedConnection);
      }
      return at;
    }
    Announce();
    beginInsertRows({}, at, at);
    rows_.insert(rows_.begin() + at, std::move(row));
    ++announced_;
    endInsertRows();
    return at;
  }

  // The view learns of the rows appended since it last looked.
  void Announce() {
    if (announced_ == int(rows_.size())) return;
    beginInsertRows({}, announced_, int(rows_.size()) - 1);
    announced_ = int(rows_.size());
    endInsertRows();
  }

  bool SetText(int row, int column, std::string_view gbk, bool sorted) {
    if (row < 0 || size_t(row) >= rows_.size() || column < 0 || column >= columnCount()) return false;
    std::vector<std::string>& cells = rows_[size_t(row)].cells;
    if (cells.size() <= size_t(column)) cells.resize(size_t(column) + 1);
    cells[size_t(column)].assign(gbk);
    if (row < announced_) {
      QModelIndex changed = index(row, column);
      emit dataChanged(changed, changed);
    }
    if (sorted && column == sortColumn_) Resort(row);
    return true;
  }

  std::string_view Cell(size_t row, int column) const {
    const std::vector<std::string>& cells = rows_[row].cells;
    return column >= 0 && size_t(column) < cells.size() ? std::string_view(cells[size_t(column)]) : std::string_view();
  }
  int RowCount() const { return int(rows_.size()); }

  void Clear() {
    beginResetModel();
    rows_.clear();
    announced_ = 0;
    endResetModel();
  }

 private:
  bool Before(const QString& a, const QString& b) const { return order_ == Qt::AscendingOrder ? a < b : b < a; }

  // Where a row with this key goes among the rows [0, end) without `skip`, as a stable sort puts
  // it: after the rows that come before it and after the equal rows that were above it (`skip`: the
  // row's own place; a new row comes after all equal rows).
  int SortedPosition(const QString& key, size_t end, size_t skip = size_t(-1)) const {
    size_t low = 0, high = end;
    while (low < high) {
      size_t mid = low + (high - low) / 2;
      size_t probe = mid >= skip ? mid + 1 : mid;
      QString other = FromGbk(Cell(probe, sortColumn_));
      if (Before(other, key) || (!Before(key, other) && probe < skip)) {
        low = mid + 1;
      } else {
        high = mid;
      }
    }
    return int(low);
  }

  // A row whose sort key changed moves to where the order puts it.
  void Resort(int row) {
    int to = SortedPosition(FromGbk(Cell(size_t(row), sortColumn_)), rows_.size() - 1, size_t(row));
    if (to == row) return;
    Announce();
    beginMoveRows({}, row, row, {}, to > row ? to + 1 : to);
    Row moving = std::move(rows_[size_t(row)]);
    rows_.erase(rows_.begin() + row);
    rows_.insert(rows_.begin() + to, std::move(moving));
    endMoveRows();
  }

  std::vector<Row> rows_;
  int announced_ = 0;  // rows_ from here on are not yet known to the view
  bool announceQueued_ = false;
  std::vector<ListColumn> columns_;
  uint32_t textColour_ = 0, textBackground_ = 0xFFFFFF;
  int sortColumn_ = 0;
  Qt::SortOrder order_ = Qt::AscendingOrder;
};

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

class ListViewWidget final : public QTreeView {
 public:
  explicit ListViewWidget(QWidget* parent)
      : QTreeView(parent), rows(new ListRowsModel(this)), cells_(new GridCellDelegate(this)) {
    setModel(rows);
    setItemDelegate(cells_);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setHeaderHidden(true);
    header()->setStretchLastSection(false);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  }

  ListSetup setup;
  std::vector<ListColumn> columns;
  ListRowsModel* rows;

  void ShowColumns() {
    rows->SetColumns(columns);
    for (size_t i = 0; i < columns.size(); ++i) header()->resizeSection(int(i), columns[i].width);
    const bool noHeader = setup.view != ListViewKind::Report || setup.noColumnHeader || columns.empty();
    // The header of a list hidden on purpose waits until the list is shown: its height is measured
    // in the bold of the list's font, a face of its own to load, which a list never shown (the
    // sign-in window has one) does not need.
    headerWaits_ = !noHeader && isHidden() && testAttribute(Qt::WA_WState_ExplicitShowHide);
    setHeaderHidden(noHeader || headerWaits_);
  }

  void setVisible(bool visible) override {
    if (visible && headerWaits_) {
      headerWaits_ = false;
      setHeaderHidden(false);
    }
    QTreeView::setVisible(visible);
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
    QTreeView::focusInEvent(event);
    ApplySelectionColours();
  }
  void focusOutEvent(QFocusEvent* event) override {
    QTreeView::focusOutEvent(event);
    ApplySelectionColours();
  }

  void Apply() {
    bool report = setup.view == ListViewKind::Report;
    header()->setSectionsClickable(report && !setup.noSortHeader);
    header()->setSectionsMovable(report && setup.headerDragDrop);
    setSelectionBehavior(report && !setup.fullRowSelect ? SelectItems : SelectRows);
    setAllColumnsShowFocus(setup.fullRowSelect);
    setSelectionMode(setup.singleSelection ? SingleSelection : ExtendedSelection);
    // The rows are not editable, so editing a label never starts, as before the rows had a model.
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
    rows->SetLook(setup.textColour, setup.textBackground);
    viewport()->update();
  }

 private:
  GridCellDelegate* cells_;
  bool headerWaits_ = false;
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
  // A sorted list puts the row where it belongs, found by halving; otherwise it goes where it was put.
  return list->rows->Insert(index, item.text, item.value, list->isSortingEnabled());
}

bool QtBackend::SetListItemText(WindowHandle w, int row, int column, std::string_view gbk) {
  ListViewWidget* list = ListOf(Find(w));
  return list != nullptr && list->rows->SetText(row, column, gbk, list->isSortingEnabled());
}

std::string QtBackend::ListItemText(WindowHandle w, int row, int column) const {
  const ListViewWidget* list = ListOf(Find(w));
  if (list == nullptr || row < 0 || row >= list->rows->RowCount() || column < 0 || column >= list->rows->columnCount())
    return {};
  return std::string(list->rows->Cell(size_t(row), column));
}

int QtBackend::ListItemCount(WindowHandle w) const {
  const ListViewWidget* list = ListOf(Find(w));
  return list != nullptr ? list->rows->RowCount() : 0;
}

void QtBackend::DeleteListItems(WindowHandle w) {
  if (ListViewWidget* list = ListOf(Find(w))) list->rows->Clear();
}

void QtBackend::SetListSelection(WindowHandle w, int row) {
  ListViewWidget* list = ListOf(Find(w));
  if (list == nullptr) return;
  list->rows->Announce();
  QModelIndex index = row >= 0 ? list->rows->index(row, 0) : QModelIndex();
  if (!index.isValid()) {
    list->clearSelection();
    return;
  }
  list->setCurrentIndex(index);
  list->selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

int QtBackend::ListSelection(WindowHandle w) const {
  const ListViewWidget* list = ListOf(Find(w));
  if (list == nullptr) return -1;
  const QModelIndexList selected = list->selectionModel()->selectedIndexes();
  return selected.isEmpty() ? -1 : selected.front().row();
}

}  // namespace vorenn::platform

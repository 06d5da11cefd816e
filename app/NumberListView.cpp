#include "app/NumberListView.h"

#include <algorithm>
#include <limits>

#include <QAccessible>
#include <QEvent>
#include <QHeaderView>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include "app/NumberListAccessible.h"

namespace quillora {

namespace {

int ClampToInt(qint64 value) {
    constexpr qint64 kFar = std::numeric_limits<int>::max() / 2;
    return static_cast<int>(std::clamp(value, -kFar, kFar));
}

// Rounded down, also for points above the first row shown.
qint64 RowsDown(qint64 y, int rowHeight) {
    return y >= 0 ? y / rowHeight : -((-y + rowHeight - 1) / rowHeight);
}

}  // namespace

NumberListView::NumberListView(QWidget* parent)
    : QListView(parent), header_(new QHeaderView(Qt::Horizontal, this)) {
    SpeakAsTree(*this);
    // As a tree view sets itself and its header up.
    setSelectionBehavior(SelectRows);
    setHorizontalScrollMode(ScrollPerPixel);
    setVerticalScrollMode(ScrollPerItem);
    header_->setSectionsMovable(true);
    header_->setFirstSectionMovable(false);
    header_->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(header_, &QHeaderView::sectionResized, this, [this] {
        updateGeometries();
        viewport()->update();
    });
    connect(header_, &QHeaderView::sectionMoved, viewport(), qOverload<>(&QWidget::update));
    connect(header_, &QHeaderView::geometriesChanged, this, &NumberListView::updateGeometries);
}

void NumberListView::setModel(QAbstractItemModel* model) {
    QAbstractItemView::setModel(model);
    header_->setModel(model);
    if (model != nullptr) {
        connect(model, &QAbstractItemModel::rowsRemoved, this,
                [this] { scheduleDelayedItemsLayout(); });
    }
}

void NumberListView::setColumnWidth(int column, int width) {
    header_->resizeSection(column, width);
}

int NumberListView::columnWidth(int column) const {
    return header_->sectionSize(column);
}

int NumberListView::rows() const {
    return model() != nullptr ? model()->rowCount(rootIndex()) : 0;
}

int NumberListView::rowHeight() const {
    if (rowHeight_ == 0) {
        // What a tree view with rows of one height measures: the first row.
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        option.rect.setWidth(-1);
        const QModelIndex first = rows() > 0 ? model()->index(0, 0, rootIndex()) : QModelIndex();
        const int asked = itemDelegateForIndex(first)->sizeHint(option, first).height();
        rowHeight_ = std::max({asked, fontMetrics().height(), 1});
    }
    return rowHeight_;
}

void NumberListView::forgetRowHeight() {
    rowHeight_ = 0;
}

int NumberListView::sizeHintForRow(int) const {
    return rowHeight();
}

int NumberListView::firstShown() const {
    return std::clamp(verticalScrollBar()->value(), 0, std::max(rows() - 1, 0));
}

int NumberListView::wholeRowsShown() const {
    return std::max(viewport()->height() / rowHeight(), 1);
}

qint64 NumberListView::rowTop(int row) const {
    return (qint64{row} - firstShown()) * rowHeight();
}

QRect NumberListView::visualRect(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != model() || index.parent() != rootIndex() ||
        header_->isSectionHidden(index.column())) {
        return {};
    }
    return {header_->sectionViewportPosition(index.column()), ClampToInt(rowTop(index.row())),
            header_->sectionSize(index.column()), rowHeight()};
}

QModelIndex NumberListView::indexAt(const QPoint& point) const {
    const qint64 row = firstShown() + RowsDown(point.y(), rowHeight());
    const int column = header_->logicalIndexAt(point.x());
    if (row < 0 || row >= rows() || column < 0) {
        return {};
    }
    return model()->index(static_cast<int>(row), column, rootIndex());
}

void NumberListView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    if (!index.isValid() || index.model() != model()) {
        return;
    }
    executeDelayedItemsLayout();
    const int row = index.row();
    const int whole = wholeRowsShown();
    int first = firstShown();
    switch (hint) {
        case PositionAtTop:
            first = row;
            break;
        case PositionAtBottom:
            first = row - whole + 1;
            break;
        case PositionAtCenter:
            first = row - whole / 2;
            break;
        case EnsureVisible:
            if (row < first) {
                first = row;
            } else if (row >= first + whole) {
                first = row - whole + 1;
            }
            break;
    }
    verticalScrollBar()->setValue(first);
    // Across, as a tree view does: the cell's start, or all of it when it fits.
    const int width = viewport()->width();
    const int position = header_->sectionPosition(index.column());
    const int size = header_->sectionSize(index.column());
    if (hint == PositionAtCenter) {
        horizontalScrollBar()->setValue(position - (width - size) / 2);
    } else if (position - header_->offset() < 0 || size > width) {
        horizontalScrollBar()->setValue(position);
    } else if (position - header_->offset() + size > width) {
        horizontalScrollBar()->setValue(position - width + size);
    }
}

QModelIndex NumberListView::moveCursor(CursorAction action, Qt::KeyboardModifiers) {
    executeDelayedItemsLayout();
    const int count = rows();
    if (count == 0) {
        return {};
    }
    const QModelIndex current = currentIndex();
    if (!current.isValid()) {
        return model()->index(0, 0, rootIndex());
    }
    qint64 row = current.row();
    switch (action) {
        case MoveUp:
        case MovePrevious:
            --row;
            break;
        case MoveDown:
        case MoveNext:
            ++row;
            break;
        case MovePageUp:
            row -= wholeRowsShown();
            break;
        case MovePageDown:
            row += wholeRowsShown();
            break;
        case MoveHome:
            row = 0;
            break;
        case MoveEnd:
            row = count - 1;
            break;
        case MoveLeft:
        case MoveRight:
            // One column: left and right move the view, not the current row.
            horizontalScrollBar()->triggerAction(action == MoveLeft
                                                     ? QAbstractSlider::SliderSingleStepSub
                                                     : QAbstractSlider::SliderSingleStepAdd);
            return current;
    }
    return model()->index(static_cast<int>(std::clamp<qint64>(row, 0, count - 1)), current.column(),
                          rootIndex());
}

int NumberListView::horizontalOffset() const {
    return header_->offset();
}

int NumberListView::verticalOffset() const {
    return ClampToInt(qint64{firstShown()} * rowHeight());
}

bool NumberListView::isIndexHidden(const QModelIndex& index) const {
    return header_->isSectionHidden(index.column());
}

void NumberListView::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) {
    if (selectionModel() == nullptr || model() == nullptr) {
        return;
    }
    const QRect area = rect.normalized();
    const int count = rows();
    const qint64 top = firstShown() + RowsDown(area.top(), rowHeight());
    const qint64 bottom = firstShown() + RowsDown(area.bottom(), rowHeight());
    const int left = header_->sectionViewportPosition(header_->logicalIndex(0));
    const bool hit = count > 0 && header_->count() > 0 && bottom >= 0 && top < count &&
                     area.right() >= left && area.left() < left + header_->length();
    if (!hit) {
        if ((command & QItemSelectionModel::Clear) != 0) {
            selectionModel()->clear();
        }
        return;
    }
    const QModelIndex from =
        model()->index(static_cast<int>(std::max<qint64>(top, 0)), 0, rootIndex());
    const QModelIndex to = model()->index(static_cast<int>(std::min<qint64>(bottom, count - 1)),
                                          model()->columnCount(rootIndex()) - 1, rootIndex());
    selectionModel()->select(QItemSelection(from, to), command);
}

QRegion NumberListView::visualRegionForSelection(const QItemSelection& selection) const {
    // Only what is shown: a selection of millions of rows is a few rectangles.
    const int first = firstShown();
    const int last = first + wholeRowsShown();
    QRegion region;
    for (const QItemSelectionRange& range : selection) {
        if (!range.isValid() || range.parent() != rootIndex()) {
            continue;
        }
        const int top = std::max(range.top(), first);
        const int bottom = std::min(range.bottom(), last);
        if (top <= bottom) {
            region += QRect(0, ClampToInt(rowTop(top)), viewport()->width(),
                            (bottom - top + 1) * rowHeight());
        }
    }
    return region;
}

void NumberListView::paintEvent(QPaintEvent* event) {
    executeDelayedItemsLayout();
    const int count = rows();
    if (count == 0 || header_->count() == 0) {
        return;
    }
    QPainter painter(viewport());
    const QRect area = event->rect();
    const int first = firstShown();
    const int from = static_cast<int>(
        std::clamp<qint64>(first + RowsDown(std::max(area.top(), 0), rowHeight()), 0, count - 1));
    const int to = static_cast<int>(
        std::clamp<qint64>(first + RowsDown(area.bottom(), rowHeight()), 0, count - 1));
    for (int row = from; row <= to; ++row) {
        paintRow(
            painter, model()->index(row, 0, rootIndex()),
            QRect(-header_->offset(), ClampToInt(rowTop(row)), header_->length(), rowHeight()));
    }
}

// A row as a tree view without branches draws it: each column's background
// and cell, then the focus frame across the whole row.
void NumberListView::paintRow(QPainter& painter, const QModelIndex& rowIndex,
                              const QRect& rect) const {
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.showDecorationSelected = true;  // rows are selected whole
    const bool enabled = (option.state & QStyle::State_Enabled) != 0;
    const QModelIndex current = currentIndex();
    bool focusOnRow = false;
    const int sections = header_->count();
    for (int section = 0; section < sections; ++section) {
        const int column = header_->logicalIndex(section);
        if (header_->isSectionHidden(column)) {
            continue;
        }
        const QModelIndex index = rowIndex.siblingAtColumn(column);
        QStyleOptionViewItem cell = option;
        cell.rect = QRect(header_->sectionViewportPosition(column), rect.top(),
                          header_->sectionSize(column), rect.height());
        if (sections == 1) {
            cell.viewItemPosition = QStyleOptionViewItem::OnlyOne;
        } else {
            cell.viewItemPosition = section == 0              ? QStyleOptionViewItem::Beginning
                                    : section == sections - 1 ? QStyleOptionViewItem::End
                                                              : QStyleOptionViewItem::Middle;
        }
        if (selectionModel()->isSelected(index)) {
            cell.state |= QStyle::State_Selected;
        }
        focusOnRow = focusOnRow || (hasFocus() && index == current);
        if (enabled) {
            if ((model()->flags(index) & Qt::ItemIsEnabled) == 0) {
                cell.state &= ~QStyle::State_Enabled;
                cell.palette.setCurrentColorGroup(QPalette::Disabled);
            } else {
                cell.palette.setCurrentColorGroup((cell.state & QStyle::State_Active) != 0
                                                      ? QPalette::Active
                                                      : QPalette::Inactive);
            }
        }
        // The row's own background (alternate colours); the delegate draws the selection.
        QStyleOptionViewItem background = cell;
        background.state &= ~QStyle::State_Selected;
        style()->drawPrimitive(QStyle::PE_PanelItemViewRow, &background, &painter, this);
        itemDelegateForIndex(index)->paint(&painter, cell, index);
    }
    if (focusOnRow) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.state |= QStyle::State_KeyboardFocusChange;
        const QPalette::ColorGroup group = enabled ? QPalette::Normal : QPalette::Disabled;
        focus.backgroundColor = option.palette.color(
            group, selectionModel()->isSelected(rowIndex) ? QPalette::Highlight : QPalette::Window);
        focus.rect = style()->visualRect(layoutDirection(), viewport()->rect(), rect);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter);
    }
}

void NumberListView::updateGeometries() {
    if (header_->isHidden()) {
        setViewportMargins(0, 0, 0, 0);
    } else {
        const int height = std::max(header_->minimumHeight(), header_->sizeHint().height());
        setViewportMargins(0, height, 0, 0);
        const QRect placed = viewport()->geometry();
        header_->setGeometry(placed.left(), placed.top() - height, placed.width(), height);
        QMetaObject::invokeMethod(header_, "updateGeometries");
    }
    // A row a step, as a tree view with rows of one height scrolls.
    const int whole = wholeRowsShown();
    verticalScrollBar()->setRange(0, std::max(rows() - whole, 0));
    verticalScrollBar()->setPageStep(whole);
    verticalScrollBar()->setSingleStep(1);
    const int width = viewport()->width();
    horizontalScrollBar()->setPageStep(width);
    horizontalScrollBar()->setRange(0, std::max(header_->length() - width, 0));
    horizontalScrollBar()->setSingleStep(std::max(width / (header_->count() + 1), 2));
    QAbstractItemView::updateGeometries();
}

void NumberListView::scrollContentsBy(int dx, int) {
    if (dx != 0) {
        header_->setOffset(horizontalScrollBar()->value());
    }
    viewport()->update();
}

void NumberListView::rowsInserted(const QModelIndex& parent, int start, int end) {
    QAbstractItemView::rowsInserted(parent, start, end);
    scheduleDelayedItemsLayout();
}

void NumberListView::reset() {
    QAbstractItemView::reset();
    scheduleDelayedItemsLayout();
}

void NumberListView::doItemsLayout() {
    forgetRowHeight();  // the first row may be another now
    QAbstractItemView::doItemsLayout();
}

void NumberListView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QAbstractItemView::currentChanged(current, previous);
    if (QAccessible::isActive() && current.isValid() && model() != nullptr) {
        QAccessibleEvent event(this, QAccessible::Focus);
        event.setChild(current.row() * model()->columnCount(rootIndex()) + current.column());
        QAccessible::updateAccessibility(&event);
    }
}

void NumberListView::resizeEvent(QResizeEvent* event) {
    QAbstractItemView::resizeEvent(event);
}

void NumberListView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                                 const QList<int>& roles) {
    QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
}

void NumberListView::selectionChanged(const QItemSelection& selected,
                                      const QItemSelection& deselected) {
    // Told by the first cell of each, not by listing every selected index.
    if (QAccessible::isActive() && model() != nullptr) {
        const int columns = model()->columnCount(rootIndex());
        const auto tell = [&](const QItemSelection& selection, QAccessible::Event kind) {
            if (!selection.isEmpty() && selection.front().isValid()) {
                QAccessibleEvent event(this, kind);
                event.setChild(selection.front().top() * columns + selection.front().left());
                QAccessible::updateAccessibility(&event);
            }
        };
        tell(selected, QAccessible::SelectionAdd);
        tell(deselected, QAccessible::SelectionRemove);
    }
    QAbstractItemView::selectionChanged(selected, deselected);
}

void NumberListView::changeEvent(QEvent* event) {
    QAbstractItemView::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        forgetRowHeight();
        scheduleDelayedItemsLayout();
    }
}

}  // namespace quillora

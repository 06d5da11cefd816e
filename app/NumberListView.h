#pragma once

#include <QListView>

class QHeaderView;

namespace quillora {

// The number list's view (ListView1): one column under a header, every row
// one height, scrolled a row at a time. It looks and answers as a tree view
// without branches does, but keeps nothing per row: where a row stands,
// which row a point hits and what a repaint draws are all arithmetic on the
// row height and the first row shown, and selecting all, or every change of
// the list, costs the same for ten entries as for ten million. (A tree view
// lays out an item for every row, a list view a position for every row, a
// table view a section of its row header for every row.) It is a list view
// by class only, for Qt to give a screen reader its rows through the table
// interface: everything that lays rows out or draws them is its own, and the
// list view's layout is never run.
class NumberListView : public QListView {
    Q_OBJECT
  public:
    explicit NumberListView(QWidget* parent = nullptr);

    QHeaderView* header() const { return header_; }
    void setColumnWidth(int column, int width);
    int columnWidth(int column) const;
    // The height of every row: what the delegate asks for the first entry.
    int rowHeight() const;

    void setModel(QAbstractItemModel* model) override;
    QRect visualRect(const QModelIndex& index) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint& point) const override;
    int sizeHintForRow(int row) const override;
    void reset() override;
    void doItemsLayout() override;

  protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex& index) const override;
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    void paintEvent(QPaintEvent* event) override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = QList<int>()) override;
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;

  private:
    int rows() const;
    int firstShown() const;
    // Rows that fit the viewport whole; at least one.
    int wholeRowsShown() const;
    // The viewport's y of a row's top, far off for rows far off.
    qint64 rowTop(int row) const;
    QRect rowRect(int row) const;
    void paintRow(QPainter& painter, const QModelIndex& index, const QRect& rect) const;
    void forgetRowHeight();

    QHeaderView* header_;
    mutable int rowHeight_ = 0;  // 0: measured again when next asked
};

}  // namespace quillora

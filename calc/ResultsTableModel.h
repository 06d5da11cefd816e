#pragma once

#include <array>
#include <optional>
#include <vector>

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>

#include "core/Base.h"

namespace quillora {

// One row of the results table: the base's name and the four results written
// in that base. Only the user ticks a row; exports take ticked rows only.
struct ResultRow {
    QString base;                  // the text of the Base column
    std::array<QString, 4> cells;  // Addition, Subtraction, Multiplication, Division
    bool checked = false;
    // The base the results are written in; nothing for a row whose name is no base's.
    std::optional<Base> writtenIn;
    // A cell's own tool tip; the run's table leaves them empty, so its view's
    // hint shows instead.
    std::array<QString, 4> toolTips;
};

// The results table (ListView2): five columns, a check box in the first.
// Everything that reads it counts as the model does: rows from 0, columns 0 to
// 4, column 0 the base's name and columns 1 to 4 the four results.
class ResultsTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    static constexpr int kColumnCount = 5;

    // "Base", "Addition", "Subtraction", "Multiplication", "Division".
    static const QStringList& columnCaptions();

    explicit ResultsTableModel(QObject* parent = nullptr);

    // Start-up builds the headers one column at a time.
    void setHeaderText(int column, const QString& text);
    QString headerText(int column) const;

    int count() const { return static_cast<int>(rows_.size()); }
    const ResultRow& row(int index) const { return rows_.at(static_cast<std::size_t>(index)); }
    // The text in a column; fails with std::out_of_range outside the table.
    QString text(int rowIndex, int column) const;

    // Appends an unticked row with the base's name and empty cells; returns its index.
    int addRow(Base base);
    // The same with any text; a row named as a base is written in that base.
    int addRow(const QString& base);
    // column runs from 1 to 4, the results' own columns.
    void setCell(int rowIndex, int column, const QString& text);
    // As setCell, with the cell's own tool tip.
    void setCell(int rowIndex, int column, const QString& text, const QString& toolTip);
    void setChecked(int rowIndex, bool checked);
    void removeRowAt(int rowIndex);
    void clear();

    std::vector<ResultRow> checkedRows() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    std::array<QString, kColumnCount> headers_;
    std::vector<ResultRow> rows_;
};

}  // namespace quillora

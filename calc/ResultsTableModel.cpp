#include "calc/ResultsTableModel.h"

#include <string_view>

#include "calc/ResultTexts.h"

namespace quillora {

const QStringList& ResultsTableModel::columnCaptions() {
    static const QStringList captions = [] {
        QStringList all;
        for (std::string_view caption : kResultCaptions) {
            all << QString::fromLatin1(caption.data(), static_cast<qsizetype>(caption.size()));
        }
        return all;
    }();
    return captions;
}

ResultsTableModel::ResultsTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void ResultsTableModel::setHeaderText(int column, const QString& text) {
    headers_.at(static_cast<std::size_t>(column)) = text;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

QString ResultsTableModel::headerText(int column) const {
    return headers_.at(static_cast<std::size_t>(column));
}

namespace {

std::optional<Base> BaseNamed(const QString& name) {
    for (Base base : kAllBases) {
        if (name == BaseName(base)) {
            return base;
        }
    }
    return std::nullopt;
}

}  // namespace

QString ResultsTableModel::text(int rowIndex, int column) const {
    const ResultRow& r = row(rowIndex);
    return column == 0 ? r.base : r.cells.at(static_cast<std::size_t>(column - 1));
}

int ResultsTableModel::addRow(Base base) {
    return addRow(BaseName(base));
}

int ResultsTableModel::addRow(const QString& base) {
    const int index = count();
    beginInsertRows({}, index, index);
    rows_.push_back(ResultRow{base, {}, false, BaseNamed(base), {}});
    endInsertRows();
    return index;
}

void ResultsTableModel::setCell(int rowIndex, int column, const QString& text) {
    rows_.at(static_cast<std::size_t>(rowIndex)).cells.at(static_cast<std::size_t>(column - 1)) =
        text;
    const QModelIndex changed = index(rowIndex, column);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
}

void ResultsTableModel::setCell(int rowIndex, int column, const QString& text,
                                const QString& toolTip) {
    rows_.at(static_cast<std::size_t>(rowIndex)).toolTips.at(static_cast<std::size_t>(column - 1)) =
        toolTip;
    setCell(rowIndex, column, text);
    const QModelIndex changed = index(rowIndex, column);
    emit dataChanged(changed, changed, {Qt::ToolTipRole});
}

void ResultsTableModel::setChecked(int rowIndex, bool checked) {
    rows_.at(static_cast<std::size_t>(rowIndex)).checked = checked;
    const QModelIndex changed = index(rowIndex, 0);
    emit dataChanged(changed, changed, {Qt::CheckStateRole});
}

void ResultsTableModel::removeRowAt(int rowIndex) {
    if (rowIndex < 0 || rowIndex >= count()) {
        return;
    }
    beginRemoveRows({}, rowIndex, rowIndex);
    rows_.erase(rows_.begin() + rowIndex);
    endRemoveRows();
}

void ResultsTableModel::clear() {
    if (rows_.empty()) {
        return;
    }
    beginResetModel();
    rows_.clear();
    endResetModel();
}

std::vector<ResultRow> ResultsTableModel::checkedRows() const {
    std::vector<ResultRow> ticked;
    for (const ResultRow& r : rows_) {
        if (r.checked) {
            ticked.push_back(r);
        }
    }
    return ticked;
}

int ResultsTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

int ResultsTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant ResultsTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count()) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return text(index.row(), index.column());
    }
    if (role == Qt::CheckStateRole && index.column() == 0) {
        return row(index.row()).checked ? Qt::Checked : Qt::Unchecked;
    }
    if (role == Qt::ToolTipRole && index.column() > 0) {
        const QString& tip =
            row(index.row()).toolTips.at(static_cast<std::size_t>(index.column() - 1));
        if (!tip.isEmpty()) {
            return tip;
        }
    }
    return {};
}

bool ResultsTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() != 0 || role != Qt::CheckStateRole) {
        return false;
    }
    setChecked(index.row(), value.value<Qt::CheckState>() == Qt::Checked);
    return true;
}

Qt::ItemFlags ResultsTableModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == 0) {
        f |= Qt::ItemIsUserCheckable;
    }
    return f;
}

QVariant ResultsTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < kColumnCount) {
        return headers_.at(static_cast<std::size_t>(section));
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

}  // namespace quillora

#include "calc/ExactResultsTable.h"

#include <array>

#include "calc/ExactText.h"

namespace quillora {

namespace {

constexpr std::array<int, 6> kWordBits{0, 8, 16, 32, 64, 128};

}  // namespace

const QStringList& WordChoices() {
    static const QStringList choices = [] {
        QStringList all;
        for (int bits : kWordBits) {
            all << (bits == 0 ? QStringLiteral("Unbounded") : QStringLiteral("%1 bits").arg(bits));
        }
        return all;
    }();
    return choices;
}

std::optional<int> WordBitsOfChoice(const QString& text) {
    const qsizetype index = WordChoices().indexOf(text);
    if (index < 0) {
        return std::nullopt;
    }
    return kWordBits.at(static_cast<std::size_t>(index));
}

QString WordChoiceOf(int wordBits) {
    for (std::size_t i = 0; i < kWordBits.size(); ++i) {
        if (kWordBits.at(i) == wordBits) {
            return WordChoices().at(static_cast<qsizetype>(i));
        }
    }
    return WordChoices().front();
}

void FillExactTable(ResultsTableModel& table, const std::optional<ExactResults>& results,
                    const ExactView& view) {
    if (!results) {
        table.clear();
        return;
    }
    if (table.count() != static_cast<int>(kAllBases.size())) {
        table.clear();
        for (Base base : kAllBases) {
            table.addRow(base);
        }
    }
    const ExactTexts texts = WriteExactResults(*results, view);
    for (Base base : kAllBases) {
        const auto row = static_cast<std::size_t>(base);
        for (std::size_t k = 0; k < 4; ++k) {
            table.setCell(static_cast<int>(row), static_cast<int>(k) + 1,
                          QString::fromStdString(texts.cells.at(row).at(k)),
                          QString::fromStdString(texts.toolTips.at(row).at(k)));
        }
    }
}

}  // namespace quillora

#include "calc/ListFold.h"

#include "calc/ResultText.h"

namespace quillora {

namespace {

// Step labels of each base's block: the flag test and the first seed of the
// seeding, the flag test and the working text of the loop.
struct BlockLabels {
    int seedTest;
    int firstSeed;
    int loopTest;
    int working;
};

constexpr BlockLabels LabelsOf(Base base) {
    switch (base) {
        case Base::Decimal:
            return {106, 108, 160, 162};
        case Base::Hexadecimal:
            return {116, 122, 164, 170};
        case Base::Octal:
            return {130, 136, 172, 178};
        case Base::Binary:
            return {144, 150, 180, 186};
    }
    return {106, 108, 160, 162};
}

// The label of a results row's first cell; the other three follow by 2.
constexpr int FirstCellLabel(Base base) {
    switch (base) {
        case Base::Decimal:
            return 208;
        case Base::Hexadecimal:
            return 220;
        case Base::Octal:
            return 232;
        case Base::Binary:
            return 244;
    }
    return 208;
}

}  // namespace

int ListFold::WorkingLabel(Base base) {
    return LabelsOf(base).working;
}

std::optional<Base> ListFold::testFlags(Phase phase) {
    for (Base base : kAllBases) {
        const BlockLabels labels = LabelsOf(base);
        bool on = true;
        steps_(phase == Phase::Seed ? labels.seedTest : labels.loopTest,
               [&] { on = flags_->flag(base); });
        if (on) {
            return base;
        }
    }
    return std::nullopt;
}

void ListFold::seedWith(const WorkingValue& first, Base base) {
    const int label = LabelsOf(base).firstSeed;
    steps_(label, [&] { acc_.sum = first.value(); });
    steps_(label + 2, [&] { acc_.difference = first.value(); });
    steps_(label + 4, [&] { acc_.product = first.value(); });
    steps_(label + 6, [&] { acc_.quotient = first.value(); });
}

void ListFold::foldInSteps(const WorkingValue& x) {
    steps_(188, [&] { AddTo(acc_.sum, x.value()); });
    steps_(190, [&] { SubtractFrom(acc_.difference, x.value()); });
    steps_(192, [&] { MultiplyInto(acc_.product, x.value()); });
    bool divides = true;  // a failed divisor test counts as passed
    steps_(194, [&] { divides = DividesQuotient(x.value()); });
    if (divides) {
        steps_(196, [&] { DivideInto(acc_.quotient, x.value()); });
    }
}

ResultTexts ListFold::texts() {
    const std::array<double, 4> values{acc_.sum, acc_.difference, acc_.product, acc_.quotient};
    ResultTexts texts;
    for (Base base : kAllBases) {
        const int firstCell = FirstCellLabel(base);
        auto& row = texts.at(static_cast<std::size_t>(base));
        for (std::size_t k = 0; k < values.size(); ++k) {
            steps_(firstCell + 2 * static_cast<int>(k),
                   [&] { row.at(k) = ResultText(values.at(k), base); });
        }
    }
    return texts;
}

}  // namespace quillora

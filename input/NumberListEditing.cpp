#include "input/NumberListEditing.h"

#include <QStringList>

#include "engine/EntryValidation.h"

namespace quillora {

namespace {

const std::array<SampleSet, 4> kSampleSets{{
    {Base::Decimal, {"123", "1000"}, "PushButton9_Click"},
    {Base::Hexadecimal, {"a36", "a35"}, "PushButton10_Click"},
    {Base::Octal, {"112", "020"}, "PushButton11_Click"},
    {Base::Binary, {"101", "111"}, "PushButton12_Click"},
}};

}  // namespace

std::optional<std::string> AcceptEntry(std::string_view entry, std::optional<Base> base) {
    if (!base || entry.empty() || entry.size() > kLongestEntry) {
        return std::nullopt;
    }
    return AcceptedEntry(entry, Radix(*base));
}

namespace {

// Tests and appends one typed piece; true when it joined the list.
bool AddPiece(NumberListModel& list, std::optional<Base> base, const QString& piece) {
    const QByteArray text = piece.trimmed().toUtf8();
    auto stored = AcceptEntry(std::string_view(text.constData(), text.size()), base);
    if (!stored) {
        return false;
    }
    list.append(std::string_view(*stored));
    return true;
}

QStringList Pieces(const QString& answer) {
    return answer.split(QLatin1Char(','), Qt::KeepEmptyParts);
}

// The split and then each piece, each run as one stage: a failing piece is
// reported by its stage and the next piece still gets its turn.
template <class Stage>
int AddPieces(NumberListModel& list, std::optional<Base> base, const QString& answer,
              Stage&& stage) {
    QStringList pieces;
    stage(104, [&] { pieces = Pieces(answer); });
    int added = 0;
    for (const QString& piece : pieces) {
        stage(106, [&] { added += AddPiece(list, base, piece) ? 1 : 0; });
    }
    return added;
}

}  // namespace

int AddNumbers(NumberListModel& list, std::optional<Base> base, const QString& answer,
               Steps* steps) {
    if (steps != nullptr) {
        return AddPieces(list, base, answer, *steps);
    }
    return AddPieces(list, base, answer, [](int, auto&& stage) { stage(); });
}

void AddNumbersFromInputBox(const InputContext& context) {
    Steps steps(context.window.report, LocationName("Form1", "PushButton6_Click"));
    QString answer;
    steps(100, [&] {
        answer = context.window.dialogs.inputBox(
            QStringLiteral("Enter number or numbers (use commas):"), QStringLiteral("Add Numbers"));
    });
    // Step 102: an empty answer, cancelling included, ends the handler.
    if (answer.isEmpty()) {
        return;
    }
    AddNumbers(context.list, context.flags.currentBase(), answer, &steps);
}

bool RemoveSelectedNumber(NumberListModel& list, const BusyState& busy, int selectedRow) {
    if (busy.hourglassUp() || list.isEmpty() || selectedRow < 0 || selectedRow >= list.count()) {
        return false;
    }
    list.removeAt(selectedRow);
    return true;
}

bool RemoveSelectedNumberOnKey(NumberListModel& list, const BusyState& busy, int selectedRow,
                               int qtKey) {
    return qtKey == Qt::Key_Delete && RemoveSelectedNumber(list, busy, selectedRow);
}

void ClearList(NumberListModel& list, const BusyState& busy, FailureReport& report) {
    Steps steps(report, LocationName("Form1", "PushButton2_Click"));
    steps(100, [&] {
        if (!busy.hourglassUp()) {
            list.clear();
        }
    });
}

const SampleSet& SampleSetOf(Base base) {
    for (const SampleSet& set : kSampleSets) {
        if (set.base == base) {
            return set;
        }
    }
    return kSampleSets.front();
}

void LoadSampleSet(const InputContext& context, Base base,
                   const std::function<void(Base)>& selectOption) {
    const SampleSet& set = SampleSetOf(base);
    Steps steps(context.window.report, LocationName("Form1", set.handler));
    steps(100, [&] { selectOption(base); });
    steps(102, [&] { context.list.append(set.values[0]); });
    steps(104, [&] { context.list.append(set.values[1]); });
}

}  // namespace quillora

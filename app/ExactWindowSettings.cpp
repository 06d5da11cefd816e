#include "app/ExactWindowSettings.h"

#include <array>
#include <utility>
#include <vector>

#include <QStringList>

#include "store/SettingsKeys.h"

namespace quillora {

namespace {

// What an absent key stands for, written as the key would hold it.
const QString kNoPlace;

QString PlaceText(const std::optional<QRect>& place) {
    if (!place) {
        return kNoPlace;
    }
    return QStringLiteral("%1,%2,%3,%4")
        .arg(place->x())
        .arg(place->y())
        .arg(place->width())
        .arg(place->height());
}

std::optional<QRect> PlaceOf(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4) {
        return std::nullopt;
    }
    std::array<int, 4> numbers{};
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        bool ok = false;
        numbers.at(i) = parts.at(static_cast<qsizetype>(i)).trimmed().toInt(&ok);
        if (!ok) {
            return std::nullopt;
        }
    }
    if (numbers[2] <= 0 || numbers[3] <= 0) {
        return std::nullopt;
    }
    return QRect(numbers[0], numbers[1], numbers[2], numbers[3]);
}

std::map<QString, QString> Texts(const ExactWindowState& state) {
    return {{kExactWordKey, WordChoiceOf(state.view.wordBits)},
            {kExactGroupKey, TruthText(state.view.group)},
            {kExactOpenKey, TruthText(state.open)},
            {kExactPlaceKey, PlaceText(state.place)}};
}

// Nothing reported: an unreadable value keeps its default.
class Unreported : public FailureReport {
  public:
    void Report(const std::string&, const std::string&, int) override {}
};

}  // namespace

ExactWindowState ExactWindowSettings::read() {
    const ExactWindowState defaults;
    stored_ = Texts(defaults);
    Unreported quiet;
    Steps steps(quiet, LocationName("ExactResultsWindow", "Load"));
    for (auto& [key, text] : stored_) {
        steps(100, [&] { text = store_.read(key, text); });
    }
    ExactWindowState state;
    state.view.wordBits = WordBitsOfChoice(stored_.at(kExactWordKey)).value_or(0);
    steps(102, [&] { state.view.group = TruthValue(stored_.at(kExactGroupKey)); });
    steps(104, [&] { state.open = TruthValue(stored_.at(kExactOpenKey)); });
    state.place = PlaceOf(stored_.at(kExactPlaceKey));
    return state;
}

void ExactWindowSettings::write(const ExactWindowState& state) {
    std::vector<std::pair<QString, QString>> changed;
    for (const auto& [key, text] : Texts(state)) {
        const auto known = stored_.find(key);
        if (known == stored_.end() || known->second != text) {
            changed.emplace_back(key, text);
        }
    }
    if (changed.empty()) {
        return;
    }
    store_.write(changed);
    for (const auto& [key, text] : changed) {
        stored_[key] = text;
    }
}

}  // namespace quillora

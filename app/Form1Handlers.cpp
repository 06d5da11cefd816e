#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>

#include "app/Form1.h"
#include "app/NumberListView.h"
#include "input/ListFileLoading.h"
#include "input/NumberListEditing.h"

// The buttons, options and lists: each handler hands its work to the room that owns it.
namespace quillora {

void Form1::connectHandlers() {
    const std::array<std::pair<int, void (Form1::*)()>, 13> clicks{{
        {1, &Form1::PushButton1_Click},
        {2, &Form1::PushButton2_Click},
        {3, &Form1::PushButton3_Click},
        {4, &Form1::PushButton4_Click},
        {5, &Form1::PushButton5_Click},
        {6, &Form1::PushButton6_Click},
        {7, &Form1::PushButton7_Click},
        {8, &Form1::PushButton8_Click},
        {9, &Form1::PushButton9_Click},
        {10, &Form1::PushButton10_Click},
        {11, &Form1::PushButton11_Click},
        {12, &Form1::PushButton12_Click},
        {13, &Form1::PushButton13_Click},
    }};
    for (const auto& [index, handler] : clicks) {
        connect(pushButton(index), &QPushButton::clicked, this, handler);
    }
    // toggled, not clicked: choosing the base that is already on changes
    // nothing, and the program's own selections run the handler too.
    const std::array<void (Form1::*)(), 4> optionHandlers{
        &Form1::Option1_Click, &Form1::Option2_Click, &Form1::Option3_Click, &Form1::Option4_Click};
    for (Base base : kAllBases) {
        const auto handler = optionHandlers.at(static_cast<std::size_t>(base));
        connect(option(base), &QRadioButton::toggled, this, [this, handler](bool on) {
            if (on) {
                (this->*handler)();
            }
        });
    }
}

WindowPorts Form1::windowPorts() {
    return {*dialogs_, *this, busy_, *progress_, *pump_, report_};
}

InputContext Form1::inputContext() {
    return {*numbers_, *this, windowPorts()};
}

CalculationContext Form1::calculationContext() {
    return {*numbers_, *this, *results_, windowPorts(),
            [this](const ExactResults& exact) { exact_->showResults(exact); }};
}

int Form1::selectedRow(const QAbstractItemView* view) const {
    // The first row of the first selected range, as selectedRows() would
    // put it first, without listing every row of a selection of millions.
    for (const QItemSelectionRange& range : view->selectionModel()->selection()) {
        if (range.isValid()) {
            return range.top();
        }
    }
    return -1;
}

void Form1::greyListChanges(bool grey) {
    // What would change the list or the base under a running calculation,
    // and a second "Start Calculating".
    for (int index : {1, 3, 6, 9, 10, 11, 12}) {
        pushButton(index)->setEnabled(!grey);
    }
    for (QRadioButton* button : options_) {
        button->setEnabled(!grey);
    }
}

void Form1::PushButton3_Click() {
    RunCalculation(calculationContext(), runYieldInterval_);
}

void Form1::PushButton7_Click() {
    ClearResults(*results_, report_);
}

void Form1::ListView2_DblClick() {
    RemoveSelectedResult(*results_, busy_, selectedRow(listView2_));
}

void Form1::PushButton6_Click() {
    if (!runUnderWay()) {
        AddNumbersFromInputBox(inputContext());
    }
}

void Form1::PushButton1_Click() {
    if (!runUnderWay()) {
        LoadNumbersFromFiles(inputContext());
    }
}

void Form1::PushButton2_Click() {
    ClearList(*numbers_, busy_, report_);
}

void Form1::ListView1_DblClick() {
    RemoveSelectedNumber(*numbers_, busy_, selectedRow(listView1_));
}

void Form1::ListView1_KeyDown(int qtKey) {
    RemoveSelectedNumberOnKey(*numbers_, busy_, selectedRow(listView1_), qtKey);
}

void Form1::loadSample(Base base) {
    if (!runUnderWay()) {
        LoadSampleSet(inputContext(), base, [this](Base chosen) { selectOption(chosen); });
    }
}

void Form1::PushButton9_Click() {
    loadSample(Base::Decimal);
}
void Form1::PushButton10_Click() {
    loadSample(Base::Hexadecimal);
}
void Form1::PushButton11_Click() {
    loadSample(Base::Octal);
}
void Form1::PushButton12_Click() {
    loadSample(Base::Binary);
}

void Form1::PushButton13_Click() {
    Steps steps(report_, LocationName("Form1", "PushButton13_Click"));
    steps(100, [&] {
        dialogs_->message(QStringLiteral("Questions? Please contact Team Tolvenrix at ") +
                          kContactPage);
    });
}

void Form1::selectOption(Base base) {
    option(base)->setChecked(true);
}

void Form1::Option1_Click() {
    optionClicked(Base::Decimal);
}
void Form1::Option2_Click() {
    optionClicked(Base::Hexadecimal);
}
void Form1::Option3_Click() {
    optionClicked(Base::Octal);
}
void Form1::Option4_Click() {
    optionClicked(Base::Binary);
}

void Form1::optionClicked(Base base) {
    numbers_->clear();
    // The store is written at once; a refused write is told rather than lost.
    const std::string handler = "Option" + std::to_string(static_cast<int>(base) + 1) + "_Click";
    Steps steps(report_, LocationName("Form1", handler));
    steps(102, [&] {
        std::vector<std::pair<QString, QString>> flags;
        for (Base each : kAllBases) {
            flags.emplace_back(OptionKey(each), TruthText(flag(each)));
        }
        settings_.write(flags);
    });
}

}  // namespace quillora

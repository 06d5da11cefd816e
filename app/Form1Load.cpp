#include <utility>

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QRadioButton>
#include <QTreeView>

#include "app/ApplicationTitle.h"
#include "app/ApplySkin.h"
#include "app/Form1.h"
#include "app/HandCursor.h"
#include "app/NumberListView.h"
#include "app/ProgramFolder.h"
#include "store/StoredList.h"

// Start-up and end of the window: skin, caption, pointer, columns, the
// remembered base and list; and the list stored again at close.
namespace quillora {

void Form1::Form_Load() {
    Steps steps(report_, LocationName("Form1", "Form_Load"));
    steps(102,
          [&] { ApplySkin(*this, FolderHolding(programFolder_, SkinFilePath), skinFramework_); });
    // Three actions of one step: a failing caption still gets the icon set.
    steps(104, [&] { setWindowTitle(kProductTitle); });
    steps(104, [&] { setWindowIcon(QIcon(QStringLiteral(":/quillora.svg"))); });
    steps(104, [&] { SetApplicationTitle(kProductTitle); });

    const QString handPath = HandCursorPath(FolderHolding(programFolder_, HandCursorPath));
    bool handPresent = true;  // a failed test lets the load run and report for itself
    steps(106, [&] { handPresent = QFileInfo(handPath).isFile(); });
    if (handPresent) {
        steps(108, [&] { handCursor_ = LoadCursorFile(handPath); });
    }

    steps(128, [&] { numbers_->setHeaderText(QStringLiteral("Number(s)")); });
    steps(130, [&] { listView1_->setColumnWidth(0, twips_.x(7000)); });
    const QStringList& captions = ResultsTableModel::columnCaptions();
    for (int column = 0; column < ResultsTableModel::kColumnCount; ++column) {
        steps(132 + 2 * column, [&] { results_->setHeaderText(column, captions.at(column)); });
    }
    for (int column = 0; column < ResultsTableModel::kColumnCount; ++column) {
        steps(144 + 2 * column, [&] { listView2_->setColumnWidth(column, twips_.x(1400)); });
    }

    // The options before the list: selecting one empties the list.
    for (Base base : kAllBases) {
        steps(154 + 2 * static_cast<int>(base), [&] { setOptionFromStore(base); });
    }
    if (!currentBase()) {
        selectOption(Base::Decimal);
    }
    restoreList(steps);
}

void Form1::setOptionFromStore(Base base) {
    if (TruthValue(settings_.read(OptionKey(base), OptionDefault(base)))) {
        selectOption(base);
    }
    // A stored False leaves the option as it is: the group cannot be left
    // without a selection, and the next true flag clears it anyway.
}

void Form1::restoreList(Steps& steps) {
    std::string_view stored;  // valid until the store is used again
    steps(162, [&] { settings_.readList(stored); });
    bool nothingStored = false;  // a failed test skips the early end, so the rest runs
    steps(164, [&] { nothingStored = stored.empty(); });
    if (nothingStored) {
        return;
    }
    EntryBatch pieces;
    // The pieces are packed in place in the bytes the store read, and the
    // list, empty at start-up, takes their buffers over: a restored list of
    // millions touches no fresh memory for its text.
    steps(166, [&] { settings_.takeList(pieces); });
    // Steps 168 to 174: every piece, first to last, one row.
    steps(170, [&] { numbers_->appendMany(std::move(pieces)); });
}

void Form1::Form_QueryUnload() {
    Steps steps(report_, LocationName("Form1", "Form_QueryUnload"));
    // Steps 102 to 108: every row followed by ";", without the last one,
    // gathered piece by piece as the store writes them.
    const StoredListSource text(*numbers_);
    steps(110, [&] { settings_.writeList(text); });
    steps(112, [&] { pump_->processEvents(); });
}

void Form1::Form_Unload() {
    endProgram_();
}

void Form1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!shown_) {
        // The exact results window comes back once this one is up, over it.
        shown_ = true;
        exact_->reopen();
    }
}

void Form1::closeEvent(QCloseEvent* event) {
    // The close is never refused; a second close request finds the list stored already.
    event->accept();
    if (unloaded_) {
        return;
    }
    unloaded_ = true;
    Form_QueryUnload();
    exact_->remember();
    Form_Unload();
}

}  // namespace quillora

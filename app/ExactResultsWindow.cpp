#include "app/ExactResultsWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>
#include <QVBoxLayout>

#include "app/DesignPalette.h"
#include "app/Twips.h"
#include "export/SpreadsheetExport.h"
#include "export/TextFileExport.h"

namespace quillora {

namespace {

// The results table's column width: 1400 twips.
constexpr int kColumnTwips = 1400;

// A place is taken back only where some screen still shows its title bar.
bool OnSomeScreen(const QRect& place) {
    const QRect top(place.topLeft(), QSize(place.width(), 24));
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().intersects(top)) {
            return true;
        }
    }
    return false;
}

}  // namespace

ExactResultsWindow::ExactResultsWindow(ExactWindowPorts ports, QWidget* parent)
    : QWidget(parent, Qt::Window), ports_(std::move(ports)), settings_(ports_.settings) {
    setObjectName(QStringLiteral("ExactResultsWindow"));
    setWindowTitle(QStringLiteral("Exact Results"));
    for (int column = 0; column < ResultsTableModel::kColumnCount; ++column) {
        table_.setHeaderText(column, ResultsTableModel::columnCaptions().at(column));
    }
    build();
}

void ExactResultsWindow::build() {
    const Twips twips(logicalDpiX(), logicalDpiY());
    view_ = new QTreeView(this);
    view_->setObjectName(QStringLiteral("ExactResultsView"));
    view_->setModel(&table_);
    view_->setRootIsDecorated(false);
    view_->setItemsExpandable(false);
    view_->setUniformRowHeights(true);
    view_->setAllColumnsShowFocus(true);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->header()->setStretchLastSection(false);
    view_->header()->setSectionResizeMode(QHeaderView::Interactive);
    for (int column = 0; column < ResultsTableModel::kColumnCount; ++column) {
        view_->setColumnWidth(column, twips.x(kColumnTwips));
    }
    // Long results show their start; the tool tip holds all of them.
    view_->setTextElideMode(Qt::ElideRight);
    WearUserWindow(*view_);

    auto* wordLabel = new QLabel(QStringLiteral("&Word"), this);
    word_ = new QComboBox(this);
    word_->setObjectName(QStringLiteral("ExactWord"));
    word_->addItems(WordChoices());
    wordLabel->setBuddy(word_);
    group_ = new QCheckBox(QStringLiteral("&Group digits"), this);
    group_->setObjectName(QStringLiteral("ExactGroupDigits"));

    auto* save = new QPushButton(QStringLiteral("&Save As Text File…"), this);
    save->setObjectName(QStringLiteral("ExactSaveText"));
    auto* copy = new QPushButton(QStringLiteral("&Copy"), this);
    copy->setObjectName(QStringLiteral("ExactCopy"));
    auto* calc = new QPushButton(QStringLiteral("&Open in Calc"), this);
    calc->setObjectName(QStringLiteral("ExactOpenInCalc"));
    for (QPushButton* button : {save, copy, calc}) {
        button->setAutoDefault(false);
    }

    auto* controls = new QHBoxLayout;
    controls->addWidget(wordLabel);
    controls->addWidget(word_);
    controls->addSpacing(12);
    controls->addWidget(group_);
    controls->addStretch(1);
    controls->addWidget(save);
    controls->addWidget(copy);
    controls->addWidget(calc);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view_, 1);
    layout->addLayout(controls);

    setTabOrder(view_, word_);
    setTabOrder(word_, group_);
    setTabOrder(group_, save);
    setTabOrder(save, copy);
    setTabOrder(copy, calc);
    resize(twips.x(kColumnTwips * ResultsTableModel::kColumnCount + 600), twips.y(3600));
    FollowSchemeChanges(*this);

    connect(word_, &QComboBox::currentTextChanged, this, [this](const QString& text) {
        setView({WordBitsOfChoice(text).value_or(0), state_.view.group});
    });
    connect(group_, &QCheckBox::toggled, this, [this](bool group) {
        setView({state_.view.wordBits, group});
    });
    connect(save, &QPushButton::clicked, this, [this] { SaveResultsAsTextFile(exportContext()); });
    connect(copy, &QPushButton::clicked, this,
            [this] { CopyResultsToClipboard(exportContext(), ports_.clipboard); });
    connect(calc, &QPushButton::clicked, this,
            [this] { SaveResultsToSpreadsheet(exportContext(), ports_.spreadsheets); });
}

ExportContext ExactResultsWindow::exportContext() {
    return {table_, ports_.window()};
}

void ExactResultsWindow::showResults(const ExactResults& results) {
    results_ = results;
    FillExactTable(table_, results_, state_.view);
}

void ExactResultsWindow::setView(const ExactView& view) {
    if (view == state_.view) {
        return;
    }
    state_.view = view;
    // The controls follow a view set from outside; setting them to what they
    // show already signals nothing, so this does not come back.
    word_->setCurrentText(WordChoiceOf(view.wordBits));
    group_->setChecked(view.group);
    FillExactTable(table_, results_, state_.view);
    storeState();
}

void ExactResultsWindow::open() {
    if (!isVisible() && state_.place && OnSomeScreen(*state_.place)) {
        setGeometry(*state_.place);
    }
    show();
    raise();
    activateWindow();
}

void ExactResultsWindow::restore() {
    state_ = settings_.read();
    const QSignalBlocker blockWord(word_);
    const QSignalBlocker blockGroup(group_);
    word_->setCurrentText(WordChoiceOf(state_.view.wordBits));
    group_->setChecked(state_.view.group);
    FillExactTable(table_, results_, state_.view);
}

void ExactResultsWindow::reopen() {
    if (state_.open) {
        open();
    }
}

void ExactResultsWindow::remember() {
    state_.open = isVisible();
    if (state_.open) {
        state_.place = geometry();
    }
    storeState();
}

void ExactResultsWindow::keyPressEvent(QKeyEvent* event) {
    // As a dialog does: Escape that no control took closes the window.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ExactResultsWindow::closeEvent(QCloseEvent* event) {
    state_.place = geometry();
    state_.open = false;
    storeState();
    QWidget::closeEvent(event);
}

void ExactResultsWindow::storeState() {
    // Reported like the option buttons' writes: the store refusing is worth
    // a word, and the window goes on as it is.
    const WindowPorts window = ports_.window();
    Steps steps(window.report, LocationName("ExactResultsWindow", "SaveSettings"));
    steps(100, [&] { settings_.write(state_); });
}

}  // namespace quillora

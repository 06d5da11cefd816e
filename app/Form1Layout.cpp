#include <QAction>
#include <QFont>
#include <QGroupBox>
#include <QHeaderView>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>

#include "app/CaptionProgressBar.h"
#include "app/DesignFont.h"
#include "app/DesignPalette.h"
#include "app/Form1.h"
#include "app/NumberListView.h"
#include "app/OptionTabStop.h"
#include "app/PlainFrameStyle.h"
#include "app/ProgressAccessible.h"

// Every control at its design place and size, in twips.
namespace quillora {

namespace {

const QString kListToolTip = QStringLiteral(
    "Double-click item to remove it. Move | line to right and out of window to reveal full names.");

struct Place {
    int left, top, width, height;
};

struct ButtonDesign {
    int index;
    const char* caption;
    Place place;
};

constexpr std::array<ButtonDesign, 13> kButtons{{
    {6, "Add Number or Numbers", {120, 2025, 3840, 405}},
    {1, "Load Numbers From File", {4080, 2025, 3840, 405}},
    {2, "Clear List", {120, 2550, 3840, 405}},
    {9, "Load Sample/Example Decimals", {4080, 2550, 3840, 405}},
    {10, "Load Sample/Example Hexs", {120, 3060, 3840, 405}},
    {11, "Load Sample/Example Octals", {4080, 3060, 3840, 405}},
    {12, "Load Sample/Example Binary", {120, 3570, 3840, 405}},
    {13, "Help", {4080, 3570, 3840, 405}},
    {3, "Start Calculating", {120, 4860, 7800, 405}},
    {4, "Save Results As Text File", {120, 7305, 3840, 405}},
    {5, "Save Results As Excel File", {4080, 7305, 3840, 405}},
    {8, "Copy Results To Clipboard", {120, 7815, 3840, 405}},
    {7, "Clear Results", {4080, 7815, 3840, 405}},
}};

// Option buttons, relative to Frame1.
constexpr std::array<Place, 4> kOptionPlaces{{
    {240, 300, 1185, 255},
    {1680, 300, 1500, 255},
    {3600, 300, 1185, 255},
    {4800, 300, 1185, 255},
}};

// What a screen reader says for the controls whose caption tells too little.
struct Spoken {
    const char* name;
    const char* description;
};

constexpr Spoken kNumberListSpoken{
    "Number list",
    "The numbers to calculate with, one per row, in the base chosen under Base. "
    "Double-click a row or press Delete to remove it."};
constexpr Spoken kResultsSpoken{
    "Results table",
    "Addition, Subtraction, Multiplication and Division of the number list, one row per base. "
    "Tick a row to include it in the exports; double-click a row to remove it."};
constexpr Spoken kProgressSpoken{"Progress",
                                 "How far the calculation or the export under way has got."};

void Speak(QWidget& control, const Spoken& spoken) {
    control.setAccessibleName(QString::fromLatin1(spoken.name));
    control.setAccessibleDescription(QString::fromLatin1(spoken.description));
}

}  // namespace

void Form1::buildLayout() {
    setObjectName(QStringLiteral("Form1"));
    setFixedSize(twips_.x(8040), twips_.y(8880));
    setFont(DesignFont(9));
    WearDesignWhite(*this);
    FollowSchemeChanges(*this);

    buildLists();
    buildButtons();
    buildBaseFrame();

    progressBar1_ = new CaptionProgressBar(this);
    // Before anything else: the first event that asks for its accessible
    // interface settles which one it gets.
    SpeakCaptionAsValue(*progressBar1_);
    progressBar1_->setObjectName(QStringLiteral("ProgressBar1"));
    progressBar1_->setGeometry(twips_.rect(120, 8340, 7800, 405));
    progressBar1_->setRange(0, 100);
    progressBar1_->setValue(0);
    progressBar1_->setTextVisible(true);
    progressBar1_->setAlignment(Qt::AlignCenter);
    progressBar1_->setFormat(QStringLiteral("Progress Bar"));
    WearUserWindow(*progressBar1_);
    Speak(*progressBar1_, kProgressSpoken);
    progress_ = std::make_unique<ProgressBarPort>(progressBar1_);

    chainTabOrder();
    buildExactResults();
    connectHandlers();
    watchPointer();
}

void Form1::buildLists() {
    numbers_ = new NumberListModel(this);
    results_ = new ResultsTableModel(this);
    const auto place = [this](QAbstractItemView* view, const char* name, QAbstractItemModel* model,
                              Place at) {
        view->setObjectName(QString::fromLatin1(name));
        view->setGeometry(twips_.rect(at.left, at.top, at.width, at.height));
        view->setModel(model);
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setToolTip(kListToolTip);
        WearUserWindow(*view);
    };
    // The number list may hold millions of entries: its view keeps nothing per row.
    listView1_ = new NumberListView(this);
    place(listView1_, "ListView1", numbers_, {120, 120, 7800, 1815});
    listView1_->header()->setStretchLastSection(false);
    // The results table keeps a tree view for its ticks; it has four rows.
    listView2_ = new QTreeView(this);
    place(listView2_, "ListView2", results_, {120, 5400, 7800, 1815});
    listView2_->setRootIsDecorated(false);
    listView2_->setItemsExpandable(false);
    listView2_->setUniformRowHeights(true);
    listView2_->setAllColumnsShowFocus(true);
    listView2_->header()->setStretchLastSection(false);
    Speak(*listView1_, kNumberListSpoken);
    Speak(*listView2_, kResultsSpoken);
}

void Form1::buildButtons() {
    const QFont buttonFont = DesignFont(11.25);
    for (const ButtonDesign& design : kButtons) {
        auto* button = new QPushButton(QString::fromLatin1(design.caption), this);
        button->setObjectName(QStringLiteral("PushButton%1").arg(design.index));
        button->setGeometry(twips_.rect(design.place.left, design.place.top, design.place.width,
                                        design.place.height));
        button->setFont(buttonFont);
        button->setAutoDefault(false);
        WearUserWindow(*button);
        pushButtons_.at(static_cast<std::size_t>(design.index)) = button;
    }
}

void Form1::buildBaseFrame() {
    frame1_ = new QGroupBox(QStringLiteral("Base"), this);
    frame1_->setObjectName(QStringLiteral("Frame1"));
    frame1_->setGeometry(twips_.rect(120, 4050, 7800, 690));
    WearDesignWhiteFields(*frame1_);
    // Made after the frame, so the window deletes it after the frame too.
    auto* frameStyle = new PlainFrameStyle();
    frameStyle->setParent(this);
    frame1_->setStyle(frameStyle);
    auto* tabStop = new ChosenOptionTabStop(frame1_);
    for (Base base : kAllBases) {
        const auto index = static_cast<std::size_t>(base);
        const Place& place = kOptionPlaces.at(index);
        auto* button = new QRadioButton(BaseName(base), frame1_);
        button->setObjectName(QStringLiteral("Option%1").arg(index + 1));
        button->setGeometry(twips_.rect(place.left, place.top, place.width, place.height));
        WearDesignWhiteFields(*button);
        tabStop->watch(*button);
        options_.at(index) = button;
    }
    // "Decimal" is the design's selection; setting it before the handlers are
    // connected keeps it from emptying anything or writing the store.
    option(Base::Decimal)->setChecked(true);
}

void Form1::chainTabOrder() {
    // Tab indexes 0 to 20; the frame (2) and the progress bar (10) take no focus.
    const std::array<QWidget*, 19> order{
        listView1_,          listView2_,           option(Base::Decimal), option(Base::Hexadecimal),
        option(Base::Octal), option(Base::Binary), pushButton(6),         pushButton(1),
        pushButton(2),       pushButton(3),        pushButton(4),         pushButton(5),
        pushButton(7),       pushButton(8),        pushButton(9),         pushButton(10),
        pushButton(11),      pushButton(12),       pushButton(13)};
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
        QWidget::setTabOrder(order.at(i), order.at(i + 1));
    }
}

void Form1::buildExactResults() {
    exact_ = new ExactResultsWindow(
        {[this] { return windowPorts(); }, *clipboard_, *spreadsheets_, settings_}, this);
    auto* show = new QAction(QStringLiteral("Exact Results…"), this);
    show->setObjectName(QStringLiteral("ExactResultsAction"));
    show->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    show->setShortcutContext(Qt::WindowShortcut);
    connect(show, &QAction::triggered, exact_, &ExactResultsWindow::open);
    addAction(show);
    listView2_->addAction(show);
    listView2_->setContextMenuPolicy(Qt::ActionsContextMenu);
}

}  // namespace quillora

// The real Form1, offscreen, where its texts meet the user's: the lists' tool
// tip, the save dialog's filters, the progress caption of a file name, the
// program's own files in mixed layouts and list files named with backslashes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHelpEvent>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QToolTip>
#include <QTreeView>

#include "app/CaptionProgressBar.h"
#include "support/AppHarness.h"
#include "support/QStringPrinting.h"
#include "support/WindowChecks.h"

namespace quillora {
namespace {

using namespace quillora::testing;

const QString kListToolTip = QStringLiteral(
    "Double-click item to remove it. Move | line to right and out of window to reveal full names.");

// ---- Tool tip --------------------------------------------------------------

// What hovering at a point of a list's viewport shows, as Qt asks for it. A
// tip that is only being hidden keeps its text a moment, so a marker stands
// before each question: an answer of nothing leaves the marker.
QString ToolTipAt(QAbstractItemView* view, QPoint at) {
    QToolTip::showText(view->mapToGlobal(QPoint(0, 0)), QStringLiteral("marker"));
    QHelpEvent hover(QEvent::ToolTip, at, view->viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(view->viewport(), &hover);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

TEST(ListToolTip, EveryCellOfBothListsShowsTheListsToolTip) {
    AppHarness app;
    auto form = app.start();
    form->show();
    CalculateTickedResults(*form);
    form->results().addRow(QStringLiteral("no results"));  // empty cells

    auto* table = Control<QTreeView>(*form, "ListView2");
    for (int row : {0, 1, 4}) {
        for (int column = 0; column < ResultsTableModel::kColumnCount; ++column) {
            const QRect cell = table->visualRect(form->results().index(row, column));
            ASSERT_TRUE(cell.isValid()) << row << "," << column;
            EXPECT_EQ(ToolTipAt(table, cell.center()), kListToolTip) << row << "," << column;
        }
    }
    auto* list = List(*form, 1);
    const QRect entry = list->visualRect(form->numbers().index(1));
    EXPECT_EQ(ToolTipAt(list, entry.center()), kListToolTip);
    // Below the last row as well.
    EXPECT_EQ(ToolTipAt(table, QPoint(5, table->viewport()->height() - 3)), kListToolTip);
    QToolTip::hideText();
}

// ---- Save dialog -----------------------------------------------------------

TEST(SaveDialog, AllFilesShowsAFileWithoutExtensionSoItCanBeReplaced) {
    AppHarness app;
    Form1Setup setup;  // the real Qt boxes
    setup.programFolder = app.programFolder;
    setup.endProgram = [] {};
    Form1 form(setup);
    for (int column = 0; column < ResultsTableModel::kColumnCount; ++column) {
        form.results().setHeaderText(column, ResultsTableModel::columnCaptions().at(column));
    }
    form.results().setChecked(form.results().addRow(QStringLiteral("Decimal")), true);

    const QDir folder(app.temp.filePath(QStringLiteral("saves")));
    const QString existing = folder.filePath(QStringLiteral("results"));
    ASSERT_TRUE(WriteFile(existing, "earlier"));
    ASSERT_TRUE(WriteFile(folder.filePath(QStringLiteral("other.txt")), "x"));

    QStringList filters;
    QString picked;
    // Building the dialog already lets events run, so wait until it is the modal one.
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible()) {
            return;
        }
        poll.stop();
        filters = dialog->nameFilters();
        dialog->setDirectory(folder);
        dialog->selectNameFilter(QStringLiteral("All Files (*)"));
        // The folder is read in the background: wait until the file shows, then pick it.
        auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        EXPECT_TRUE(view != nullptr && name != nullptr);
        const QDeadlineTimer deadline(10000);
        while (view != nullptr && name != nullptr && picked.isEmpty() && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            const QAbstractItemModel* model = view->model();
            for (int row = 0; row < model->rowCount(view->rootIndex()); ++row) {
                const QModelIndex file = model->index(row, 0, view->rootIndex());
                if (file.data().toString() == QStringLiteral("results")) {
                    name->clearFocus();  // as the click into the list takes it
                    view->selectionModel()->select(
                        file, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
                    picked = name->text();
                }
            }
        }
        if (picked.isEmpty()) {
            dialog->reject();
        } else {
            static_cast<QDialog*>(dialog)->accept();
        }
    });
    poll.start();
    Button(form, 4)->click();
    EXPECT_FALSE(poll.isActive());
    EXPECT_EQ(filters, QStringList({"Text Files (*.txt)", "All Files (*)"}));
    EXPECT_EQ(picked, QStringLiteral("results"));
    EXPECT_TRUE(FileBytes(existing).startsWith("Base"));
}

// ---- Progress caption ------------------------------------------------------

TEST(ProgressCaption, AFileNameWithPercentSignsShowsAsWritten) {
    AppHarness app;
    FakePump pump;
    auto form = app.start(&pump);
    CalculateTickedResults(*form);
    auto* bar = Control<QProgressBar>(*form, "ProgressBar1");
    QStringList shown;
    pump.onProcess = [&](int) {
        if (shown.isEmpty() || shown.last() != bar->text()) {
            shown << bar->text();
        }
    };
    const QString file = app.temp.filePath(QStringLiteral("rate%p%v.txt"));
    app.dialogs.saveAnswers.push_back(file);
    Button(*form, 4)->click();
    EXPECT_TRUE(shown.contains(QStringLiteral("Writing file: rate%p%v.txt")))
        << shown.join('|').toStdString();
    EXPECT_TRUE(FileBytes(file).startsWith("Base"));
    EXPECT_EQ(bar->text(), QStringLiteral("Progress Bar"));
}

TEST(ProgressCaption, TheBarReadsDoubledPercentSignsAsOneAndKeepsItsPlaceholders) {
    CaptionProgressBar bar;
    bar.setRange(0, 200);
    bar.setValue(50);
    const std::vector<std::pair<QString, QString>> cases{
        {"%p% of %m at %v", "25% of 200 at 50"},
        {EscapedCaption("rate%p%v.txt"), "rate%p%v.txt"},
        {EscapedCaption("100%"), "100%"},
        {"%%%p", "%25"},
        {"%x and %", "%x and %"},
        {"Progress Bar", "Progress Bar"},
    };
    for (const auto& [format, text] : cases) {
        bar.setFormat(format);
        EXPECT_EQ(bar.text(), text) << format.toStdString();
    }
    bar.setRange(5, 5);
    bar.setValue(5);
    bar.setFormat(QStringLiteral("%p"));
    EXPECT_EQ(bar.text(), QStringLiteral("100"));
}

// ---- The program's own files -----------------------------------------------

// The harness's program folder stands for bin/; the installed data folder is
// then ../share/quillora beside it.
const QString kData = QStringLiteral("../share/quillora/");

TEST(ProgramFiles, TheHandCursorAndTheSkinAreEachFoundBesideTheProgramOrInTheDataFolder) {
    const QByteArray besideSheet = "QPushButton { color: #123456; }";
    const QByteArray dataSheet = "QPushButton { color: #654321; }";
    struct Layout {
        const char* what;
        bool handBeside, handInData, skinBeside, skinInData;
        QPoint hotSpot;    // of the cursor taken; none for the platform's hand
        QByteArray sheet;  // the skin taken; empty for none
    };
    const std::vector<Layout> layouts{
        {"hand beside the program, skin in the data folder",
         true,
         false,
         false,
         true,
         {5, 3},
         dataSheet},
        {"skin beside the program, hand in the data folder",
         false,
         true,
         true,
         false,
         {9, 7},
         besideSheet},
        {"both in both: beside the program wins", true, true, true, true, {5, 3}, besideSheet},
        {"both in the data folder", false, true, false, true, {9, 7}, dataSheet},
        {"hand beside the program alone", true, false, false, false, {5, 3}, {}},
    };
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.what);
        AppHarness app;
        if (layout.handBeside) {
            app.writeProgramFile(QStringLiteral("HAND-M.CUR"), CursorFile(5, 3));
        }
        if (layout.handInData) {
            app.writeProgramFile(kData + QStringLiteral("HAND-M.CUR"), CursorFile(9, 7));
        }
        if (layout.skinBeside) {
            app.writeProgramFile(QStringLiteral("x/o.cjs"), besideSheet);
        }
        if (layout.skinInData) {
            app.writeProgramFile(kData + QStringLiteral("x/o.cjs"), dataSheet);
        }
        auto form = app.start();
        EXPECT_TRUE(app.dialogs.messages.empty());
        EXPECT_EQ(form->handCursor().shape(), Qt::BitmapCursor);
        EXPECT_EQ(form->handCursor().hotSpot(), layout.hotSpot);
        EXPECT_EQ(form->styleSheet(), QString::fromLatin1(layout.sheet));
    }
}

// ---- List files named with backslashes --------------------------------------

TEST(ListFileNames, BackslashesAreCharactersOfTheNamesTheDialogAnswers) {
    AppHarness app;
    auto form = app.start();
    const QDir folder(app.temp.filePath(QStringLiteral("lists")));
    const QStringList names{QStringLiteral("x\\y.txt"), QStringLiteral("x\\\\y.txt"),
                            QStringLiteral("\\lead.txt"), QStringLiteral("tail\\")};
    QStringList paths;
    for (int i = 0; i < names.size(); ++i) {
        paths << folder.filePath(names[i]);
        ASSERT_TRUE(WriteFile(paths.last(), QByteArray::number(i + 1) + "\n"));
    }
    ASSERT_EQ(folder.entryList(QDir::Files).size(), names.size());
    app.dialogs.openAnswers = {paths};
    Button(*form, 1)->click();
    EXPECT_TRUE(app.dialogs.messages.empty()) << app.dialogs.texts().join('|').toStdString();
    EXPECT_EQ(Entries(*form), QStringList({"1", "2", "3", "4"}));
}

}  // namespace
}  // namespace quillora

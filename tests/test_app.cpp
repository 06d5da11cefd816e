#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>
#include <random>

#include <QApplication>
#include <QBuffer>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QImageWriter>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeView>

#include "app/ApplicationTitle.h"
#include "app/ApplySkin.h"
#include "app/HandCursor.h"
#include "app/QtDialogs.h"
#include "engine/NumberSystem.h"
#include "engine/NumberText.h"
#include "export/ClipboardExport.h"
#include "export/SpreadsheetExport.h"
#include "support/AppHarness.h"
#include "support/FilePermissions.h"
#include "support/QStringPrinting.h"
#include "support/ScriptedPump.h"

namespace quillora {
namespace {

using namespace quillora::testing;

const QString kReportPrefix = QStringLiteral("in Marrowfen2021/08/31.");
const QString kClosing =
    QStringLiteral("\r\rPlease email screenshot of this message to support@tolvenrix.example");

QString ReportText(const QString& description, const QString& handler, int label) {
    return description + QStringLiteral("\r\n") + kReportPrefix + handler +
           QStringLiteral(" at line ") + QString::number(label) + kClosing;
}

QStringList RowTexts(Form1& form, int row) {
    const ResultRow& r = form.results().row(row);
    return {r.base, r.cells[0], r.cells[1], r.cells[2], r.cells[3]};
}

// ---- Layout ----------------------------------------------------------------

TEST(Form1Layout, ControlsSitAtTheirDesignPlacesWithTheirCaptionsAndFonts) {
    AppHarness app;
    auto form = app.start();
    const Twips twips(form->logicalDpiX(), form->logicalDpiY());

    EXPECT_EQ(form->objectName(), QStringLiteral("Form1"));
    EXPECT_EQ(form->size(), QSize(twips.x(8040), twips.y(8880)));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_EQ(Control<QTreeView>(*form, "ListView1")->geometry(), twips.rect(120, 120, 7800, 1815));
    EXPECT_EQ(Control<QTreeView>(*form, "ListView2")->geometry(),
              twips.rect(120, 5400, 7800, 1815));
    EXPECT_EQ(Button(*form, 9)->geometry(), twips.rect(4080, 2550, 3840, 405));
    EXPECT_EQ(Button(*form, 3)->geometry(), twips.rect(120, 4860, 7800, 405));
    EXPECT_EQ(Button(*form, 7)->geometry(), twips.rect(4080, 7815, 3840, 405));
    EXPECT_EQ(Control<QGroupBox>(*form, "Frame1")->geometry(), twips.rect(120, 4050, 7800, 690));
    EXPECT_EQ(Option(*form, Base::Hexadecimal)->geometry(), twips.rect(1680, 300, 1500, 255));
    EXPECT_EQ(Option(*form, Base::Hexadecimal)->parentWidget()->objectName(),
              QStringLiteral("Frame1"));
    auto* bar = Control<QProgressBar>(*form, "ProgressBar1");
    EXPECT_EQ(bar->geometry(), twips.rect(120, 8340, 7800, 405));
    EXPECT_EQ(bar->text(), QStringLiteral("Progress Bar"));

    EXPECT_EQ(Button(*form, 6)->text(), QStringLiteral("Add Number or Numbers"));
    EXPECT_EQ(Button(*form, 10)->text(), QStringLiteral("Load Sample/Example Hexs"));
    EXPECT_EQ(Button(*form, 5)->text(), QStringLiteral("Save Results As Excel File"));
    EXPECT_EQ(Option(*form, Base::Binary)->text(), QStringLiteral("Binary"));
    EXPECT_EQ(Control<QGroupBox>(*form, "Frame1")->title(), QStringLiteral("Base"));

    EXPECT_EQ(form->font().family(), QStringLiteral("Arial"));
    EXPECT_TRUE(form->font().bold());
    EXPECT_DOUBLE_EQ(form->font().pointSizeF(), 9.0);
    EXPECT_DOUBLE_EQ(Button(*form, 13)->font().pointSizeF(), 11.25);
    EXPECT_DOUBLE_EQ(Option(*form, Base::Octal)->font().pointSizeF(), 9.0);
    EXPECT_TRUE(Control<QTreeView>(*form, "ListView2")
                    ->toolTip()
                    .startsWith(QStringLiteral("Double-click item to remove it.")));
}

TEST(Form1Layout, ColumnsAreBuiltAtStartUpWithTheirWidths) {
    AppHarness app;
    auto form = app.start();
    const Twips twips(form->logicalDpiX(), form->logicalDpiY());
    auto* list = Control<QTreeView>(*form, "ListView1");
    auto* table = Control<QTreeView>(*form, "ListView2");
    EXPECT_EQ(list->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Number(s)"));
    EXPECT_EQ(list->header()->sectionSize(0), twips.x(7000));
    const QStringList captions{"Base", "Addition", "Subtraction", "Multiplication", "Division"};
    for (int column = 0; column < 5; ++column) {
        EXPECT_EQ(table->model()->headerData(column, Qt::Horizontal).toString(), captions[column]);
        EXPECT_EQ(table->header()->sectionSize(column), twips.x(1400));
    }
}

TEST(Form1Layout, TabOrderFollowsTheDesign) {
    AppHarness app;
    auto form = app.start();
    QStringList order;
    QWidget* widget = Control<QTreeView>(*form, "ListView1");
    do {
        if ((widget->focusPolicy() & Qt::TabFocus) != 0 && widget->parentWidget() != nullptr) {
            order << widget->objectName();
        }
        widget = widget->nextInFocusChain();
    } while (widget->objectName() != QStringLiteral("ListView1"));
    EXPECT_EQ(order, QStringList({"ListView1", "ListView2", "Option1", "Option2", "Option3",
                                  "Option4", "PushButton6", "PushButton1", "PushButton2",
                                  "PushButton3", "PushButton4", "PushButton5", "PushButton7",
                                  "PushButton8", "PushButton9", "PushButton10", "PushButton11",
                                  "PushButton12", "PushButton13"}));
}

// ---- Application title -----------------------------------------------------

TEST(ApplicationTitleRule, KeepsShortTitlesAndDropsWholeWordsFromLongOnes) {
    EXPECT_EQ(ShortApplicationTitle(QStringLiteral("Quillora")), QStringLiteral("Quillora"));
    const QString forty = QStringLiteral("Quillora number base calculator for all");  // 39
    EXPECT_EQ(ShortApplicationTitle(forty + QStringLiteral("s")), forty + QStringLiteral("s"));
    EXPECT_EQ(ShortApplicationTitle(forty + QStringLiteral(" bases")), forty);
    EXPECT_EQ(
        ShortApplicationTitle(QStringLiteral("Quillora decimal hexadecimal octal binary tool")),
        QStringLiteral("Quillora decimal hexadecimal octal"));
    const QString oneWord(45, QLatin1Char('Q'));
    EXPECT_EQ(ShortApplicationTitle(oneWord), oneWord);
    EXPECT_EQ(ShortApplicationTitle(QStringLiteral("Q ") + oneWord), QStringLiteral("Q"));
}

TEST(ApplicationTitleRule, StartUpSetsCaptionIconAndTitleThatUntitledBoxesShow) {
    SetApplicationTitle(QStringLiteral("Something else entirely"));
    AppHarness app;
    auto form = app.start();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Quillora"));
    EXPECT_FALSE(form->windowIcon().pixmap(32, 32).isNull());
    EXPECT_EQ(ApplicationTitle(), QStringLiteral("Quillora"));
}

// ---- Error report ----------------------------------------------------------

TEST(ErrorReport, ShowsTheFixedFormInAWarningBoxTitledApplicationError) {
    testing::RecordingDialogs dialogs;
    ErrorReportBox box(dialogs);
    box.Report("Overflow", LocationName("Form1", "PushButton3_Click"), 188);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, ReportText(QStringLiteral("Overflow"),
                                                   QStringLiteral("Form1.PushButton3_Click"), 188));
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("Application Error"));
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Warning);
    // The Qt box shows the bare CRs as line breaks.
    EXPECT_EQ(DisplayedText(QStringLiteral("a\r\nb\r\rc")), QStringLiteral("a\nb\n\nc"));
}

TEST(ErrorReport, BadStoredOptionsAreReportedAtTheirLabelsAndStartUpGoesOn) {
    AppHarness app;
    app.store({{"Option2", "maybe"}, {"Option4", "x"}, {"Zip Codes", "17;20"}});
    auto form = app.start();
    ASSERT_EQ(app.dialogs.messages.size(), 2u);
    EXPECT_EQ(app.dialogs.messages[0].text,
              ReportText(QStringLiteral("Type mismatch"), QStringLiteral("Form1.Form_Load"), 156));
    EXPECT_EQ(app.dialogs.messages[1].text,
              ReportText(QStringLiteral("Type mismatch"), QStringLiteral("Form1.Form_Load"), 160));
    EXPECT_TRUE(Option(*form, Base::Decimal)->isChecked());
    EXPECT_EQ(Entries(*form), QStringList({"17", "20"}));
}

TEST(StartUp, StoredOptionsMayBeNumbersAndNoTrueFlagMeansDecimal) {
    AppHarness app;
    app.store({{"Option1", "0"}, {"Option3", "-1"}});
    EXPECT_TRUE(Option(*app.start(), Base::Octal)->isChecked());
    app.store({{"Option1", "False"}, {"Option2", "False"}, {"Option3", "false"}, {"Option4", "0"}});
    EXPECT_TRUE(Option(*app.start(), Base::Decimal)->isChecked());
    EXPECT_TRUE(app.dialogs.messages.empty());
}

// ---- The real Qt boxes --------------------------------------------------------

// Runs answer on the box that opens next, while it is open.
void WhenModalOpens(std::function<void(QWidget*)> answer) {
    QTimer::singleShot(0, [answer = std::move(answer)] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        answer(box);
    });
}

TEST(QtBoxes, UntitledBoxesShowTheApplicationTitleAndReportsTheirOwn) {
    SetApplicationTitle(QStringLiteral("Quillora"));
    QtDialogs dialogs;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    const auto read = [&](QWidget* widget) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        box->accept();
    };
    WhenModalOpens(read);
    static_cast<Dialogs&>(dialogs).message(QStringLiteral("Done."));
    EXPECT_EQ(title, QStringLiteral("Quillora"));
    EXPECT_EQ(icon, QMessageBox::NoIcon);

    ErrorReportBox report(dialogs);
    WhenModalOpens(read);
    report.Report("Overflow", LocationName("Form1", "PushButton3_Click"), 190);
    EXPECT_EQ(title, QStringLiteral("Application Error"));
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_TRUE(text.startsWith(QStringLiteral("Overflow\nin Marrowfen2021/08/31.")));
}

TEST(QtBoxes, TheInputBoxAnswersTheTextOrNothingOnCancel) {
    QtDialogs dialogs;
    WhenModalOpens([](QWidget* widget) {
        auto* box = qobject_cast<QInputDialog*>(widget);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Add Numbers"));
        box->setTextValue(QStringLiteral("5, 6"));
        box->accept();
    });
    EXPECT_EQ(dialogs.inputBox(QStringLiteral("Enter"), QStringLiteral("Add Numbers")),
              QStringLiteral("5, 6"));
    WhenModalOpens([](QWidget* widget) {
        qobject_cast<QInputDialog*>(widget)->setTextValue(QStringLiteral("7"));
        qobject_cast<QDialog*>(widget)->reject();
    });
    EXPECT_EQ(dialogs.inputBox(QStringLiteral("Enter"), QStringLiteral("Add Numbers")), QString());
}

// ---- Skin ------------------------------------------------------------------

TEST(Skin, WithoutTheFileTheDesignColoursStayAndNoSheetIsLoaded) {
    AppHarness app;
    auto form = app.start();
    EXPECT_TRUE(form->styleSheet().isEmpty());
    EXPECT_EQ(form->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(Control<QGroupBox>(*form, "Frame1")->palette().color(QPalette::Window),
              QColor(Qt::white));
}

TEST(Skin, AGoodSkinSwitchesColoursThenDressesTheWindow) {
    AppHarness app;
    const QByteArray sheet = "QPushButton { color: #123456; }";
    app.writeProgramFile(QStringLiteral("x/o.cjs"), sheet);
    auto form = app.start();
    EXPECT_TRUE(app.dialogs.messages.empty());
    EXPECT_EQ(form->styleSheet(), QString::fromLatin1(sheet));
    EXPECT_EQ(Control<QGroupBox>(*form, "Frame1")->palette().color(QPalette::Window),
              ButtonFaceColour());
    EXPECT_EQ(Option(*form, Base::Binary)->palette().color(QPalette::Window), ButtonFaceColour());
}

TEST(Skin, ABrokenSkinIsReportedAt102AndStartUpGoesOn) {
    AppHarness app;
    app.writeProgramFile(QStringLiteral("x/o.cjs"), "QPushButton { color: red; ");
    app.store({{"Zip Codes", "1;2"}});
    auto form = app.start();
    ASSERT_EQ(app.dialogs.messages.size(), 1u);
    EXPECT_EQ(app.dialogs.messages[0].text, ReportText(QStringLiteral("Invalid skin file"),
                                                       QStringLiteral("Form1.Form_Load"), 102));
    EXPECT_TRUE(form->styleSheet().isEmpty());
    // Colours already switched stay; every later step ran.
    EXPECT_EQ(Control<QGroupBox>(*form, "Frame1")->palette().color(QPalette::Window),
              ButtonFaceColour());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Quillora"));
    EXPECT_EQ(Entries(*form), QStringList({"1", "2"}));
}

TEST(Skin, TheShippedSkinIsCopiedBesideTheProgramAndParses) {
    // The build copies skins/x/o.cjs to x/o.cjs beside the program (build/app).
    const QString path = QCoreApplication::applicationDirPath() + QStringLiteral("/../app/x/o.cjs");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    EXPECT_TRUE(IsValidStyleSheet(QString::fromUtf8(file.readAll())));
    EXPECT_FALSE(IsValidStyleSheet(QStringLiteral("QPushButton { color: red; ")));
}

// ---- Pointer ---------------------------------------------------------------

// A small cursor file: an icon written by Qt, turned into a cursor with its hot spot.
QByteArray CursorFile(int hotX, int hotY) {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::darkBlue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "ico");
    EXPECT_TRUE(writer.write(image));
    bytes[2] = 2;  // type: cursor
    bytes[10] = static_cast<char>(hotX);
    bytes[11] = 0;
    bytes[12] = static_cast<char>(hotY);
    bytes[13] = 0;
    return bytes;
}

void Hover(QWidget* widget, QEvent::Type type = QEvent::MouseMove) {
    const QPointF at(2, 2);
    QMouseEvent move(type, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
}

TEST(Pointer, HandOverPushButtonsArrowElsewhereAndTheHourglassAlwaysWins) {
    AppHarness app;
    auto form = app.start();
    form->show();
    Hover(Button(*form, 12));
    EXPECT_EQ(form->pointer(), Pointer::Hand);
    EXPECT_EQ(form->cursor().shape(), Qt::PointingHandCursor);
    Hover(Control<QTreeView>(*form, "ListView2")->viewport());
    EXPECT_EQ(form->pointer(), Pointer::Default);
    Hover(Button(*form, 1));
    Hover(Control<QGroupBox>(*form, "Frame1"));
    EXPECT_EQ(form->pointer(), Pointer::Default);
    Hover(Button(*form, 1));
    Hover(form.get());  // the background at (2, 2)
    EXPECT_EQ(form->pointer(), Pointer::Default);

    // The progress bar has no handler: the pointer keeps what it was.
    Hover(Button(*form, 7));
    auto* bar = Control<QProgressBar>(*form, "ProgressBar1");
    const QPointF onBar = bar->geometry().center();
    QMouseEvent passedOn(QEvent::MouseMove, onBar, form->mapToGlobal(onBar), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &passedOn);
    EXPECT_EQ(form->pointer(), Pointer::Hand);

    form->setPointer(Pointer::Busy);
    Hover(Button(*form, 3), QEvent::Enter);
    Hover(Control<QTreeView>(*form, "ListView1")->viewport());
    Hover(form.get());
    EXPECT_EQ(form->pointer(), Pointer::Busy);
    EXPECT_EQ(form->cursor().shape(), Qt::WaitCursor);
}

TEST(Pointer, TheHandComesFromTheCursorFileBesideTheProgram) {
    AppHarness app;
    app.writeProgramFile(QStringLiteral("HAND-M.CUR"), CursorFile(5, 3));
    auto form = app.start();
    EXPECT_TRUE(app.dialogs.messages.empty());
    EXPECT_EQ(form->handCursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(form->handCursor().hotSpot(), QPoint(5, 3));
    Hover(Button(*form, 4));
    EXPECT_EQ(form->cursor().shape(), Qt::BitmapCursor);
}

TEST(Pointer, AnUnreadableCursorFileIsReportedAt108AndThePlatformHandStays) {
    AppHarness app;
    app.writeProgramFile(QStringLiteral("HAND-M.CUR"), "not a cursor at all");
    auto form = app.start();
    ASSERT_EQ(app.dialogs.messages.size(), 1u);
    EXPECT_EQ(app.dialogs.messages[0].text, ReportText(QStringLiteral("Invalid picture"),
                                                       QStringLiteral("Form1.Form_Load"), 108));
    EXPECT_EQ(form->handCursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(form->numbers().headerData(0, Qt::Horizontal).toString(),
              QStringLiteral("Number(s)"));
}

TEST(Pointer, CursorHotSpotIsReadOnlyFromCursorFiles) {
    EXPECT_EQ(CursorHotSpot(CursorFile(7, 9)), QPoint(7, 9));
    QByteArray icon = CursorFile(7, 9);
    icon[2] = 1;
    EXPECT_FALSE(CursorHotSpot(icon).has_value());
    EXPECT_FALSE(CursorHotSpot(QByteArray("\0\0\2\0", 4)).has_value());
}

// ---- Calculation through the window ----------------------------------------

TEST(Calculating, HexSamplesThenStartCalculatingFillTheTableAndSayDone) {
    AppHarness app;
    auto form = app.start();
    Button(*form, 10)->click();
    EXPECT_TRUE(Option(*form, Base::Hexadecimal)->isChecked());
    EXPECT_EQ(Entries(*form), QStringList({"a36", "a35"}));
    Button(*form, 3)->click();
    ASSERT_EQ(form->results().count(), 4);
    EXPECT_EQ(RowTexts(*form, 0).mid(0, 3), QStringList({"Decimal", "5227", "1"}));
    EXPECT_EQ(RowTexts(*form, 1).mid(0, 3), QStringList({"Hexadecimal", "146B", "1"}));
    EXPECT_FALSE(form->results().row(3).checked);
    ASSERT_EQ(app.dialogs.messages.size(), 1u);
    EXPECT_EQ(app.dialogs.messages[0].text, QStringLiteral("Done."));
    EXPECT_TRUE(app.dialogs.messages[0].title.isEmpty());
    EXPECT_EQ(form->pointer(), Pointer::Default);
    EXPECT_EQ(Control<QProgressBar>(*form, "ProgressBar1")->text(), QStringLiteral("Progress Bar"));
    EXPECT_EQ(Control<QProgressBar>(*form, "ProgressBar1")->value(), 0);
}

// A clipboard that keeps what it is given.
class KeepingClipboard : public ClipboardPort {
  public:
    bool clear() override {
        text.clear();
        return true;
    }
    bool setText(const QString& given) override {
        text = given;
        return true;
    }
    QString text;
};

// A spreadsheet application that is not installed.
class MissingSpreadsheets : public SpreadsheetProvider {
  public:
    bool available() override { return false; }
    std::unique_ptr<Spreadsheet> create() override { return nullptr; }
};

TEST(Exporting, TheThreeButtonsTakeTheTickedRowsOfTheWindowsTable) {
    AppHarness app;
    KeepingClipboard clipboard;
    MissingSpreadsheets spreadsheets;
    app.clipboard = &clipboard;
    app.spreadsheets = &spreadsheets;
    auto form = app.start();
    Button(*form, 10)->click();
    Button(*form, 3)->click();
    ASSERT_EQ(form->results().count(), 4);
    form->results().setChecked(0, true);
    form->results().setChecked(2, true);
    app.dialogs.messages.clear();

    const QString file = app.temp.filePath(QStringLiteral("results.txt"));
    app.dialogs.saveAnswers.push_back(file);
    Button(*form, 4)->click();
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    EXPECT_TRUE(bytes.startsWith("Base"));
    EXPECT_TRUE(bytes.contains("\r\nDecimal"));
    EXPECT_TRUE(bytes.contains("\r\nOctal"));
    EXPECT_FALSE(bytes.contains("Hexadecimal"));
    EXPECT_EQ(form->pointer(), Pointer::Default);

    Button(*form, 8)->click();
    EXPECT_TRUE(clipboard.text.startsWith(QStringLiteral("Decimal")));
    EXPECT_EQ(clipboard.text.count(QStringLiteral("\r\n")), 2);

    app.dialogs.messages.clear();
    Button(*form, 5)->click();
    EXPECT_EQ(app.dialogs.texts().size(), 2);
    EXPECT_FALSE(form->SaveResultsAsExcelFileIsExcelInstalled());
}

TEST(Calculating, TheTwoMendedResults) {
    AppHarness app;
    auto form = app.start();
    Button(*form, 10)->click();
    app.dialogs.inputAnswers = {QStringLiteral("FFFFFFFFFFFFF, FFFFFFFFFFFFE")};
    Button(*form, 2)->click();
    Button(*form, 6)->click();
    Button(*form, 3)->click();
    ASSERT_EQ(form->results().count(), 4);
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(form->results().row(row).cells[1], QStringLiteral("1")) << row;
    }

    Button(*form, 9)->click();  // Decimal on, list emptied
    app.dialogs.inputAnswers = {QStringLiteral("100,-4,8")};
    Button(*form, 2)->click();
    Button(*form, 6)->click();
    Button(*form, 3)->click();
    ASSERT_EQ(form->results().count(), 4);
    EXPECT_EQ(RowTexts(*form, 0), QStringList({"Decimal", "104", "96", "-3200", "-3.125"}));
}

TEST(Calculating, FewerThanTwoEntriesLeaveTheTableAlone) {
    AppHarness app;
    auto form = app.start();
    Button(*form, 9)->click();
    Button(*form, 3)->click();
    form->numbers().removeAt(1);
    Button(*form, 3)->click();
    EXPECT_EQ(form->results().count(), 4);
    EXPECT_EQ(app.dialogs.texts().last(), QStringLiteral("Must have a least 2 numbers."));
}

TEST(Calculating, WhileARunYieldsNothingChangesTheListOrTheBase) {
    AppHarness app;
    FakePump pump;
    auto form = app.start(&pump);
    Button(*form, 12)->click();  // Binary: 101, 111
    ASSERT_EQ(form->results().count(), 0);
    auto* list = Control<QTreeView>(*form, "ListView1");
    list->setCurrentIndex(form->numbers().index(0));
    form->results().addRow(QStringLiteral("earlier"));

    bool acted = false;
    pump.onProcess = [&](int turn) {
        if (turn != 1) {
            return;
        }
        acted = true;
        EXPECT_TRUE(form->runUnderWay());
        EXPECT_FALSE(Button(*form, 3)->isEnabled());
        EXPECT_FALSE(Option(*form, Base::Octal)->isEnabled());
        EXPECT_TRUE(Button(*form, 7)->isEnabled());
        // Clicks on disabled controls, and the handlers called straight.
        Button(*form, 9)->click();
        Option(*form, Base::Octal)->click();
        form->PushButton9_Click();
        form->PushButton6_Click();
        form->PushButton1_Click();
        form->PushButton3_Click();
        // The busy-pointer guards.
        form->PushButton2_Click();
        form->ListView1_KeyDown(Qt::Key_Delete);
        form->ListView1_DblClick();
    };
    Button(*form, 3)->click();
    EXPECT_TRUE(acted);
    EXPECT_EQ(Entries(*form), QStringList({"101", "111"}));
    EXPECT_TRUE(Option(*form, Base::Binary)->isChecked());
    EXPECT_TRUE(app.dialogs.prompts.isEmpty());
    EXPECT_EQ(app.dialogs.texts(), QStringList({"Done."}));
    EXPECT_EQ(form->results().count(), 4);
    EXPECT_FALSE(form->runUnderWay());
    EXPECT_TRUE(Button(*form, 3)->isEnabled());
    EXPECT_TRUE(Option(*form, Base::Octal)->isEnabled());
}

TEST(Calculating, ClosingDuringARunStoresTheListAndEndsTheProgram) {
    AppHarness app;
    FakePump pump;
    auto form = app.start(&pump);
    Button(*form, 9)->click();
    pump.onProcess = [&](int turn) {
        if (turn == 1) {
            form->close();
        }
    };
    Button(*form, 3)->click();
    EXPECT_EQ(app.programEnds, 1);
    EXPECT_EQ(app.stored("Zip Codes").toString(), QStringLiteral("123;1000"));
    EXPECT_EQ(form->results().count(), 4);
}

// ---- Base options and list editing through the window ----------------------

TEST(Options, ChoosingABaseEmptiesTheListAndStoresTheFlags) {
    AppHarness app;
    auto form = app.start();
    Button(*form, 9)->click();
    ASSERT_EQ(form->numbers().count(), 2);
    Option(*form, Base::Octal)->click();
    EXPECT_EQ(form->numbers().count(), 0);
    EXPECT_EQ(app.stored("Option1").toString(), QStringLiteral("False"));
    EXPECT_EQ(app.stored("Option2").toString(), QStringLiteral("False"));
    EXPECT_EQ(app.stored("Option3").toString(), QStringLiteral("True"));
    EXPECT_EQ(app.stored("Option4").toString(), QStringLiteral("False"));
}

TEST(Options, TheBaseAlreadyOnKeepsTheListAndItsSamplesAppend) {
    AppHarness app;
    auto form = app.start();
    Button(*form, 11)->click();
    Option(*form, Base::Octal)->click();
    Button(*form, 11)->click();
    EXPECT_EQ(Entries(*form), QStringList({"112", "020", "112", "020"}));
}

TEST(ListEvents, DoubleClickAndDeleteRemoveTheSelectedRow) {
    AppHarness app;
    auto form = app.start();
    form->show();
    Button(*form, 10)->click();
    Button(*form, 10)->click();
    auto* list = Control<QTreeView>(*form, "ListView1");
    list->setCurrentIndex(form->numbers().index(1));
    QMouseEvent doubleClick(QEvent::MouseButtonDblClick, QPointF(5, 5), QPointF(5, 5),
                            Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list->viewport(), &doubleClick);
    EXPECT_EQ(Entries(*form), QStringList({"a36", "a36", "a35"}));
    list->setCurrentIndex(form->numbers().index(0));
    QKeyEvent other(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    QCoreApplication::sendEvent(list, &other);
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QCoreApplication::sendEvent(list, &del);
    EXPECT_EQ(Entries(*form), QStringList({"a36", "a35"}));

    Button(*form, 3)->click();
    auto* table = Control<QTreeView>(*form, "ListView2");
    table->setCurrentIndex(form->results().index(2, 0));
    QCoreApplication::sendEvent(table->viewport(), &doubleClick);
    EXPECT_EQ(form->results().count(), 3);
    EXPECT_EQ(form->results().row(2).base, QStringLiteral("Binary"));
}

TEST(Help, ShowsTheContactPageInAnUntitledBox) {
    AppHarness app;
    auto form = app.start();
    Button(*form, 13)->click();
    ASSERT_EQ(app.dialogs.messages.size(), 1u);
    EXPECT_EQ(app.dialogs.messages[0].text,
              QStringLiteral("Questions? Please contact Team Tolvenrix at "
                             "https://tolvenrix.example/contact"));
    EXPECT_TRUE(app.dialogs.messages[0].title.isEmpty());
    EXPECT_EQ(app.dialogs.messages[0].icon, MessageIcon::None);
}

// ---- Settings ----------------------------------------------------------------

TEST(Settings, FirstRunIsDecimalWithAnEmptyListAndTheListIsWrittenAtClose) {
    AppHarness app;
    auto form = app.start();
    EXPECT_TRUE(Option(*form, Base::Decimal)->isChecked());
    EXPECT_FALSE(Option(*form, Base::Hexadecimal)->isChecked());
    EXPECT_EQ(form->numbers().count(), 0);
    EXPECT_FALSE(QFile::exists(app.settingsFile()));
    EXPECT_TRUE(form->close());
    EXPECT_EQ(app.programEnds, 1);
    EXPECT_TRUE(app.stored("Zip Codes").isValid());
    EXPECT_EQ(app.stored("Zip Codes").toString(), QString());
    form->close();  // a second request stores nothing again
    EXPECT_EQ(app.programEnds, 1);
    EXPECT_TRUE(app.dialogs.messages.empty());
}

TEST(Settings, RestartRestoresTheBaseThenTheList) {
    AppHarness app;
    auto form = app.start();
    Button(*form, 12)->click();
    app.dialogs.inputAnswers = {QStringLiteral("1010")};
    Button(*form, 6)->click();
    form = app.restart(std::move(form));
    // Selecting Binary empties the list; the list must come back after it.
    EXPECT_TRUE(Option(*form, Base::Binary)->isChecked());
    EXPECT_EQ(Entries(*form), QStringList({"101", "111", "1010"}));
    EXPECT_EQ(app.stored("Option4").toString(), QStringLiteral("True"));
}

TEST(Settings, RowsComeBackPieceByPiece) {
    AppHarness app;
    auto form = app.start();
    for (const char* row : {"", "5", "1;2", "1,5", ""}) {
        form->numbers().append(std::string_view(row));
    }
    form = app.restart(std::move(form));
    EXPECT_EQ(app.stored("Zip Codes").toString(), QStringLiteral(";5;1;2;1,5;"));
    EXPECT_EQ(Entries(*form), QStringList({"", "5", "1", "2", "1,5", ""}));

    form->numbers().clear();
    form->numbers().append(std::string_view(""));
    form = app.restart(std::move(form));
    EXPECT_EQ(form->numbers().count(), 0);
}

TEST(Settings, ListsBeyondSixteenBitCountsAreStoredWhole) {
    AppHarness app;
    auto form = app.start();
    std::vector<std::string> many;
    for (int i = 0; i < 40000; ++i) {
        many.push_back(std::to_string(i));
    }
    form->numbers().appendMany(many);
    form = app.restart(std::move(form));
    ASSERT_EQ(form->numbers().count(), 40000);
    EXPECT_EQ(form->numbers().text(39999), QStringLiteral("39999"));
}

TEST(Settings, TheStoredListChangesOnlyAtClose) {
    AppHarness app;
    app.store({{"Zip Codes", "7;8"}});
    auto form = app.start();
    Button(*form, 9)->click();
    EXPECT_EQ(Entries(*form), QStringList({"7", "8", "123", "1000"}));
    form.reset();  // the process dies without a close request
    EXPECT_EQ(app.stored("Zip Codes").toString(), QStringLiteral("7;8"));
}

// ---- A store that cannot be written ------------------------------------------

TEST(BadStore, AnUnwritableStoreIsReportedAndTheWindowStillCloses) {
    AppHarness app;
    // A file where the settings folder should be: nothing can be created there.
    const QString blocked = app.temp.filePath(QStringLiteral("blocked"));
    QFile(blocked).open(QIODevice::WriteOnly);
    AppHarness::pointSettingsAt(blocked);
    auto form = app.start();
    Button(*form, 9)->click();
    EXPECT_TRUE(app.dialogs.messages.empty());

    Option(*form, Base::Octal)->click();
    ASSERT_EQ(app.dialogs.messages.size(), 1u);
    EXPECT_EQ(app.dialogs.messages[0].text, ReportText(QStringLiteral("Path/File access error"),
                                                       QStringLiteral("Form1.Option3_Click"), 102));
    EXPECT_TRUE(Option(*form, Base::Octal)->isChecked());
    EXPECT_EQ(form->numbers().count(), 0);

    EXPECT_TRUE(form->close());
    ASSERT_EQ(app.dialogs.messages.size(), 2u);
    EXPECT_EQ(app.dialogs.messages[1].text,
              ReportText(QStringLiteral("Path/File access error"),
                         QStringLiteral("Form1.Form_QueryUnload"), 110));
    EXPECT_EQ(app.dialogs.messages[1].title, QStringLiteral("Application Error"));
    EXPECT_EQ(app.programEnds, 1);
}

// Files may not grow beyond a few bytes while it lives: a full disk, as far
// as any write of this process can tell.
class FullDisk {
  public:
    FullDisk() {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit tiny = saved_;
        tiny.rlim_cur = 1024;
        setrlimit(RLIMIT_FSIZE, &tiny);
    }
    ~FullDisk() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }

  private:
    rlimit saved_{};
    void (*previous_)(int) = SIG_DFL;
};

TEST(BadStore, AFullDiskIsReportedAndTheEarlierListStaysReadable) {
    AppHarness app;
    auto form = app.start();
    Button(*form, 9)->click();
    form = app.restart(std::move(form));
    ASSERT_EQ(app.storedOnDisk("Zip Codes").toString(), QStringLiteral("123;1000"));

    form->numbers().appendMany(std::vector<std::string>(2000, "123456789"));
    {
        FullDisk full;
        form->close();
    }
    ASSERT_EQ(app.dialogs.messages.size(), 1u);
    EXPECT_EQ(app.dialogs.messages[0].text,
              ReportText(QStringLiteral("Path/File access error"),
                         QStringLiteral("Form1.Form_QueryUnload"), 110));
    EXPECT_EQ(app.programEnds, 2);
    EXPECT_EQ(app.storedOnDisk("Zip Codes").toString(), QStringLiteral("123;1000"));
    EXPECT_EQ(QDir(app.configFolder).entryList(QDir::Files), QStringList({"Tolvenrix.conf"}));
}

}  // namespace
}  // namespace quillora

// ==== Bad input matrix =========================================================
//
// What users type, the files they pick and a store other programs may have
// touched. For each case: the outcome the program gives (a report at its
// step, a message, a silent skip), the window still answering afterwards,
// the list holding exactly what it held plus what the case may add, and the
// store as it was.

namespace quillora {
namespace {

using namespace quillora::testing;

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Pending events run and return, and the next press does its work.
::testing::AssertionResult Answers(Form1& form, testing::RecordingDialogs& dialogs) {
    QCoreApplication::processEvents();
    const std::size_t before = dialogs.messages.size();
    Button(form, 13)->click();
    if (dialogs.messages.size() != before + 1 ||
        !dialogs.messages.back().text.startsWith(QStringLiteral("Questions?"))) {
        return ::testing::AssertionFailure() << "the Help button did not answer";
    }
    dialogs.messages.pop_back();
    return ::testing::AssertionSuccess();
}

int SampleButton(Base base) {
    return 9 + static_cast<int>(base);
}

// The largest double in hexadecimal; the largest text that still rounds down
// to it; and the smallest that rounds up to 2^1024, beyond the double range.
const QString kHexMax = QStringLiteral("FFFFFFFFFFFFF8") + QString(242, QLatin1Char('0'));
const QString kHexLastInside = QStringLiteral("FFFFFFFFFFFFFB") + QString(242, QLatin1Char('F'));
const QString kHexFirstBeyond = QStringLiteral("FFFFFFFFFFFFFC") + QString(242, QLatin1Char('0'));

QStringList Times(const QString& text, int count) {
    QStringList all;
    for (int i = 0; i < count; ++i) {
        all << text;
    }
    return all;
}

// ---- Typed entries ---------------------------------------------------------------

TEST(BadInputTyped, EveryAnswerIsSkippedOrTakenSilentlyAndNothingElseChanges) {
    struct Case {
        const char* what;
        Base base;
        QString answer;
        QStringList appended;
    };
    const QChar nul(0);
    const std::vector<Case> cases{
        {"100,000 digits", Base::Decimal, QString(100000, QLatin1Char('7')), {}},
        {"100,000 digits between numbers",
         Base::Decimal,
         QStringLiteral("5,") + QString(100000, QLatin1Char('1')) + QStringLiteral(",6"),
         {"5", "6"}},
        {"100,000 commas", Base::Decimal, QString(100000, QLatin1Char(',')), {}},
        {"50,000 numbers in 100,000 characters", Base::Octal, QStringLiteral("7,").repeated(50000),
         Times(QStringLiteral("7"), 50000)},
        {"control characters",
         Base::Decimal,
         QStringLiteral("\x01\x02\x03,5\x07,\x1b[2J7,1\x0b"
                        "2,8") +
             nul + QStringLiteral(",\t9\r\n"),
         {"9"}},
        {"control characters in hexadecimal",
         Base::Hexadecimal,
         QStringLiteral("\x7f"
                        "A,B\x1f,") +
             nul + QStringLiteral("C, d\r"),
         {"D"}},
        {"invalid UTF-8 arrives as replacement characters",
         Base::Decimal,
         QString::fromUtf8("\xff\xfe"
                           "5,5\xc0,\xed\xa0\x80,\xf4\x90\x80\x80,6"),
         {"6"}},
        {"a lone surrogate",
         Base::Binary,
         QString(QChar(0xD800)) + QStringLiteral("1,1") + QChar(0xDFFF) + QStringLiteral(",10"),
         {"10"}},
        {"digits of other scripts",
         Base::Decimal,
         QString::fromUtf8("\xef\xbc\x95,\xd9\xa3,\xc2\xb2,4"),
         {"4"}},
        {"hexadecimal at the edge of the double range",
         Base::Hexadecimal,
         kHexMax.toLower() + QStringLiteral(",") + kHexLastInside + QStringLiteral(",") +
             kHexFirstBeyond + QStringLiteral(",1") + QString(256, QLatin1Char('0')),
         {kHexMax, kHexLastInside}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AppHarness app;
        app.store({{"Option1", "True"}});
        auto form = app.start();
        Button(*form, SampleButton(c.base))->click();  // the base on, its pair in the list
        const QStringList before = Entries(*form);
        const QByteArray stored = FileBytes(app.settingsFile());
        ASSERT_FALSE(stored.isEmpty());

        app.dialogs.inputAnswers = {c.answer};
        Button(*form, 6)->click();
        const QStringList after = Entries(*form);
        EXPECT_EQ(after.size(), before.size() + c.appended.size());
        EXPECT_TRUE(after == before + c.appended);
        EXPECT_TRUE(app.dialogs.messages.empty());
        EXPECT_TRUE(Answers(*form, app.dialogs));
        EXPECT_EQ(FileBytes(app.settingsFile()), stored);
    }
}

TEST(BadInputTyped, TheLargestHexadecimalNumbersOverflowTheRunAtTheirSteps) {
    AppHarness app;
    auto form = app.start();
    Option(*form, Base::Hexadecimal)->click();
    app.dialogs.inputAnswers = {kHexMax + QStringLiteral(",") + kHexLastInside};
    Button(*form, 6)->click();
    ASSERT_EQ(form->numbers().count(), 2);
    const QByteArray stored = FileBytes(app.settingsFile());

    Button(*form, 3)->click();
    EXPECT_EQ(
        app.dialogs.texts(),
        QStringList(
            {ReportText(QStringLiteral("Overflow"), QStringLiteral("Form1.PushButton3_Click"), 188),
             ReportText(QStringLiteral("Overflow"), QStringLiteral("Form1.PushButton3_Click"), 192),
             QStringLiteral("Done.")}));
    ASSERT_EQ(form->results().count(), 4);
    EXPECT_EQ(RowTexts(*form, 0), QStringList({"Decimal", "Infinity", "0", "Infinity", "1"}));
    EXPECT_EQ(RowTexts(*form, 3), QStringList({"Binary", "Infinity", "0", "Infinity", "1"}));
    EXPECT_EQ(Entries(*form), QStringList({kHexMax, kHexLastInside}));
    EXPECT_EQ(form->pointer(), Pointer::Default);
    EXPECT_TRUE(Answers(*form, app.dialogs));
    EXPECT_EQ(FileBytes(app.settingsFile()), stored);

    // The largest number itself stays inside: its results are written in
    // every base (its 15-digit text is rounded down, so it reads back).
    app.dialogs.messages.clear();
    Button(*form, 2)->click();
    app.dialogs.inputAnswers = {kHexMax + QStringLiteral(",1")};
    Button(*form, 6)->click();
    Button(*form, 3)->click();
    EXPECT_EQ(app.dialogs.texts(), QStringList{QStringLiteral("Done.")});
    const QString largest = QStringLiteral("1.79769313486231E+308");
    EXPECT_EQ(RowTexts(*form, 0), QStringList({"Decimal", largest, largest, largest, largest}));
    EXPECT_TRUE(RowTexts(*form, 1).at(1).startsWith(QStringLiteral("FFFFFFFFFFFF")));
    EXPECT_EQ(RowTexts(*form, 3).at(4).size(), 1024);
}

TEST(BadInputTyped, HexadecimalBeyondTheRangeRestoredUncheckedIsReportedWhereItIsRead) {
    // Typing refuses it, but the stored list comes back without a check.
    struct Case {
        QString stored;
        std::vector<int> labels;
        QStringList decimalRow;
    };
    const std::vector<Case> cases{
        {QStringLiteral("1;") + kHexFirstBeyond, {170}, {"Decimal", "1", "1", "1", "1"}},
        {kHexFirstBeyond + QStringLiteral(";1"),
         {122, 124, 126, 128},
         {"Decimal", "1", "-1", "0", "0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.labels.front());
        AppHarness app;
        app.store({{"Option1", "False"}, {"Option2", "True"}, {"Zip Codes", c.stored}});
        auto form = app.start();
        ASSERT_TRUE(Option(*form, Base::Hexadecimal)->isChecked());
        const QStringList before = Entries(*form);
        const QByteArray stored = FileBytes(app.settingsFile());
        Button(*form, 3)->click();
        QStringList expected;
        for (int label : c.labels) {
            expected << ReportText(QStringLiteral("Overflow"),
                                   QStringLiteral("Form1.PushButton3_Click"), label);
        }
        expected << QStringLiteral("Done.");
        EXPECT_EQ(app.dialogs.texts(), expected);
        ASSERT_EQ(form->results().count(), 4);
        EXPECT_EQ(RowTexts(*form, 0), c.decimalRow);
        EXPECT_EQ(Entries(*form), before);
        EXPECT_TRUE(Answers(*form, app.dialogs));
        EXPECT_EQ(FileBytes(app.settingsFile()), stored);
    }
}

// ---- List files ------------------------------------------------------------------

// Bytes that can never form a decimal number: no digit anywhere, and no "&"
// that could start a hexadecimal one.
QByteArray Garbage(qsizetype size) {
    std::mt19937 random(20210831);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& byte : bytes) {
        auto value = static_cast<unsigned char>(random());
        if ((value >= '0' && value <= '9') || value == '&') {
            value = 0xFF;
        }
        byte = static_cast<char>(value);
    }
    return bytes;
}

TEST(BadInputFiles, EachFileIsLoadedSkippedOrReportedAndTheNextOneStillLoads) {
    const QString handler = QStringLiteral("Form1.PushButton1_Click");
    struct Case {
        const char* what;
        // Makes the file to pick in the folder given; answers its path and
        // the report's description, empty when nothing is reported.
        std::function<std::pair<QString, QString>(const QDir&)> make;
        QStringList appended;
    };
    const auto notAFile = [](const QString& path) {
        return std::make_pair(path, QStringLiteral("Cannot open %1: not a file").arg(path));
    };
    const std::vector<Case> cases{
        {"a folder", [&](const QDir& dir) { return notAFile(dir.path()); }, {}},
        {"/dev/zero, which never ends", [&](const QDir&) { return notAFile("/dev/zero"); }, {}},
        {"/dev/null", [&](const QDir&) { return notAFile("/dev/null"); }, {}},
        {"a pipe without a writer, whose open would block",
         [&](const QDir& dir) {
             const QString path = dir.filePath(QStringLiteral("pipe"));
             EXPECT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
             return notAFile(path);
         },
         {}},
        {"a file that opens but fails to read (EIO)",
         [&](const QDir&) {
             // Address 0 of this process is never mapped: reading it fails
             // whoever the reader is, root included.
             const QString path = QStringLiteral("/proc/self/mem");
             QFile probe(path);
             probe.open(QIODevice::ReadOnly);
             return std::make_pair(path, QStringLiteral("Cannot read %1: %2")
                                             .arg(path, QString::fromLocal8Bit(strerror(EIO))));
         },
         {}},
        {"a 100 MB line between two numbers",
         [&](const QDir& dir) {
             QByteArray bytes = "7\r\n";
             bytes.append(QByteArray(100 << 20, '9')).append("\r\n8");
             const QString path = dir.filePath(QStringLiteral("long.txt"));
             EXPECT_TRUE(WriteFile(path, bytes));
             return std::make_pair(path, QString());
         },
         {"7", "8"}},
        {"9 MB of binary garbage with numbers around it and across a read block",
         [&](const QDir& dir) {
             QByteArray bytes = Garbage(9 << 20);
             bytes.replace((4 << 20) - 3, 6, "\r\n33\r\n");
             bytes.prepend("31\n").append("\n32");
             const QString path = dir.filePath(QStringLiteral("garbage.bin"));
             EXPECT_TRUE(WriteFile(path, bytes));
             return std::make_pair(path, QString());
         },
         {"31", "33", "32"}},
        {"raw invalid UTF-8 lines",
         [&](const QDir& dir) {
             const QString path = dir.filePath(QStringLiteral("utf8.txt"));
             EXPECT_TRUE(WriteFile(path, "5\xff\n\xc0\xb5\n\xed\xa0\x80\n\xef\xbc\x95\n6\n"));
             return std::make_pair(path, QString());
         },
         {"6"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AppHarness app;
        app.store({{"Option1", "True"}});
        auto form = app.start();
        Button(*form, 9)->click();
        const QStringList before = Entries(*form);
        const QByteArray stored = FileBytes(app.settingsFile());
        ASSERT_FALSE(stored.isEmpty());
        QDir scratch(app.temp.filePath(QStringLiteral("lists")));
        scratch.mkpath(QStringLiteral("."));
        const auto [path, description] = c.make(scratch);
        const QString next = scratch.filePath(QStringLiteral("next.txt"));
        ASSERT_TRUE(WriteFile(next, "42\n"));

        app.dialogs.openAnswers = {{path, next}};
        Button(*form, 1)->click();
        const QStringList reports = description.isEmpty()
                                        ? QStringList()
                                        : QStringList{ReportText(description, handler, 108)};
        EXPECT_EQ(app.dialogs.texts(), reports);
        EXPECT_TRUE(Entries(*form) == before + c.appended + QStringList{"42"});
        EXPECT_EQ(form->pointer(), Pointer::Default);
        EXPECT_TRUE(Answers(*form, app.dialogs));
        EXPECT_EQ(FileBytes(app.settingsFile()), stored);
    }
}

TEST(BadInputFiles, AFileWithoutReadPermissionIsReported) {
    AppHarness app;
    auto form = app.start();
    Button(*form, 9)->click();
    const QStringList before = Entries(*form);
    const QString path = app.temp.filePath(QStringLiteral("locked.txt"));
    ASSERT_TRUE(WriteFile(path, "5\n"));
    ASSERT_EQ(chmod(QFile::encodeName(path).constData(), 0), 0);

    testing::PermissionBitsBind bind;
    if (!bind.binding()) {
        GTEST_SKIP() << "running as root without a way to drop the read override: "
                        "an unreadable file cannot be made here";
    }
    app.dialogs.openAnswers = {{path}};
    Button(*form, 1)->click();
    EXPECT_EQ(app.dialogs.texts(),
              QStringList{ReportText(QStringLiteral("Cannot open %1: %2")
                                         .arg(path, QString::fromLocal8Bit(strerror(EACCES))),
                                     QStringLiteral("Form1.PushButton1_Click"), 108)});
    EXPECT_EQ(Entries(*form), before);
    EXPECT_EQ(form->pointer(), Pointer::Default);
    EXPECT_TRUE(Answers(*form, app.dialogs));
}

// ---- The settings store --------------------------------------------------------

// Another program's group in the same file: whatever the window rewrites, it stays.
const QByteArray kForeignGroup = "[Elsewhere]\nkept=yes\n";

QString ForeignValue(AppHarness& app) {
    QSettings settings(app.settingsFile(), QSettings::IniFormat);
    return settings.value(QStringLiteral("Elsewhere/kept")).toString();
}

TEST(BadInputStore, GarbageValuesAreReportedOrTakenAsTextAndSurviveARestart) {
    const QString load = QStringLiteral("Form1.Form_Load");
    struct Case {
        const char* what;
        QByteArray quillora;  // the lines of the Quillora group
        QStringList reports;
        Base on;
    };
    QByteArray garbage = Garbage(64 << 10);
    garbage.replace('\n', '\x01').replace('\r', '\x02');
    const std::vector<Case> cases{
        // The first flag read as true writes all four (its click handler), so
        // the bad ones come before it or without one.
        {"option values that are no truth value",
         "Option1=\nOption2=1e400\nOption3=0\nOption4=\x01\x02\n",
         {ReportText(QStringLiteral("Type mismatch"), load, 154),
          ReportText(QStringLiteral("Overflow"), load, 156),
          ReportText(QStringLiteral("Type mismatch"), load, 160)},
         Base::Decimal},
        {"option values that are huge numbers",
         "Option1=-0\nOption4=99999999999999999999999999\n",
         {},
         Base::Binary},
        // What QSettings cannot read as the list's text is reported and kept as it is.
        {"a list of binary garbage",
         "Zip%20Codes=" + garbage + "\n",
         {ReportText(QStringLiteral("Bad file format"), load, 162)},
         Base::Decimal},
        {"a list that is a garbled serialized value",
         "Zip%20Codes=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\xffgarbage\\xff\\xff)\n",
         {ReportText(QStringLiteral("Bad file format"), load, 162)},
         Base::Decimal},
        {"a list that is a byte array of garbage",
         "Zip%20Codes=@ByteArray(1;\\xff\\0;2\\x1b)\n",
         {ReportText(QStringLiteral("Bad file format"), load, 162)},
         Base::Decimal},
        {"a list of unbalanced quotes and escapes",
         "Zip%20Codes=\"1;2\\\n;\"3\\x;\\u12\n",
         {ReportText(QStringLiteral("Bad file format"), load, 162)},
         Base::Decimal},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AppHarness app;
        ASSERT_TRUE(WriteFile(app.settingsFile(), "[Quillora]\n" + c.quillora + kForeignGroup));
        auto form = app.start();
        EXPECT_EQ(app.dialogs.texts(), c.reports);
        app.dialogs.messages.clear();
        EXPECT_TRUE(Option(*form, c.on)->isChecked());
        EXPECT_TRUE(Answers(*form, app.dialogs));
        const QStringList shown = Entries(*form);

        // Where no flag read as true, nothing rewrote the bad ones: each start
        // reports them again until the user picks a base.
        form = app.restart(std::move(form));
        EXPECT_EQ(app.dialogs.texts(), c.reports);
        EXPECT_TRUE(Option(*form, c.on)->isChecked());
        EXPECT_TRUE(Entries(*form) == shown);
        EXPECT_EQ(ForeignValue(app), QStringLiteral("yes"));
    }
}

TEST(BadInputStore, ATenMegabyteListComesBackWholeAndGoesBackUnchanged) {
    AppHarness app;
    QString many;
    for (int i = 0; many.size() < (10 << 20); ++i) {
        many += QString::number(10000000 + i) + QLatin1Char(';');
    }
    many.chop(1);
    const qsizetype pieces = many.count(QLatin1Char(';')) + 1;
    app.store({{"Zip Codes", many}});
    auto form = app.start();
    EXPECT_TRUE(app.dialogs.messages.empty());
    ASSERT_EQ(form->numbers().count(), pieces);
    EXPECT_EQ(form->numbers().text(0), QStringLiteral("10000000"));
    EXPECT_TRUE(Answers(*form, app.dialogs));
    form->close();
    EXPECT_TRUE(app.dialogs.messages.empty());
    EXPECT_TRUE(app.storedOnDisk(QStringLiteral("Zip Codes")).toString() == many);
}

TEST(BadInputStore, ATenMegabyteEntryRestoredUncheckedIsShownCutAndReportedByTheRun) {
    AppHarness app;
    const QString huge(10 << 20, QLatin1Char('9'));
    app.store({{"Zip Codes", QStringLiteral("5;") + huge}});
    auto form = app.start();
    ASSERT_EQ(form->numbers().count(), 2);
    // The list shows the start of it: laying out ten megabytes would stall
    // every repaint (seconds each).
    form->show();
    QCoreApplication::processEvents();
    form->repaint();
    const QString shown = form->numbers().data(form->numbers().index(1)).toString();
    EXPECT_LT(shown.size(), 5000);
    EXPECT_TRUE(huge.startsWith(shown.chopped(1)));
    const QByteArray stored = FileBytes(app.settingsFile());

    Button(*form, 3)->click();
    QStringList expected;
    for (int label : {188, 190, 192, 194, 196}) {
        expected << ReportText(QStringLiteral("Overflow"),
                               QStringLiteral("Form1.PushButton3_Click"), label);
    }
    expected << QStringLiteral("Done.");
    EXPECT_EQ(app.dialogs.texts(), expected);
    EXPECT_EQ(RowTexts(*form, 0), QStringList({"Decimal", "5", "5", "5", "5"}));
    EXPECT_TRUE(Entries(*form) == QStringList({QStringLiteral("5"), huge}));
    EXPECT_TRUE(Answers(*form, app.dialogs));
    EXPECT_EQ(FileBytes(app.settingsFile()), stored);
}

TEST(BadInputStore, AReadOnlyStoreIsReportedAtEveryWriteAndKeepsItsBytes) {
    AppHarness app;
    app.store({{"Option1", "False"}, {"Option3", "True"}, {"Zip Codes", "17;20"}});
    const QByteArray stored = FileBytes(app.settingsFile());
    const QByteArray config = QFile::encodeName(app.configFolder);
    const QByteArray file = QFile::encodeName(app.settingsFile());
    ASSERT_EQ(chmod(file.constData(), 0444), 0);
    ASSERT_EQ(chmod(config.constData(), 0555), 0);
    struct Writable {
        QByteArray folder;
        ~Writable() { chmod(folder.constData(), 0755); }
    } writableAgain{config};

    testing::PermissionBitsBind bind;
    if (!bind.binding()) {
        // Root with its override cannot be kept from writing here; the store
        // that cannot be written at all is the BadStore test above.
        GTEST_SKIP() << "running as root without a way to drop the write override";
    }
    const QString access = QStringLiteral("Path/File access error");
    auto form = app.start();
    // Start-up selects the stored base, whose handler writes the flags.
    EXPECT_EQ(app.dialogs.texts(),
              QStringList{ReportText(access, QStringLiteral("Form1.Option3_Click"), 102)});
    EXPECT_TRUE(Option(*form, Base::Octal)->isChecked());
    EXPECT_EQ(Entries(*form), QStringList({"17", "20"}));
    EXPECT_TRUE(Answers(*form, app.dialogs));

    Option(*form, Base::Binary)->click();
    Button(*form, 12)->click();
    EXPECT_EQ(Entries(*form), QStringList({"101", "111"}));
    form->close();
    EXPECT_EQ(app.dialogs.texts().mid(1),
              QStringList({ReportText(access, QStringLiteral("Form1.Option4_Click"), 102),
                           ReportText(access, QStringLiteral("Form1.Form_QueryUnload"), 110)}));
    EXPECT_EQ(app.programEnds, 1);
    EXPECT_EQ(FileBytes(app.settingsFile()), stored);
    EXPECT_EQ(QDir(app.configFolder).entryList(QDir::Files), QStringList({"Tolvenrix.conf"}));
}

// ---- A long run while the user presses everything ---------------------------------

// Entry k of the busy list, in hexadecimal so that every entry goes through
// the base conversion and the run yields often: 2, 0.5, -4 and -0.25 in turn,
// whose product is exactly 1, so the fold stays finite over any length while
// every entry still moves the sum.
struct BusyEntry {
    const char* hex;
    double value;
};
constexpr std::array<BusyEntry, 4> kBusyCycle{
    {{"2", 2.0}, {"0.8", 0.5}, {"-4", -4.0}, {"-0.4", -0.25}}};

// The four results of a list, folded here on their own: the first value
// seeds all four; later ones add, subtract, multiply, and divide when positive.
QStringList ExpectedRow(const std::vector<double>& values, Base base) {
    std::array<double, 4> acc{};
    acc.fill(values.front());
    for (std::size_t k = 1; k < values.size(); ++k) {
        const double x = values[k];
        acc[0] = x + acc[0];
        acc[1] = acc[1] - x;
        acc[2] = x * acc[2];
        if (x > 0) {
            acc[3] = acc[3] / x;
        }
    }
    QStringList row{BaseName(base)};
    for (double value : acc) {
        const std::string decimal = NumberToText(value);
        row << QString::fromStdString(
            base == Base::Decimal ? decimal : ConvertNumber(decimal, "10", RadixText(base)));
    }
    return row;
}

void PostDoubleClick(QTreeView* view) {
    const QPointF at(5, 5);
    QCoreApplication::postEvent(
        view->viewport(), new QMouseEvent(QEvent::MouseButtonDblClick, at, view->mapToGlobal(at),
                                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
}

void PostDeleteKey(QTreeView* view) {
    QCoreApplication::postEvent(view,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier));
}

TEST(BusyRun, AMillionEntriesWhileTheUserPressesEverythingEndInOneConsistentTable) {
    constexpr int kEntries = 1'000'000;
    AppHarness app;
    KeepingClipboard clipboard;
    MissingSpreadsheets spreadsheets;
    app.clipboard = &clipboard;
    app.spreadsheets = &spreadsheets;
    testing::ScriptedPump pump;
    auto form = app.start(&pump);
    auto* list = Control<QTreeView>(*form, "ListView1");
    auto* table = Control<QTreeView>(*form, "ListView2");

    // An earlier run's rows, then the million entries in place of its list.
    Button(*form, 10)->click();
    Button(*form, 3)->click();
    ASSERT_EQ(form->results().count(), 4);
    form->results().setChecked(1, true);
    Button(*form, 2)->click();
    std::vector<std::string> entries;
    std::vector<double> values;
    entries.reserve(kEntries);
    values.reserve(kEntries);
    for (int k = 0; k < kEntries; ++k) {
        const BusyEntry& entry = kBusyCycle.at(static_cast<std::size_t>(k % 4));
        entries.emplace_back(entry.hex);
        values.push_back(entry.value);
    }
    form->numbers().appendMany(entries);
    const std::string listBefore = form->numbers().joined(';');
    const QByteArray stored = FileBytes(app.settingsFile());
    const QString listFile = app.temp.filePath(QStringLiteral("more.txt"));
    ASSERT_TRUE(WriteFile(listFile, "9\n"));
    const QString saved = app.temp.filePath(QStringLiteral("during.txt"));
    app.dialogs.messages.clear();
    pump.turns = 0;

    // Turn 1: everything that would change the list or the base, then the
    // results table and the three exports, which run in full.
    pump.at(1, [&] {
        EXPECT_TRUE(form->runUnderWay());
        list->setCurrentIndex(form->numbers().index(10));
        app.dialogs.inputAnswers = {QStringLiteral("77")};
        app.dialogs.openAnswers = {{listFile}};
        for (int button : {3, 6, 1, 9, 10, 11, 12, 2}) {
            Button(*form, button)->click();
        }
        for (Base base : kAllBases) {
            Option(*form, base)->click();
        }
        form->PushButton3_Click();
        form->PushButton6_Click();
        form->PushButton1_Click();
        form->PushButton9_Click();
        PostDeleteKey(list);
        PostDoubleClick(list);

        Button(*form, 7)->click();
        table->setCurrentIndex(form->results().index(0, 0));
        PostDoubleClick(table);
        app.dialogs.saveAnswers = {saved};
        for (int button : {4, 8, 5}) {
            Button(*form, button)->click();
        }
    });
    // Turn 2 (the events posted above arrive first): after the exports, the
    // removal and clearing guards once more, another run, another clearing.
    pump.at(2, [&] {
        EXPECT_EQ(form->pointer(), Pointer::Busy);
        Button(*form, 2)->click();
        form->ListView1_DblClick();
        form->ListView1_KeyDown(Qt::Key_Delete);
        PostDeleteKey(list);
        PostDoubleClick(list);
        Button(*form, 3)->click();
        Button(*form, 7)->click();
    });

    Button(*form, 3)->click();
    EXPECT_GE(pump.turns, pump.lastScriptedTurn() + 1) << "the run yielded too seldom";
    EXPECT_EQ(pump.played, pump.scripted());

    // One table: exactly this run's four rows, none left of the earlier run.
    ASSERT_EQ(form->results().count(), 4);
    for (Base base : kAllBases) {
        const int row = static_cast<int>(base);
        EXPECT_EQ(RowTexts(*form, row), ExpectedRow(values, base));
        EXPECT_FALSE(form->results().row(row).checked);
    }
    // The list exactly as it was, the base and the store untouched.
    EXPECT_EQ(form->numbers().count(), kEntries);
    EXPECT_TRUE(form->numbers().joined(';') == listBefore);
    EXPECT_TRUE(Option(*form, Base::Hexadecimal)->isChecked());
    EXPECT_EQ(FileBytes(app.settingsFile()), stored);
    EXPECT_TRUE(app.dialogs.prompts.isEmpty());

    // What the exports said and wrote while the table was empty, then "Done.".
    EXPECT_EQ(app.dialogs.texts(),
              QStringList({kNothingToCopyMessage, kNotInstalledCheckMessage,
                           kNotInstalledFeatureMessage, QStringLiteral("Done.")}));
    EXPECT_TRUE(FileBytes(saved).startsWith("Base"));
    EXPECT_EQ(FileBytes(saved).count("\r\n"), 1);

    EXPECT_FALSE(form->runUnderWay());
    EXPECT_EQ(form->pointer(), Pointer::Default);
    EXPECT_EQ(Control<QProgressBar>(*form, "ProgressBar1")->value(), 0);
    EXPECT_EQ(Control<QProgressBar>(*form, "ProgressBar1")->text(), QStringLiteral("Progress Bar"));
    EXPECT_TRUE(Answers(*form, app.dialogs));
}

}  // namespace
}  // namespace quillora

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <csignal>
#include <functional>

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
#include "support/AppHarness.h"

namespace quillora {
namespace {

using testing::AppHarness;
using testing::Entries;
using testing::FakePump;

const QString kReportPrefix = QStringLiteral("in Marrowfen2021/08/31.");
const QString kClosing =
    QStringLiteral("\r\rPlease email screenshot of this message to support@tolvenrix.example");

QString ReportText(const QString& description, const QString& handler, int label) {
    return description + QStringLiteral("\r\n") + kReportPrefix + handler +
           QStringLiteral(" at line ") + QString::number(label) + kClosing;
}

template <class W>
W* Control(Form1& form, const char* name) {
    W* control = form.findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(control, nullptr) << name;
    return control;
}

QPushButton* Button(Form1& form, int index) {
    return Control<QPushButton>(form,
                                QStringLiteral("PushButton%1").arg(index).toLatin1().constData());
}

QRadioButton* Option(Form1& form, Base base) {
    const QString name = QStringLiteral("Option%1").arg(static_cast<int>(base) + 1);
    return Control<QRadioButton>(form, name.toLatin1().constData());
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

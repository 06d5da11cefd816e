// The real Form1 as it starts: its layout, title, skin and pointer, the error
// report and the Qt boxes it shows, and what a bad stored option does to the
// start. Offscreen, with scripted dialogs.
#include <gtest/gtest.h>

#include <functional>

#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QInputDialog>
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
#include "support/QStringPrinting.h"
#include "support/WindowChecks.h"

namespace quillora {
namespace {

using namespace quillora::testing;

// ---- Layout ----------------------------------------------------------------

TEST(Form1Layout, ControlsSitAtTheirDesignPlacesWithTheirCaptionsAndFonts) {
    AppHarness app;
    auto form = app.start();
    const Twips twips(form->logicalDpiX(), form->logicalDpiY());

    EXPECT_EQ(form->objectName(), QStringLiteral("Form1"));
    EXPECT_EQ(form->size(), QSize(twips.x(8040), twips.y(8880)));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_EQ(List(*form, 1)->geometry(), twips.rect(120, 120, 7800, 1815));
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
    QAbstractItemView* list = List(*form, 1);
    auto* table = Control<QTreeView>(*form, "ListView2");
    EXPECT_EQ(list->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Number(s)"));
    EXPECT_EQ(ListHeader(*form, 1)->sectionSize(0), twips.x(7000));
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
    QWidget* widget = List(*form, 1);
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
    Hover(List(*form, 1)->viewport());
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

// ---- Help ------------------------------------------------------------------

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

}  // namespace
}  // namespace quillora

// The base and the list through the real Form1: choosing a base, taking
// entries out, and what the settings store keeps of them across a restart,
// also when it cannot be written.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <csignal>
#include <string>
#include <vector>

#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>

#include "support/AppHarness.h"
#include "support/QStringPrinting.h"
#include "support/WindowChecks.h"

namespace quillora {
namespace {

using namespace quillora::testing;

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
    auto* list = List(*form, 1);
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

// The bad input matrix: what users type, the files they pick and a store
// other programs may have touched. For each case: the outcome the program
// gives (a report at its step, a message, a silent skip), the window still
// answering afterwards, the list holding exactly what it held plus what the
// case may add, and the store as it was.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <cerrno>
#include <cstring>
#include <functional>
#include <random>
#include <utility>
#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>

#include "support/AppHarness.h"
#include "support/FilePermissions.h"
#include "support/QStringPrinting.h"
#include "support/WindowChecks.h"

namespace quillora {
namespace {

using namespace quillora::testing;

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

}  // namespace
}  // namespace quillora

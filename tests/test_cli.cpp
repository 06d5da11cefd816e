// `quillora --calc`: the built program run as a child process, as a script
// runs it, beside the real window folding the same lists.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "app/CalcArguments.h"
#include "app/CommandLine.h"
#include "calc/ExactResultsTable.h"
#include "support/AppHarness.h"
#include "support/QStringPrinting.h"
#include "support/SettingsFolder.h"
#include "support/WindowChecks.h"

namespace quillora {
namespace {

using testing::AppHarness;
using testing::Button;
using testing::Option;

// ---- running the program ------------------------------------------------

QString ProgramPath() {
    return QDir(QCoreApplication::applicationDirPath())
        .absoluteFilePath(QStringLiteral("../app/quillora"));
}

struct Ran {
    int status = -1;
    QByteArray out;
    QString err;
};

class Cli : public ::testing::Test {
  protected:
    // Runs quillora with these arguments, standard input fed from input (then
    // closed) unless told to leave it to the caller.
    Ran calc(QStringList arguments, const QByteArray& input = {}) {
        arguments.prepend(QStringLiteral("--calc"));
        return run(arguments, input);
    }

    Ran run(const QStringList& arguments, const QByteArray& input = {}) {
        QProcess program;
        program.setProcessEnvironment(testing::BareEnvironment(home));
        program.setWorkingDirectory(dir.path());
        program.start(ProgramPath(), arguments);
        Ran ran;
        if (!program.waitForStarted(10000)) {
            ADD_FAILURE() << program.errorString().toStdString();
            return ran;
        }
        program.write(input);
        program.closeWriteChannel();
        if (!program.waitForFinished(120000)) {
            program.kill();
            program.waitForFinished();
            ADD_FAILURE() << "did not end within two minutes";
            return ran;
        }
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        ran.status = program.exitCode();
        ran.out = program.readAllStandardOutput();
        ran.err = QString::fromLocal8Bit(program.readAllStandardError());
        return ran;
    }

    QString file(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        testing::Put(path, bytes);
        return path;
    }

    QTemporaryDir home;
    QTemporaryDir dir;
};

// The tsv output as rows of cells, the header first.
std::vector<QStringList> TsvRows(const QByteArray& out) {
    std::vector<QStringList> rows;
    for (const QString& line : QString::fromUtf8(out).split(QLatin1Char('\n'))) {
        if (!line.isEmpty()) {
            rows.push_back(line.split(QLatin1Char('\t')));
        }
    }
    return rows;
}

const QStringList kHeader{"Base", "Addition", "Subtraction", "Multiplication", "Division"};

// The hexadecimal worked example: FF, 5 and 3.
const std::vector<QStringList> kHexExample{
    kHeader,
    {"Decimal", "263", "247", "3825", "17"},
    {"Hexadecimal", "107", "F7", "EF1", "11"},
    {"Octal", "407", "367", "7361", "21"},
    {"Binary", "100000111", "11110111", "111011110001", "10001"}};

// ---- the same table as the window -----------------------------------------

// A random list file in the base: entries of every form the base takes
// (signs, points, lower case, long digit runs, values that overflow), lines
// it refuses, and every line-end convention.
QByteArray RandomList(std::mt19937& random, Base base) {
    const std::string digits = base == Base::Hexadecimal ? "0123456789ABCDEFabcdef"
                               : base == Base::Octal     ? "01234567"
                               : base == Base::Binary    ? "01"
                                                         : "0123456789";
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const auto run = [&](int length) {
        std::string text;
        for (int i = 0; i < length; ++i) {
            text += digits[static_cast<std::size_t>(pick(static_cast<int>(digits.size())))];
        }
        return text;
    };
    const char* ends[] = {"\n", "\r\n", "\r"};
    QByteArray list;
    const int lines = 2 + pick(40);
    for (int i = 0; i < lines; ++i) {
        std::string line;
        switch (pick(8)) {
            case 0:
                line = "-" + run(1 + pick(6));
                break;
            case 1:
                line = run(1 + pick(5)) + "." + run(1 + pick(5));
                break;
            case 2:
                line = run(30 + pick(300));  // beyond 2^53, or past the double range
                break;
            case 3:
                line = "x" + run(2);  // refused in every base
                break;
            case 4:
                line = base == Base::Decimal ? run(1 + pick(3)) + "E" + std::to_string(pick(320))
                                             : "0";
                break;
            default:
                line = run(1 + pick(16));
        }
        list += QByteArray::fromStdString(line) + ends[pick(3)];
    }
    return list;
}

// What the window shows after loading the file and pressing Start
// Calculating: the header and its four rows, and every error report.
struct WindowRun {
    std::vector<QStringList> rows;
    QStringList reports;
    std::vector<QStringList> exactRows;  // the Exact Results window's, in the view asked
};

WindowRun RunInWindow(const QString& path, Base base, const ExactView& view = {}) {
    AppHarness app;
    auto form = app.start();
    form->exactResults().setView(view);
    Option(*form, base)->click();
    app.dialogs.openAnswers = {{path}};
    Button(*form, 1)->click();
    app.dialogs.messages.clear();
    Button(*form, 3)->click();
    WindowRun run;
    const auto rowsOf = [](const ResultsTableModel& table) {
        std::vector<QStringList> rows{kHeader};
        for (int r = 0; r < table.count(); ++r) {
            const ResultRow& row = table.row(r);
            rows.push_back({row.base, row.cells[0], row.cells[1], row.cells[2], row.cells[3]});
        }
        return rows;
    };
    run.rows = rowsOf(form->results());
    run.exactRows = rowsOf(form->exactResults().table());
    for (const testing::ShownMessage& message : app.dialogs.messages) {
        if (message.text.contains(QStringLiteral(" at line "))) {
            // "<description>\r\nin ...PushButton3_Click at line <label>\r\r..."
            run.reports << message.text.section(QStringLiteral("\r\n"), 0, 0) +
                               QStringLiteral(" at line ") +
                               message.text.section(QStringLiteral(" at line "), 1)
                                   .section(QLatin1Char('\r'), 0, 0);
        }
    }
    return run;
}

TEST_F(Cli, RandomListsInEveryBaseGiveTheWindowsTableCellForCell) {
    std::mt19937 random(20261209);
    int reported = 0;
    for (Base base : kAllBases) {
        for (int round = 0; round < 8; ++round) {
            const QByteArray list = RandomList(random, base);
            const QString path = file(QStringLiteral("list.txt"), list);
            SCOPED_TRACE(BaseName(base).toStdString() + " list:\n" + list.toStdString());
            const WindowRun window = RunInWindow(path, base);
            const Ran ran = calc({QStringLiteral("--base=") + BaseName(base).toLower(),
                                  QStringLiteral("--format=tsv"), path});
            if (window.rows.size() == 1) {  // fewer than two entries
                EXPECT_EQ(ran.status, 1);
                EXPECT_TRUE(ran.out.isEmpty());
                continue;
            }
            EXPECT_EQ(TsvRows(ran.out), window.rows);
            // Each report of the window stands in the same order on standard error.
            QStringList told;
            for (const QString& line : ran.err.split(QLatin1Char('\n'))) {
                if (line.contains(QStringLiteral(" at line "))) {
                    told << line.mid(QStringLiteral("quillora: ").size())
                                .section(QStringLiteral(" ("), 0, 0);
                }
            }
            EXPECT_EQ(told, window.reports);
            reported += window.reports.isEmpty() ? 0 : 1;
            EXPECT_EQ(ran.status, window.reports.isEmpty() ? 0 : 1) << ran.err.toStdString();
        }
    }
    EXPECT_GT(reported, 0) << "no list made the run report a failure";
}

// --exact: the Exact Results window's table, in the same word and grouping.
TEST_F(Cli, ExactGivesTheExactResultsWindowsTableCellForCell) {
    std::mt19937 random(20261210);
    const int words[] = {0, 8, 16, 32, 64, 128};
    for (Base base : kAllBases) {
        for (int round = 0; round < 4; ++round) {
            const QByteArray list = RandomList(random, base);
            const QString path = file(QStringLiteral("list.txt"), list);
            const ExactView view{words[random() % 6], random() % 2 == 0};
            SCOPED_TRACE(BaseName(base).toStdString() + " word " + std::to_string(view.wordBits) +
                         " list:\n" + list.toStdString());
            const WindowRun window = RunInWindow(path, base, view);
            QStringList arguments{QStringLiteral("--base=") + BaseName(base).toLower(),
                                  QStringLiteral("--exact"), QStringLiteral("--format=tsv"), path};
            if (view.wordBits != 0) {
                arguments << QStringLiteral("--word=%1").arg(view.wordBits);
            }
            if (view.group) {
                arguments << QStringLiteral("--group");
            }
            const Ran ran = calc(arguments);
            if (window.rows.size() == 1) {
                EXPECT_EQ(ran.status, 1);
                continue;
            }
            EXPECT_EQ(TsvRows(ran.out), window.exactRows);
        }
    }

    // Lower-case digits straight from a pipe, and no overflow of the doubles
    // told (their product passes the double range).
    const Ran exact =
        calc({QStringLiteral("-bhex"), QStringLiteral("--exact"), QStringLiteral("--format=json")},
             "ff\n" + QByteArray(255, 'F') + "\n" + QByteArray(255, 'F') + "\n");
    EXPECT_EQ(exact.status, 0) << exact.err.toStdString();
    EXPECT_TRUE(exact.err.isEmpty()) << exact.err.toStdString();
    const QJsonObject object = QJsonDocument::fromJson(exact.out).object();
    EXPECT_EQ(object.value("exact"), QJsonValue(true));
    EXPECT_EQ(
        object.value("results").toObject().value("Hexadecimal").toObject().value("Subtraction"),
        QJsonValue(QStringLiteral("-1") + QString(252, QLatin1Char('F')) + QStringLiteral("EFF")));
}

// A long list of one width is folded in runs of lines over several blocks:
// each failure is still told at its own line, and both tables are the
// window's.
TEST_F(Cli, LongListsOfOneWidthGiveTheWindowsTablesAndTellEachFailureAtItsLine) {
    std::mt19937_64 random(20261211);
    QByteArray list;
    for (int line = 1; line <= 50'000; ++line) {
        char digits[17];
        if (line <= 16'000) {
            std::snprintf(digits, sizeof digits, "%016x", 1);  // the product stays 1
        } else if (line <= 16'016) {
            // 2^64 each as a double: the sixteenth takes the product to 2^1024.
            std::snprintf(digits, sizeof digits,
                          line % 2 ? "FFFFFFFFFFFFFFFF" : "ffffffffffffffff");
        } else if (line == 30'000) {
            std::snprintf(digits, sizeof digits, "%016x", 0);  // infinity times zero
        } else {
            std::snprintf(digits, sizeof digits, line % 2 ? "%016llX" : "%016llx",
                          static_cast<unsigned long long>(random()));
        }
        list += QByteArray(digits) + "\n";
    }
    ASSERT_GT(list.size(), 3 * (256 << 10)) << "the list should span several blocks";
    const QString path = file(QStringLiteral("long.txt"), list);
    const WindowRun window = RunInWindow(path, Base::Hexadecimal);

    const Ran ran = calc({QStringLiteral("-bhex"), QStringLiteral("--format=tsv"), path});
    EXPECT_EQ(ran.status, 1);
    EXPECT_EQ(TsvRows(ran.out), window.rows);
    EXPECT_EQ(ran.err, QStringLiteral("quillora: Overflow at line 192 (%1:16016)\n"
                                      "quillora: Invalid floating-point operation at line 192 "
                                      "(%1:30000)\n")
                           .arg(path));
    EXPECT_EQ(window.reports, QStringList({QStringLiteral("Overflow at line 192"),
                                           QStringLiteral("Invalid floating-point operation at "
                                                          "line 192")}));

    const Ran exact = calc(
        {QStringLiteral("-bhex"), QStringLiteral("--exact"), QStringLiteral("--format=tsv"), path});
    EXPECT_EQ(exact.status, 0) << exact.err.toStdString();
    EXPECT_EQ(TsvRows(exact.out), window.exactRows);
}

// ---- exit status and messages -----------------------------------------------

TEST_F(Cli, EachExitStatusWithItsMessage) {
    Ran ok = calc({QStringLiteral("--base=hex")}, "FF\n5\n3\n");
    EXPECT_EQ(ok.status, 0);
    EXPECT_EQ(TsvRows(calc({QStringLiteral("-b"), QStringLiteral("hexadecimal"),
                            QStringLiteral("--format=tsv")},
                           "FF\n5\n3\n")
                          .out),
              kHexExample);
    EXPECT_TRUE(ok.err.isEmpty()) << ok.err.toStdString();

    const Ran one = calc({}, "42\n");
    EXPECT_EQ(one.status, 1);
    EXPECT_TRUE(one.out.isEmpty());
    EXPECT_EQ(one.err, QStringLiteral("quillora: Must have a least 2 numbers.\n"));

    const Ran missing = calc({QStringLiteral("absent.txt")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.out.isEmpty());
    EXPECT_EQ(missing.err, QStringLiteral("quillora: absent.txt: No such file or directory\n"));

    // A file that cannot be read after one that could: still nothing printed.
    const QString good = file(QStringLiteral("good.txt"), "1\n2\n");
    const QString locked = file(QStringLiteral("locked.txt"), "3\n");
    QFile::setPermissions(locked, QFileDevice::WriteOwner);
    if (::access(QFile::encodeName(locked).constData(), R_OK) != 0) {  // not when run as root
        const Ran unreadable = calc({good, locked});
        EXPECT_EQ(unreadable.status, 1);
        EXPECT_TRUE(unreadable.out.isEmpty());
        EXPECT_EQ(unreadable.err, QStringLiteral("quillora: %1: Permission denied\n").arg(locked));
    }

    // A failure the window would report: its description, its step label
    // and the line, and the results still printed.
    const QString big = file(QStringLiteral("big.txt"), "1e300\n1e300\n1e300\n");
    const Ran overflow = calc({QStringLiteral("--format=tsv"), big});
    EXPECT_EQ(overflow.status, 1);
    EXPECT_EQ(overflow.err, QStringLiteral("quillora: Overflow at line 192 (%1:2)\n").arg(big));
    ASSERT_EQ(TsvRows(overflow.out).size(), 5U);
    EXPECT_EQ(TsvRows(overflow.out)[1],
              QStringList({"Decimal", "3E+300", "-1E+300", "Infinity", "1E-300"}));

    const QString tryHelp = QStringLiteral("\nTry 'quillora --help' for more information.\n");
    const std::vector<std::pair<QStringList, QString>> usage{
        {{QStringLiteral("--frobnicate")}, QStringLiteral("Unknown option 'frobnicate'.")},
        {{QStringLiteral("--base=hexa")},
         QStringLiteral("invalid base 'hexa' (decimal, hexadecimal, octal or binary)")},
        {{QStringLiteral("-b")}, QStringLiteral("Missing value after '-b'.")},
        {{QStringLiteral("--format=xml")},
         QStringLiteral("invalid format 'xml' (text, tsv or json)")},
        {{QStringLiteral("--rows=decimal,decimal")}, QStringLiteral("row 'decimal' named twice")},
        {{QStringLiteral("--rows=dec,,bin")},
         QStringLiteral(
             "invalid row '' (decimal, hexadecimal, octal or binary, separated by commas)")},
        {{QStringLiteral("--word=64")}, QStringLiteral("--word needs --exact")},
        {{QStringLiteral("--group")}, QStringLiteral("--group needs --exact")},
        {{QStringLiteral("--exact"), QStringLiteral("--word=12")},
         QStringLiteral("invalid word size '12' (8, 16, 32, 64 or 128)")},
    };
    for (const auto& [arguments, message] : usage) {
        const Ran wrong = calc(arguments, "1\n2\n");
        EXPECT_EQ(wrong.status, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(wrong.out.isEmpty());
        EXPECT_EQ(wrong.err, QStringLiteral("quillora: ") + message + tryHelp);
    }
    // Options of --calc alone start no window either.
    const Ran alone = run({QStringLiteral("--base=hex")});
    EXPECT_EQ(alone.status, 2);
    EXPECT_EQ(alone.err, QStringLiteral("quillora: --base needs --calc") + tryHelp);
}

TEST_F(Cli, StrictTurnsSkippedLinesIntoStatusOneAndStandardOutputHoldsOnlyResults) {
    const QString data = file(QStringLiteral("data.txt"), "FF\r\n\r\nzz\r\n5\r\n \r\ng\r\n3\r\n");
    const Ran loose =
        calc({QStringLiteral("-b"), QStringLiteral("hex"), QStringLiteral("--format=tsv"), data});
    EXPECT_EQ(loose.status, 0);
    EXPECT_EQ(TsvRows(loose.out), kHexExample);
    // The blank line is a gap; the line of blanks is a line that fails.
    EXPECT_EQ(
        loose.err,
        QStringLiteral("quillora: 3 lines skipped, not hexadecimal (first: %1:3)\n").arg(data));

    const Ran strict = calc({QStringLiteral("-bhex"), QStringLiteral("--strict"),
                             QStringLiteral("--format=tsv"), data});
    EXPECT_EQ(strict.status, 1);
    EXPECT_EQ(strict.out, loose.out);
    EXPECT_EQ(strict.err, loose.err);

    const Ran clean = calc({QStringLiteral("--strict")}, "1\n2\n");
    EXPECT_EQ(clean.status, 0);
    EXPECT_TRUE(clean.err.isEmpty());
}

// ---- inputs ---------------------------------------------------------------

TEST_F(Cli, StandardInputDashSeveralFilesAndEveryLineEnd) {
    const QStringList tsv{QStringLiteral("--format=tsv"), QStringLiteral("-bhex")};
    // One list, cut and ended every way: the same table.
    for (const QByteArray& bytes : {QByteArray("FF\n5\n3\n"), QByteArray("FF\r\n5\r\n3\r\n"),
                                    QByteArray("FF\r5\r3\r"), QByteArray("ff\n5\r\n3"),
                                    QByteArray("\xEF\xBB\xBF"
                                               "FF\n5\n3")}) {
        EXPECT_EQ(TsvRows(calc(tsv, bytes).out), kHexExample) << bytes.toStdString();
        EXPECT_EQ(TsvRows(calc(tsv + QStringList{file("list.txt", bytes)}).out), kHexExample);
    }
    // Files and "-" in the order given: the first entry is the one seeded.
    const QString first = file(QStringLiteral("first.txt"), "FF");
    const QString last = file(QStringLiteral("last.txt"), "3\r");
    EXPECT_EQ(TsvRows(calc(tsv + QStringList{first, QStringLiteral("-"), last}, "5\n").out),
              kHexExample);
    const Ran reversed = calc(tsv + QStringList{last, QStringLiteral("-"), first}, "5\n");
    EXPECT_EQ(TsvRows(reversed.out)[1],
              QStringList({"Decimal", "263", "-257", "3825", "0.00235294117647059"}));

    // Skipped lines are counted per file, lines as an editor counts them.
    const QString mixed = file(QStringLiteral("mixed.txt"), "1\r\n2\rq\n\n3");
    const QString other = file(QStringLiteral("other.txt"), "4\r\r\nw\nv");
    const Ran counted = calc({mixed, other});
    EXPECT_EQ(counted.status, 0);
    EXPECT_EQ(counted.err,
              QStringLiteral("quillora: 3 lines skipped, not decimal (first: %1:3)\n").arg(mixed));
    const Ran fromInput = calc({QStringLiteral("-"), other}, "5\n6\n7\n");
    EXPECT_EQ(fromInput.err,
              QStringLiteral("quillora: 2 lines skipped, not decimal (first: %1:3)\n").arg(other));
    EXPECT_EQ(calc({}, "5\nx\n7\n").err,
              QStringLiteral("quillora: 1 line skipped, not decimal (first: stdin:2)\n"));
}

TEST_F(Cli, AFifoNeverWrittenToThenClosedGivesNoResults) {
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QProcess program;
    program.setProcessEnvironment(testing::BareEnvironment(home));
    program.start(ProgramPath(), {QStringLiteral("--calc"), fifo});
    ASSERT_TRUE(program.waitForStarted(10000));
    // Blocks until the program opens its end; then closed without a byte.
    const int writer = ::open(QFile::encodeName(fifo).constData(), O_WRONLY);
    ASSERT_GE(writer, 0);
    ::close(writer);
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitCode(), 1);
    EXPECT_TRUE(program.readAllStandardOutput().isEmpty());
    EXPECT_EQ(program.readAllStandardError(), "quillora: Must have a least 2 numbers.\n");
}

TEST_F(Cli, BinaryBytesNulBytesFoldersAndAHugeLineAreLinesThatFailOrInputsThatCannotBeRead) {
    std::mt19937 random(7);
    QByteArray noise;
    for (int i = 0; i < (1 << 16); ++i) {
        noise += static_cast<char>(random() % 256);
    }
    noise.replace('\n', 'x').replace('\r', 'x');
    const Ran binary = calc({QStringLiteral("--format=tsv"),
                             file(QStringLiteral("noise.bin"), noise + "\n5\n7\n" + noise)});
    EXPECT_EQ(binary.status, 0);
    EXPECT_EQ(TsvRows(binary.out)[1],
              QStringList({"Decimal", "12", "-2", "35", "0.714285714285714"}));
    EXPECT_TRUE(binary.err.startsWith(QStringLiteral("quillora: 2 lines skipped, not decimal")))
        << binary.err.toStdString();

    const QString nul = file(QStringLiteral("nul.txt"), QByteArray("12\n3\0"
                                                                   "4\n5\n",
                                                                   9));
    const Ran withNul = calc({QStringLiteral("--format=tsv"), nul});
    EXPECT_EQ(TsvRows(withNul.out)[1], QStringList({"Decimal", "17", "7", "60", "2.4"}));
    EXPECT_EQ(withNul.err,
              QStringLiteral("quillora: 1 line skipped, not decimal (first: %1:2)\n").arg(nul));

    // Ten megabytes on one line, fed through a pipe: skipped like any line
    // that fails, the lines around it still read.
    const Ran huge =
        calc({QStringLiteral("--format=tsv")}, "1\n" + QByteArray(10 << 20, '7') + "\n2\n");
    EXPECT_EQ(huge.status, 0);
    EXPECT_EQ(TsvRows(huge.out)[1], QStringList({"Decimal", "3", "-1", "2", "0.5"}));
    EXPECT_EQ(huge.err, QStringLiteral("quillora: 1 line skipped, not decimal (first: stdin:2)\n"));

    const Ran folder = calc({file(QStringLiteral("one.txt"), "1\n2\n"), dir.path()});
    EXPECT_EQ(folder.status, 1);
    EXPECT_TRUE(folder.out.isEmpty());
    EXPECT_EQ(folder.err, QStringLiteral("quillora: %1: Is a directory\n").arg(dir.path()));
}

// ---- formats ----------------------------------------------------------------

TEST_F(Cli, EveryFormatParsesBackToTheSameTable) {
    const QByteArray list = "FF\n5\nnope\n3\n";
    const QStringList rows{QStringLiteral("--rows=binary,dec"), QStringLiteral("-bhex")};

    const Ran json = calc({QStringLiteral("--format=json"), QStringLiteral("-bhex")}, list);
    QJsonParseError error{};
    const QJsonObject object = QJsonDocument::fromJson(json.out, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << json.out.toStdString();
    EXPECT_EQ(object.value("base").toString(), QStringLiteral("Hexadecimal"));
    EXPECT_EQ(object.value("entries").toInt(), 3);
    EXPECT_EQ(object.value("skipped").toInt(), 1);
    EXPECT_EQ(object.value("exact"), QJsonValue(false));
    const QJsonObject results = object.value("results").toObject();
    EXPECT_EQ(results.keys().size(), 4);
    for (std::size_t r = 1; r < kHexExample.size(); ++r) {
        const QJsonObject row = results.value(kHexExample[r][0]).toObject();
        EXPECT_EQ(row.keys().size(), 4);
        for (int c = 1; c < 5; ++c) {
            EXPECT_TRUE(row.value(kHeader[c]).isString());  // never a JSON number
            EXPECT_EQ(row.value(kHeader[c]).toString(), kHexExample[r][c]);
        }
    }
    // The rows chosen, in the order asked for.
    const Ran jsonRows = calc(rows + QStringList{QStringLiteral("--format=json")}, list);
    const QByteArray keys = jsonRows.out.mid(jsonRows.out.indexOf("\"results\""));
    EXPECT_LT(keys.indexOf("\"Binary\""), keys.indexOf("\"Decimal\""));
    EXPECT_EQ(QJsonDocument::fromJson(jsonRows.out).object().value("results").toObject().keys(),
              QStringList({"Binary", "Decimal"}));

    const Ran tsv = calc(rows + QStringList{QStringLiteral("--format=tsv")}, list);
    EXPECT_EQ(TsvRows(tsv.out),
              std::vector<QStringList>({kHeader, kHexExample[4], kHexExample[1]}));

    // The text file's layout with LF: every cell padded to its column's width
    // over all four rows, printed or not, then a TAB.
    const Ran text = calc(rows, list);
    const QList<QByteArray> lines = text.out.split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[3].isEmpty());
    EXPECT_FALSE(text.out.contains('\r'));
    EXPECT_EQ(lines[0], "Base       \tAddition \tSubtraction\tMultiplication\tDivision\t");
    EXPECT_EQ(lines[1], "Binary     \t100000111\t11110111   \t111011110001  \t10001   \t");
    EXPECT_EQ(lines[2], "Decimal    \t263      \t247        \t3825          \t17      \t");
    // The window's own file of the four rows, line by line, with CR LF.
    const QByteArray all = calc({QStringLiteral("-bhex")}, list).out;
    AppHarness app;
    auto form = app.start();
    Option(*form, Base::Hexadecimal)->click();
    app.dialogs.openAnswers = {{file(QStringLiteral("list.txt"), list)}};
    Button(*form, 1)->click();
    Button(*form, 3)->click();
    for (int r = 0; r < 4; ++r) {
        form->results().setChecked(r, true);
    }
    const QString saved = dir.filePath(QStringLiteral("saved.txt"));
    app.dialogs.saveAnswers = {saved};
    Button(*form, 4)->click();
    QByteArray window = testing::FileBytes(saved);
    EXPECT_EQ(window.replace("\r\n", "\n"), all);
}

// ---- independence -------------------------------------------------------------

TEST_F(Cli, NeedsNoDisplayAndLeavesSettingsAndLockAlone) {
    // BareEnvironment() has no display; a window would end with "cannot open a display".
    const Ran ran = calc({}, "1\n2\n");
    EXPECT_EQ(ran.status, 0) << ran.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(home.filePath(QStringLiteral("config"))));
    EXPECT_FALSE(QFileInfo::exists(home.filePath(QStringLiteral("run"))));
    EXPECT_EQ(QDir(home.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 0);
}

// ---- the command line read without Qt ------------------------------------

// What the program reads without Qt it must read as Qt's parser does; what it
// cannot, it leaves to that parser whole (help, version, usage errors).
TEST(CalcArguments, EveryCommandLineReadWithoutQtReadsAsQtsParserReadsIt) {
    const std::vector<std::string> words{"--calc",
                                         "--exact",
                                         "--group",
                                         "--strict",
                                         "--base=hex",
                                         "--base",
                                         "-b",
                                         "-bbin",
                                         "-b=oct",
                                         "-b=",
                                         "--word=64",
                                         "--word",
                                         "8",
                                         "--format=json",
                                         "--format",
                                         "tsv",
                                         "--rows=bin,dec",
                                         "--rows",
                                         "hex,oct,bin,decimal",
                                         "--rows=dec,,bin",
                                         "--",
                                         "-",
                                         "a.txt",
                                         "-x",
                                         "--help",
                                         "--version",
                                         "--calc=1",
                                         "--frobnicate",
                                         "HEX",
                                         "--base=hexa",
                                         "--b=hex",
                                         "--word=12",
                                         "ß.txt",
                                         "--exact=",
                                         "-"};
    std::mt19937 random(20261209);
    std::uniform_int_distribution<std::size_t> pick(0, words.size() - 1);
    int readPlainly = 0;
    for (int round = 0; round < 4000; ++round) {
        std::vector<std::string> arguments{"quillora"};
        if (round % 3 != 0) {
            arguments.push_back("--calc");
        }
        const std::size_t count = round % 7;
        for (std::size_t i = 0; i < count; ++i) {
            arguments.push_back(words[pick(random)]);
        }
        std::string shown;
        QStringList qtArguments;
        for (const std::string& argument : arguments) {
            shown += argument + ' ';
            qtArguments << QString::fromStdString(argument);
        }
        SCOPED_TRACE(shown);
        const std::optional<CalcOptions> plain = ReadCalcArguments(arguments);
        if (!plain) {
            continue;
        }
        ++readPlainly;
        const CommandLine qt = ParseCommandLine(qtArguments);
        EXPECT_FALSE(qt.exitStatus.has_value()) << qt.standardError.toStdString();
        ASSERT_TRUE(qt.calc.has_value());
        EXPECT_TRUE(*qt.calc == *plain);
    }
    EXPECT_GT(readPlainly, 500);  // the ordinary lines do go the quick way

    // The forms scripts write, each read without Qt.
    for (const std::vector<std::string>& ordinary : std::vector<std::vector<std::string>>{
             {"quillora", "--calc"},
             {"quillora", "--calc", "-b", "hex", "sizes.txt"},
             {"quillora", "--calc", "--base=hexadecimal", "--format", "json", "-"},
             {"quillora", "--calc", "-bbin", "--rows=binary,decimal", "--format=tsv", "m.txt"},
             {"quillora", "--calc", "--exact", "--word=64", "--group", "--strict", "--", "-b"}}) {
        EXPECT_TRUE(ReadCalcArguments(ordinary).has_value()) << ordinary.at(2);
    }
    const std::optional<CalcOptions> dashes =
        ReadCalcArguments({"quillora", "--calc", "x", "--", "-b", "--calc"});
    ASSERT_TRUE(dashes.has_value());
    EXPECT_EQ(dashes->files, (std::vector<std::string>{"x", "-b", "--calc"}));
}

}  // namespace
}  // namespace quillora

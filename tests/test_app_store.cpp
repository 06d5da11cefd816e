// The settings store under a hostile file system and against QSettings
// itself, and the files the window opens: every case drives the real Form1
// (offscreen) or the real store. Pipes and device nodes are made in the
// test's own folder; a pipe left unanswered by a fault is opened from the
// other end by a watchdog after a few seconds, so such a fault fails the
// test instead of hanging it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>

#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStringDecoder>

#include "app/SettingsStore.h"
#include "app/SoleInstance.h"
#include "app/StoredList.h"
#include "support/AppHarness.h"
#include "support/QStringPrinting.h"
#include "support/WindowChecks.h"

namespace quillora {
namespace {

using namespace quillora::testing;

const QString kAccess = QStringLiteral("Path/File access error");

void Put(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// What plain QSettings reads from the file now, as a new process would.
QVariant QtReads(const QString& file, const QString& key) {
    static int copies = 0;
    const QString copy = file + QStringLiteral(".qt-%1").arg(++copies);
    QFile::copy(file, copy);
    QVariant value;
    {
        QSettings settings(copy, QSettings::IniFormat);
        value = settings.value(QStringLiteral("Quillora/") + key);
    }
    QFile::remove(copy);
    return value;
}

bool IsFifo(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISFIFO(info.st_mode);
}

void MakeFifo(const QString& path) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
}

// Opens the other end of a pipe when the program under test hangs on it,
// and tells whether it had to.
class PipeWatchdog {
  public:
    explicit PipeWatchdog(QString path) : path_(QFile::encodeName(path)) {
        thread_ = std::thread([this] {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (!done_ && std::chrono::steady_clock::now() < deadline) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            while (!done_) {
                rescued_ = true;
                // A blocked reader gets an end of file, a blocked writer a reader.
                const int writer = ::open(path_.constData(), O_WRONLY | O_NONBLOCK);
                if (writer >= 0) {
                    ::close(writer);
                }
                const int reader = ::open(path_.constData(), O_RDONLY | O_NONBLOCK);
                if (reader >= 0) {
                    char sink[4096];
                    while (::read(reader, sink, sizeof sink) > 0) {
                    }
                    ::close(reader);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        });
    }
    ~PipeWatchdog() { stop(); }
    // True when the program had to be rescued from the pipe.
    bool stop() {
        done_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
        return rescued_;
    }

  private:
    QByteArray path_;
    std::thread thread_;
    std::atomic<bool> done_{false};
    std::atomic<bool> rescued_{false};
};

// ---- What QSettings' reading of a file must never do to a good write -----------

TEST(StoreFormat, AByteOrderMarkOrAHashLineNeverTurnsASavedListIntoAFailure) {
    for (const QByteArray& file :
         {QByteArray("\xEF\xBB\xBF[Quillora]\nZip%20Codes=\"1;2\"\n"),
          QByteArray("# written by hand\n[Quillora]\nZip%20Codes=\"1;2\"\n"),
          QByteArray("[Quillora]\n#Option1 was here\nZip%20Codes=\"1;2\"\n")}) {
        SCOPED_TRACE(file.toStdString());
        AppHarness app;
        Put(app.settingsFile(), file);
        auto form = app.start();
        form->numbers().append(std::string_view("77"));
        form->close();
        EXPECT_TRUE(app.dialogs.messages.empty()) << app.dialogs.texts().join(u'|').toStdString();
        const QString stored = QtReads(app.settingsFile(), QStringLiteral("Zip Codes")).toString();
        EXPECT_TRUE(stored.endsWith(QStringLiteral(";77"))) << stored.toStdString();
        EXPECT_EQ(QDir(app.configFolder).entryList(QDir::Files), QStringList({"Tolvenrix.conf"}));
    }
}

// ---- Only the store's own keys change -------------------------------------------

const QByteArray kShared =
    "; settings of all Tolvenrix programs\n"
    "[General]\nTheme=dark\n\n"
    "[Elsewhere]\n# a note\nname=Caf\xE9 M\xFCller\nweird key without equals\n\n"
    "[Quillora]\nOption1=True\nOption2=False\nOption3=False\nOption4=False\n"
    "Zip%20Codes=\"1;2\" ; the list\n\n"
    "[Broken\nlost=not any more\n";

TEST(StoreFormat, ClosingUnchangedLeavesEveryByteAndAChangeTouchesOnlyItsOwnLine) {
    AppHarness app;
    Put(app.settingsFile(), kShared);
    auto form = app.start();
    EXPECT_TRUE(app.dialogs.messages.empty());
    EXPECT_EQ(Entries(*form), QStringList({"1", "2"}));
    form = app.restart(std::move(form));
    EXPECT_EQ(FileBytes(app.settingsFile()), kShared);

    form->numbers().append(std::string_view("3"));
    form = app.restart(std::move(form));
    QByteArray expected = kShared;
    expected.replace("Zip%20Codes=\"1;2\" ; the list", "Zip%20Codes=\"1;2;3\"");
    EXPECT_EQ(FileBytes(app.settingsFile()), expected);

    Option(*form, 2)->click();
    form->close();
    expected.replace("Option1=True\nOption2=False", "Option1=False\nOption2=True");
    expected.replace("Zip%20Codes=\"1;2;3\"", "Zip%20Codes=");
    EXPECT_EQ(FileBytes(app.settingsFile()), expected);
    EXPECT_TRUE(app.dialogs.messages.empty());
    EXPECT_EQ(QtReads(app.settingsFile(), QStringLiteral("Option2")).toString(),
              QStringLiteral("True"));
}

TEST(StoreFormat, NewKeysJoinTheGroupOrAGroupOfTheirOwnAtTheEnd) {
    AppHarness app;
    Put(app.settingsFile(), "[Quillora]\nOption2=True\n[Other]\nx=1");
    auto form = app.start();
    form->numbers().append(std::string_view("A"));
    form->close();
    // Start-up selected the stored base, whose handler wrote the other flags.
    EXPECT_EQ(FileBytes(app.settingsFile()),
              "[Quillora]\nOption2=True\nOption1=False\nOption3=False\nOption4=False\n"
              "Zip%20Codes=A\n[Other]\nx=1");

    AppHarness other;
    Put(other.settingsFile(), "[Other]\nx=1");
    form = other.start();
    form->numbers().append(std::string_view("5"));
    form->numbers().append(std::string_view("6"));
    form->close();
    EXPECT_EQ(FileBytes(other.settingsFile()), "[Other]\nx=1\n\n[Quillora]\nZip%20Codes=\"5;6\"\n");
}

TEST(StoreFormat, NewKeysAreNeverSwallowedByAQuoteOrEscapeLeftOpenAtTheEnd) {
    // Found by fuzzing: keys appended after such an end became part of its value.
    for (const QByteArray& file : {QByteArray("x=\"open"), QByteArray("[Quillora]\nnote=\"open"),
                                   QByteArray("[Other]\nx=1\\")}) {
        SCOPED_TRACE(file.toStdString());
        AppHarness app;
        Put(app.settingsFile(), file);
        auto form = app.start();
        form->numbers().append(std::string_view("5"));
        form->numbers().append(std::string_view("6"));
        form->close();
        EXPECT_TRUE(app.dialogs.messages.empty());
        EXPECT_EQ(QtReads(app.settingsFile(), QStringLiteral("Zip Codes")).toString(),
                  QStringLiteral("5;6"));
        // The earlier bytes stand whole, before or after the new group.
        const QByteArray now = FileBytes(app.settingsFile());
        EXPECT_TRUE(now.startsWith(file) || now.endsWith(file));
    }
}

// Every key as QSettings reads the file.
QString AllKeysRead(const QString& file) {
    const QString copy = file + QStringLiteral(".all");
    QFile::remove(copy);
    QFile::copy(file, copy);
    QString all;
    {
        QSettings settings(copy, QSettings::IniFormat);
        for (const QString& key : settings.allKeys()) {
            all += key + QLatin1Char('=') + settings.value(key).toString() + QLatin1Char('\n');
        }
    }
    QFile::remove(copy);
    return all;
}

TEST(StoreFormat, AGroupPutInFrontLeavesHowEveryOtherKeyReads) {
    // Found by fuzzing: after the file's byte order mark, a first key with a
    // mark of its own lost it once the new group stood before it.
    const QByteArray mark("\xEF\xBB\xBF");
    for (const QByteArray& file : {mark + mark + "k=1\nx=\"open", mark + "k=1\nx=\"open",
                                   mark + mark + mark + "k=1\n\"", mark + mark + "[g]\nk=1\n\""}) {
        SCOPED_TRACE(file.toPercentEncoding().toStdString());
        AppHarness app;
        Put(app.settingsFile(), file);
        const QString before = AllKeysRead(app.settingsFile());
        SettingsStore().writeList(std::string_view("5"));
        EXPECT_EQ(AllKeysRead(app.settingsFile()),
                  QStringLiteral("Quillora/Zip Codes=5\n") + before);
    }
}

// ---- Values that are no text ------------------------------------------------------

TEST(StoreFormat, AListQSettingsCannotReadIsReportedAndKeptUntilTheUserStoresOne) {
    const QString load = QStringLiteral("Form1.Form_Load");
    for (const QByteArray& value :
         {QByteArray("1;2;3"), QByteArray("@Rect(1 2 3 4)"),
          QByteArray("@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\xffgarbage\\xff\\xff)")}) {
        SCOPED_TRACE(value.toStdString());
        AppHarness app;
        const QByteArray file = "[Quillora]\nZip%20Codes=" + value + "\n";
        Put(app.settingsFile(), file);
        auto form = app.start();
        EXPECT_EQ(app.dialogs.texts(),
                  QStringList({ReportText(QStringLiteral("Bad file format"), load, 162)}));
        EXPECT_EQ(form->numbers().count(), 0);
        form = app.restart(std::move(form));
        EXPECT_EQ(FileBytes(app.settingsFile()), file);
        EXPECT_EQ(app.dialogs.messages.size(), 2u);

        form->numbers().append(std::string_view("9"));
        form->close();
        EXPECT_EQ(QtReads(app.settingsFile(), QStringLiteral("Zip Codes")).toString(),
                  QStringLiteral("9"));
    }
}

// ---- No regular file where the settings file should be --------------------------------

TEST(StoreFiles, APipeAsTheSettingsFileIsReportedAtEachStepAndNeverWaitedOn) {
    AppHarness app;
    MakeFifo(app.settingsFile());
    PipeWatchdog watchdog(app.settingsFile());
    auto form = app.start();
    Button(*form, 9)->click();
    form->close();
    EXPECT_FALSE(watchdog.stop()) << "the program waited on the pipe";
    EXPECT_TRUE(IsFifo(app.settingsFile()));
    const QStringList texts = app.dialogs.texts();
    ASSERT_FALSE(texts.isEmpty());
    const QString notRegular =
        kAccess + QStringLiteral(" (%1 is not a regular file)").arg(app.settingsFile());
    EXPECT_EQ(texts.front(), ReportText(notRegular, QStringLiteral("Form1.Form_Load"), 154));
    EXPECT_TRUE(texts.contains(ReportText(notRegular, QStringLiteral("Form1.Form_Load"), 162)));
    EXPECT_EQ(texts.back(), ReportText(notRegular, QStringLiteral("Form1.Form_QueryUnload"), 110));
    EXPECT_EQ(Entries(*form), QStringList({"123", "1000"}));
}

TEST(StoreFiles, NothingIsRenamedOverALinkToAPipeAFolderOrADevice) {
    AppHarness app;
    const QString pipe = app.temp.filePath(QStringLiteral("pipe"));
    MakeFifo(pipe);
    std::vector<QString> targets{pipe, app.temp.filePath(QStringLiteral("folder"))};
    QDir().mkpath(targets.back());
    const QString device = app.temp.filePath(QStringLiteral("null-device"));
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0666, makedev(1, 3)), 0);
        targets.push_back(device);
    }
    for (const QString& target : targets) {
        SCOPED_TRACE(target.toStdString());
        QFile::remove(app.settingsFile());
        ASSERT_TRUE(QFile::link(target, app.settingsFile()));
        app.dialogs.messages.clear();
        PipeWatchdog watchdog(pipe);
        auto form = app.start();
        form->numbers().append(std::string_view("4"));
        form->close();
        EXPECT_FALSE(watchdog.stop());
        EXPECT_EQ(
            app.dialogs.texts().back(),
            ReportText(
                kAccess + QStringLiteral(" (%1 is not a regular file)").arg(app.settingsFile()),
                QStringLiteral("Form1.Form_QueryUnload"), 110));
        EXPECT_TRUE(QFileInfo(app.settingsFile()).isSymLink());
        EXPECT_EQ(QFileInfo(app.settingsFile()).symLinkTarget(), target);
    }
    EXPECT_TRUE(IsFifo(pipe));
    if (root) {
        struct stat info {};
        ASSERT_EQ(::lstat(QFile::encodeName(device).constData(), &info), 0);
        EXPECT_TRUE(S_ISCHR(info.st_mode));
    } else {
        GTEST_SKIP() << "the device node case needs root (mknod)";
    }
}

TEST(StoreFiles, ALinkToARegularFileIsFollowedAndStaysALink) {
    AppHarness app;
    const QString real = app.temp.filePath(QStringLiteral("dotfiles/Tolvenrix.conf"));
    QDir().mkpath(QFileInfo(real).path());
    Put(real, "[Quillora]\nZip%20Codes=8\n");
    ASSERT_TRUE(QFile::link(real, app.settingsFile()));
    auto form = app.start();
    EXPECT_EQ(Entries(*form), QStringList({"8"}));
    form->numbers().append(std::string_view("9"));
    form->close();
    EXPECT_TRUE(app.dialogs.messages.empty());
    EXPECT_TRUE(QFileInfo(app.settingsFile()).isSymLink());
    EXPECT_EQ(FileBytes(real), "[Quillora]\nZip%20Codes=\"8;9\"\n");
}

// ---- Leftovers of killed closes ---------------------------------------------------

qint64 GonePid() {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    return child;
}

TEST(StoreFiles, StartUpRemovesTheBackupsAndLockOfKilledClosesOnly) {
    AppHarness app;
    Put(app.settingsFile(), "[Quillora]\nZip%20Codes=1\n");
    const qint64 gone = GonePid();
    const qint64 alive = ::getppid();
    const QString base = app.settingsFile();
    const QStringList stale{base + QStringLiteral(".backup-%1-1").arg(gone),
                            base + QStringLiteral(".check-%1-2").arg(gone),
                            base + QStringLiteral(".new-%1-3").arg(gone)};
    const QString living = base + QStringLiteral(".backup-%1-1").arg(alive);
    const QString foreign = base + QStringLiteral(".backup-of-mine");
    for (const QString& name : stale + QStringList{living, foreign}) {
        Put(name, "[Quillora]\nZip%20Codes=old\n");
    }
    Put(base + QStringLiteral(".lock"),
        QByteArray::number(gone) + "\nquillora\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    auto form = app.start();
    EXPECT_EQ(Entries(*form), QStringList({"1"}));
    for (const QString& name : stale) {
        EXPECT_FALSE(QFile::exists(name)) << name.toStdString();
    }
    EXPECT_FALSE(QFile::exists(base + QStringLiteral(".lock")));
    EXPECT_TRUE(QFile::exists(living));
    EXPECT_TRUE(QFile::exists(foreign));
}

// ---- A second Quillora ------------------------------------------------------------

TEST(SecondInstance, IsRefusedWithAMessageWhileTheFirstRunsAndAKilledOneHoldsNothing) {
    AppHarness app;
    testing::RecordingDialogs first;
    auto running = ClaimOrTell(app.settingsFile(), first);
    ASSERT_NE(running, nullptr);
    EXPECT_TRUE(first.messages.empty());

    testing::RecordingDialogs second;
    EXPECT_EQ(ClaimOrTell(app.settingsFile(), second), nullptr);
    ASSERT_EQ(second.messages.size(), 1u);
    EXPECT_EQ(second.messages[0].text, kAlreadyRunningText);
    EXPECT_EQ(second.messages[0].icon, MessageIcon::Warning);

    running.reset();
    EXPECT_NE(ClaimOrTell(app.settingsFile(), second), nullptr);
    EXPECT_EQ(second.messages.size(), 1u);

    // The lock of a Quillora that was killed is taken over.
    Put(InstanceLockPath(app.settingsFile()), QByteArray::number(GonePid()) + "\nquillora\n" +
                                                  QSysInfo::machineHostName().toUtf8() + "\n");
    EXPECT_NE(ClaimOrTell(app.settingsFile(), second), nullptr);
    EXPECT_EQ(second.messages.size(), 1u);
}

// ---- Other files the window opens -----------------------------------------------------

TEST(OpenedFiles, SavingResultsToAPipeIsReportedLikeAnyUnwritableName) {
    AppHarness app;
    const QString pipe = app.temp.filePath(QStringLiteral("results.txt"));
    MakeFifo(pipe);
    auto form = app.start();
    Button(*form, 9)->click();
    Button(*form, 3)->click();
    app.dialogs.messages.clear();
    app.dialogs.saveAnswers = {pipe};
    PipeWatchdog watchdog(pipe);
    Button(*form, 4)->click();
    EXPECT_FALSE(watchdog.stop()) << "the export waited on the pipe";
    const QString writer = QStringLiteral("Main.SaveListviewProperlySpaced");
    const QString noFile = QStringLiteral("Bad file name or number");
    EXPECT_EQ(app.dialogs.texts(),
              QStringList({ReportText(QStringLiteral("Not a regular file"), writer, 128),
                           ReportText(noFile, writer, 134), ReportText(noFile, writer, 168)}));
    EXPECT_TRUE(IsFifo(pipe));
}

TEST(OpenedFiles, ASkinNamingAPipeAsAnImageIsReportedAt102AndStartUpGoesOn) {
    AppHarness app;
    const QString pipe = app.temp.filePath(QStringLiteral("face.png"));
    MakeFifo(pipe);
    app.writeProgramFile(QStringLiteral("x/o.cjs"),
                         "QPushButton { background-image: url(" + pipe.toUtf8() + "); }");
    app.store({{"Zip Codes", "1;2"}});
    PipeWatchdog watchdog(pipe);
    auto form = app.start();
    form->show();
    QCoreApplication::processEvents();
    form->repaint();
    EXPECT_FALSE(watchdog.stop()) << "start-up waited on the pipe";
    EXPECT_EQ(app.dialogs.texts(),
              QStringList({ReportText(QStringLiteral("Invalid skin file"),
                                      QStringLiteral("Form1.Form_Load"), 102)}));
    EXPECT_TRUE(form->styleSheet().isEmpty());
    EXPECT_EQ(Entries(*form), QStringList({"1", "2"}));
}

// The file last changed an hour ago, as a store written in an earlier session is.
void SetChangedLongAgo(const QString& path) {
    struct timespec times[2]{};
    ::clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec -= 3600;
    times[1] = times[0];
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

// A write edits the file as it is on disk: the bytes the store read earlier
// stand in for it only while the file is unchanged.
TEST(StoreFormat, AWriteKeepsWhatAnotherProgramChangedSinceTheStoreRead) {
    AppHarness app;
    app.store({{"Zip Codes", "1;2"}, {"Other", "before"}});
    SetChangedLongAgo(app.settingsFile());
    SettingsStore store;
    std::string_view back;
    store.readList(back);
    ASSERT_EQ(back, "1;2");
    store.writeList("3;4");
    EXPECT_EQ(QtReads(app.settingsFile(), QStringLiteral("Zip Codes")).toString(), "3;4");
    EXPECT_EQ(QtReads(app.settingsFile(), QStringLiteral("Other")).toString(), "before");

    SetChangedLongAgo(app.settingsFile());
    store.readList(back);
    ASSERT_EQ(back, "3;4");
    app.store({{"Other", "behind"}});  // as long as before: only the stamp's time tells
    store.writeList("5;6");
    EXPECT_EQ(QtReads(app.settingsFile(), QStringLiteral("Zip Codes")).toString(), "5;6");
    EXPECT_EQ(QtReads(app.settingsFile(), QStringLiteral("Other")).toString(), "behind");
}

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Closing hands the list over piece by piece: the file comes out byte for
// byte as it does from the joined text, escapes, entries longer than a piece,
// empty rows and bytes that are no UTF-8 (repaired alike) included.
TEST(StoreFormat, AListWrittenPieceByPieceIsStoredAsItsJoinedText) {
    const std::vector<std::vector<std::string>> lists{
        {"1", "", "22", ""},
        {"@a", " b", "c "},
        {std::string(300'000, '7'), "8", std::string(600'000, '9')},
        {"tab\there", "quote\"", "back\\slash", "nul" + std::string(1, '\0')},
        {"\xC3", "\xA9", "caf\xC3\xA9", "\xFF"},
    };
    for (const auto& rows : lists) {
        NumberListModel list;
        list.appendMany(rows);
        AppHarness joined;
        SettingsStore().writeList(list.joined(';'));
        const QByteArray expected = FileBytes(joined.settingsFile());
        AppHarness pieces;
        SettingsStore store;
        store.writeList(StoredListSource(list));
        EXPECT_EQ(FileBytes(pieces.settingsFile()), expected) << rows.front().substr(0, 20);
        // Stored again unchanged, nothing is written.
        const QByteArray before = FileBytes(pieces.settingsFile());
        store.writeList(StoredListSource(list));
        EXPECT_EQ(FileBytes(pieces.settingsFile()), before);
    }
}

// ---- The store against plain QSettings ---------------------------------------------------

// Texts with every character that needs care in an INI value.
QString AwkwardText(std::mt19937& random, int length) {
    static const QString pieces[] = {
        ";", "=", ",", "\"", "\\",     " ",      "\t",     "\n", "\r", "@",
        "#", "[", "]", "%",  "\\x",    "\\0",    "a",      "F",  "0",  "9",
        "é", "ß", "€", "😀",  "\u0001", "\u001f", "\u007f", "'",  "?",  "\ufeff"};
    std::uniform_int_distribution<int> pick(0, static_cast<int>(std::size(pieces)));
    QString text;
    while (text.size() < length) {
        const int piece = pick(random);
        text += piece == static_cast<int>(std::size(pieces)) ? QString(QChar(0)) : pieces[piece];
    }
    return text;
}

TEST(StoreFormat, QSettingsReadsWhatTheStoreWroteAndTheStoreWhatQSettingsWrote) {
    std::mt19937 random(20261209);
    std::vector<QString> lists{QString(), QStringLiteral(";"), QStringLiteral(" 1; 2 "),
                               QStringLiteral("@Rect(1 2 3 4)"), QStringLiteral("@@x"),
                               QStringLiteral("@1;2"),
                               // A byte order mark where QSettings' reading
                               // would drop it: first, or after escapes only.
                               QChar(0xFEFF) + QStringLiteral("1;2"),
                               QChar(0xFEFF) + QString(QChar(0xFEFF)) + QStringLiteral("a"),
                               QString(QChar(0)) + QChar(0xFEFF) + QStringLiteral("[x.=1\n"),
                               QStringLiteral("\n") + QChar(0xFEFF) + QStringLiteral("F"),
                               QStringLiteral("a") + QChar(0xFEFF), QStringLiteral(" 1"),
                               QString(10 << 20, QLatin1Char('7')) + QStringLiteral(";8"),
                               QString(10 << 20, QLatin1Char('7')) + QStringLiteral(";\\\";")};
    for (int i = 0; i < 300; ++i) {
        lists.push_back(AwkwardText(random, i % 40));
    }
    for (const QString& list : lists) {
        SCOPED_TRACE(list.left(60).toStdString());
        AppHarness app;
        SettingsStore store;
        store.writeList(list.toStdString());
        EXPECT_TRUE(QtReads(app.settingsFile(), QStringLiteral("Zip Codes")).toString() == list);
        // Over a line that is there already, as at every close after the first.
        store.writeList("1");
        store.writeList(list.toStdString());
        EXPECT_TRUE(QtReads(app.settingsFile(), QStringLiteral("Zip Codes")).toString() == list);

        AppHarness other;
        other.store({{"Zip Codes", list}});
        SettingsStore reader;
        std::string_view back;
        reader.readList(back);
        // As QSettings itself reads its file back: a mark its own writing
        // left first in a value is gone from it. Decoded keeping a mark in
        // front, which fromUtf8 would drop.
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
        EXPECT_TRUE(QString(utf8(QByteArrayView(back))) ==
                    other.storedOnDisk(QStringLiteral("Zip Codes")).toString());
    }
}

}  // namespace
}  // namespace quillora

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
#include <thread>

#include <QPushButton>
#include <QRadioButton>
#include <QSettings>

#include "app/SoleInstance.h"
#include "store/SettingsStore.h"
#include "support/AppHarness.h"
#include "support/QStringPrinting.h"
#include "support/WindowChecks.h"

namespace quillora {
namespace {

using namespace quillora::testing;

const QString kAccess = QStringLiteral("Path/File access error");

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

}  // namespace
}  // namespace quillora

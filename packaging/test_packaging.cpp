// Where Quillora finds its own files in a build tree and in an installed
// tree, the packaging files, and the program unpacked from its Debian package
// (the InstalledTree cases, run after packaging/check-deb.sh unpacked it into
// $QUILLORA_INSTALLED_ROOT).
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include "app/ApplySkin.h"
#include "app/HandCursor.h"
#include "app/ProgramFolder.h"
#include "app/WindowModule.h"
#include "export/CalcPlugin.h"

namespace quillora {
namespace {

void WriteFile(const QString& path, const QByteArray& bytes = "x") {
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A scratch install prefix: <prefix>/bin and <prefix>/share/quillora.
struct Prefix {
    QTemporaryDir dir;
    Prefix() { QDir().mkpath(bin()); }
    QString bin() const { return dir.filePath(QStringLiteral("bin")); }
    QString data() const { return dir.filePath(QStringLiteral("share/quillora")); }
};

// Each file is looked for beside the executable, then in the data folder.
TEST(FolderHolding, EachFileBesideTheExecutableFirstThenInTheDataFolder) {
    Prefix both;
    WriteFile(SkinFilePath(both.bin()));
    WriteFile(SkinFilePath(both.data()));
    WriteFile(HandCursorPath(both.data()));
    EXPECT_EQ(FolderHolding(both.bin(), SkinFilePath), both.bin());
    EXPECT_EQ(FolderHolding(both.bin(), HandCursorPath), QDir::cleanPath(both.data()));

    // The installed layout with a hand cursor put beside the program keeps its skin.
    Prefix handBeside;
    WriteFile(SkinFilePath(handBeside.data()));
    WriteFile(HandCursorPath(handBeside.bin()));
    EXPECT_EQ(FolderHolding(handBeside.bin(), SkinFilePath), QDir::cleanPath(handBeside.data()));
    EXPECT_EQ(FolderHolding(handBeside.bin(), HandCursorPath), handBeside.bin());

    Prefix skinBeside;
    WriteFile(SkinFilePath(skinBeside.bin()));
    WriteFile(HandCursorPath(skinBeside.data()));
    EXPECT_EQ(FolderHolding(skinBeside.bin(), SkinFilePath), skinBeside.bin());
    EXPECT_EQ(FolderHolding(skinBeside.bin(), HandCursorPath), QDir::cleanPath(skinBeside.data()));
}

TEST(FolderHolding, OnlyPlainFilesCountAndAMissingFileIsLookedForBesideTheExecutable) {
    Prefix prefix;
    EXPECT_EQ(FolderHolding(prefix.bin(), SkinFilePath), prefix.bin());
    QDir().mkpath(prefix.data());
    EXPECT_EQ(FolderHolding(prefix.bin(), SkinFilePath), prefix.bin());

    WriteFile(SkinFilePath(prefix.data()));
    // A folder named like the skin file is no skin beside the program.
    QDir().mkpath(SkinFilePath(prefix.bin()));
    EXPECT_EQ(FolderHolding(prefix.bin(), SkinFilePath), QDir::cleanPath(prefix.data()));
    QDir().mkpath(HandCursorPath(prefix.data()));
    EXPECT_EQ(FolderHolding(prefix.bin(), HandCursorPath), prefix.bin());
}

TEST(CalcPluginSearchPaths, BesideTheProgramFirstThenTheInstalledPluginFolder) {
    EXPECT_EQ(
        CalcPluginSearchPaths(QStringLiteral("/opt/q/bin")),
        QStringList({QStringLiteral("/opt/q/bin/libquillora_calc_uno.so"),
                     QStringLiteral("/opt/q/" QUILLORA_PLUGIN_RELDIR "/libquillora_calc_uno.so")}));
}

// The window module is looked for as the plugin is, in the same folder.
TEST(WindowModuleSearchPaths, BesideTheProgramFirstThenThePrivateLibraryFolder) {
    EXPECT_EQ(
        WindowModuleSearchPaths("/opt/q/bin"),
        (std::vector<std::string>{"/opt/q/bin/libquillora_window.so",
                                  "/opt/q/" QUILLORA_PLUGIN_RELDIR "/libquillora_window.so"}));
}

TEST(BuildTree, BuiltProgramFindsItsSkinWindowAndPlugin) {
    const QString programDir = QStringLiteral(QUILLORA_BUILT_PROGRAM_DIR);
    EXPECT_EQ(FolderHolding(programDir, SkinFilePath), programDir);
    EXPECT_TRUE(QFileInfo(SkinFilePath(programDir)).isFile());
    EXPECT_TRUE(
        QFileInfo(QString::fromStdString(WindowModuleSearchPaths(programDir.toStdString()).back()))
            .isFile());
    if (QUILLORA_PLUGIN_EXPECTED) {
        const CalcPlugin plugin(CalcPluginSearchPaths(programDir));
        EXPECT_TRUE(plugin.loaded()) << plugin.errorString().toStdString();
    }
}

// The newest release the metainfo names is the version CMake builds, so the
// software centre never shows a stale one.
TEST(PackagingFiles, MetainfoNamesThisVersionAsNewestRelease) {
    QXmlStreamReader xml(
        ReadFile(QStringLiteral(QUILLORA_PACKAGING_DIR "/com.tolvenrix.Quillora.metainfo.xml")));
    QString newest;
    while (newest.isEmpty() && xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("release")) {
            newest = xml.attributes().value(QLatin1String("version")).toString();
        } else if (xml.name() != QLatin1String("component") &&
                   xml.name() != QLatin1String("releases")) {
            xml.skipCurrentElement();
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(newest, QStringLiteral(QUILLORA_VERSION));
}

// The screenshot a software centre shows is the README's, at its real size,
// so retaking it without updating the metainfo fails here.
TEST(PackagingFiles, MetainfoScreenshotIsTheReadmeImageAtItsSize) {
    QXmlStreamReader xml(
        ReadFile(QStringLiteral(QUILLORA_PACKAGING_DIR "/com.tolvenrix.Quillora.metainfo.xml")));
    QString url;
    QSize size;
    while (!xml.atEnd() && url.isEmpty()) {
        if (xml.readNext() == QXmlStreamReader::StartElement &&
            xml.name() == QLatin1String("image")) {
            size = QSize(xml.attributes().value(QLatin1String("width")).toInt(),
                         xml.attributes().value(QLatin1String("height")).toInt());
            url = xml.readElementText();
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_TRUE(url.startsWith(QLatin1String("https://"))) << url.toStdString();
    EXPECT_TRUE(url.endsWith(QLatin1String("/screenshot.png"))) << url.toStdString();
    const QImage readme(QStringLiteral(QUILLORA_PACKAGING_DIR "/../docs/screenshot.png"));
    ASSERT_FALSE(readme.isNull());
    EXPECT_EQ(size, readme.size());
}

// The shell completion offers what the program takes, after the option as
// bash splits it: the base names, the formats, the rows after a comma.
TEST(PackagingFiles, BashCompletionOffersBasesFormatsAndRows) {
    const QString framework = QStringLiteral("/usr/share/bash-completion/bash_completion");
    if (!QFileInfo::exists(framework)) {
        GTEST_SKIP() << "bash-completion is not installed";
    }
    // Words as bash hands them to the function: split at blanks and around "=".
    const QString script =
        QStringLiteral(R"(source %1; source %2
complete_line() {
  COMP_WORDS=(); for word in $1; do
    if [[ $word == *=* ]]; then COMP_WORDS+=("${word%%=*}" = "${word#*=}")
    else COMP_WORDS+=("$word"); fi; done
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); COMP_LINE="$1"; COMP_POINT=${#1}
  COMPREPLY=(); _quillora 2>/dev/null; echo "${COMPREPLY[*]}"
}
complete_line 'quillora --calc --ba'
complete_line 'quillora --calc --base=h'
complete_line 'quillora --calc -b b'
complete_line 'quillora --calc --format='
complete_line 'quillora --calc --rows=octal,d'
complete_line 'quillora --calc --word=1'
)")
            .arg(framework, QStringLiteral(QUILLORA_PACKAGING_DIR "/quillora.bash-completion"));
    QProcess bash;
    bash.start(QStringLiteral("bash"), {QStringLiteral("-c"), script});
    ASSERT_TRUE(bash.waitForFinished(30000));
    EXPECT_EQ(bash.readAllStandardOutput(),
              "--base=\nhexadecimal hex\nbinary bin\ntext tsv json\noctal,decimal\n16 128\n");
}

class InstalledTree : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = qEnvironmentVariable("QUILLORA_INSTALLED_ROOT");
        if (root_.isEmpty()) {
            GTEST_SKIP() << "QUILLORA_INSTALLED_ROOT not set (ctest sets it after check-deb.sh)";
        }
    }
    QString usr(const QString& relative) const {
        return QDir(root_).filePath(QStringLiteral("usr/") + relative);
    }
    // The value of a key of a desktop entry, or the empty text.
    QString desktopValue(const QString& key) const {
        const QByteArray entry =
            ReadFile(usr(QStringLiteral("share/applications/com.tolvenrix.Quillora.desktop")));
        for (const QByteArray& line : entry.split('\n')) {
            if (line.startsWith(key.toUtf8() + '=')) {
                return QString::fromUtf8(line.mid(key.size() + 1));
            }
        }
        return QString();
    }

    QString root_;
};

TEST_F(InstalledTree, ProgramFindsItsSkinWindowAndPluginFromBin) {
    const QString bin = usr(QStringLiteral("bin"));
    EXPECT_EQ(FolderHolding(bin, SkinFilePath), usr(QStringLiteral("share/quillora")));
    EXPECT_TRUE(QFileInfo(SkinFilePath(FolderHolding(bin, SkinFilePath))).isFile());
    EXPECT_TRUE(QFileInfo(QString::fromStdString(WindowModuleSearchPaths(bin.toStdString()).back()))
                    .isFile());
    if (QUILLORA_PLUGIN_EXPECTED) {
        // Nothing lies beside bin/quillora, so this is the installed plugin,
        // which has no search path into LibreOffice: it loads only because
        // the UNO runtime was loaded from LibreOffice's folder first.
        const CalcPlugin plugin(CalcPluginSearchPaths(bin));
        EXPECT_TRUE(plugin.loaded()) << plugin.errorString().toStdString();
    }
}

// The packaged program prints the results without a display, the settings
// folder untouched, and carries its shell completion.
TEST_F(InstalledTree, CalcPrintsTheResultsFromStandardInputWithoutADisplay) {
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        environment.remove(QString::fromLatin1(name));
    }
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(usr(QStringLiteral("bin/quillora")),
                  {QStringLiteral("--calc"), QStringLiteral("--base=hex"),
                   QStringLiteral("--format=tsv"), QStringLiteral("--rows=decimal,hexadecimal")});
    ASSERT_TRUE(program.waitForStarted(10000)) << program.errorString().toStdString();
    program.write("FF\r\n5\n3");
    program.closeWriteChannel();
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    EXPECT_EQ(program.readAllStandardOutput(),
              "Base\tAddition\tSubtraction\tMultiplication\tDivision\n"
              "Decimal\t263\t247\t3825\t17\n"
              "Hexadecimal\t107\tF7\tEF1\t11\n");
    EXPECT_FALSE(QFileInfo::exists(home.filePath(QStringLiteral("config"))));
    EXPECT_TRUE(
        QFileInfo(usr(QStringLiteral("share/bash-completion/completions/quillora"))).isFile());
}

TEST_F(InstalledTree, DesktopEntryStartsTheProgramWithItsOwnIcon) {
    const QString program = desktopValue(QStringLiteral("Exec"));
    ASSERT_FALSE(program.isEmpty());
    EXPECT_TRUE(QFileInfo(usr(QStringLiteral("bin/") + program)).isExecutable());

    const QString icon = desktopValue(QStringLiteral("Icon"));
    ASSERT_FALSE(icon.isEmpty());
    const QString hicolor = QStringLiteral("share/icons/hicolor/");
    EXPECT_TRUE(
        QFileInfo(usr(hicolor + QStringLiteral("scalable/apps/") + icon + ".svg")).isFile());
    const QImage png(usr(hicolor + QStringLiteral("256x256/apps/") + icon + ".png"));
    ASSERT_EQ(png.size(), QSize(256, 256));
    // Rendered, not blank: the middle of the icon is opaque.
    EXPECT_EQ(qAlpha(png.pixel(128, 128)), 255);

    const QByteArray metainfo =
        ReadFile(usr(QStringLiteral("share/metainfo/com.tolvenrix.Quillora.metainfo.xml")));
    EXPECT_TRUE(metainfo.contains(
        "<launchable type=\"desktop-id\">com.tolvenrix.Quillora.desktop</launchable>"));
}

// Started as the desktop menu starts it, without a display, the program
// builds its window, closes it through the normal close and stores its
// settings, all in a scratch home so no real user's settings are touched.
TEST_F(InstalledTree, StartsHeadlessAndStoresSettingsOnClose) {
    QTemporaryDir home;
    const QString config = home.filePath(QStringLiteral(".config"));
    const QString store = config + QStringLiteral("/Tolvenrix.conf");
    const QString runtime = home.filePath(QStringLiteral("runtime"));
    ASSERT_TRUE(QDir().mkpath(runtime));
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // Octal as the remembered base, written as a number; no list stored yet.
    WriteFile(store, "[Quillora]\nOption3=1\n");

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    environment.insert(QStringLiteral("QUILLORA_SMOKE_CLOSE_MS"), QStringLiteral("300"));
    environment.remove(QStringLiteral("QUILLORA_CALC_PLUGIN"));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(usr(QStringLiteral("bin/quillora")), QStringList());
    ASSERT_TRUE(program.waitForStarted(10000)) << program.errorString().toStdString();
    if (!program.waitForFinished(60000)) {
        program.kill();
        program.waitForFinished();
        FAIL() << "the program did not close by itself within a minute";
    }
    const std::string output = program.readAll().toStdString();
    ASSERT_EQ(program.exitStatus(), QProcess::NormalExit) << output;
    EXPECT_EQ(program.exitCode(), 0) << output;

    QSettings stored(store, QSettings::IniFormat);
    stored.beginGroup(QStringLiteral("Quillora"));
    // Start-up read the base and selected it, which writes all four options.
    EXPECT_EQ(stored.value(QStringLiteral("Option3")).toString(), QStringLiteral("True"));
    EXPECT_EQ(stored.value(QStringLiteral("Option1")).toString(), QStringLiteral("False"));
    // Only the window's close stores the list.
    EXPECT_TRUE(stored.contains(QStringLiteral("Zip Codes"))) << ReadFile(store).toStdString();
}

}  // namespace
}  // namespace quillora

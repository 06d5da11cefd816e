#pragma once

// Starts the real Form1 headless: scripted dialogs, a settings store in a
// temporary folder (never the user's), and a program folder of the test's own
// for the skin file and the hand cursor.
#include <map>
#include <memory>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>

#include "app/Form1.h"
#include "support/FakePorts.h"

namespace quillora::testing {

class AppHarness {
  public:
    AppHarness() {
        configFolder = temp.filePath(QStringLiteral("config"));
        programFolder = temp.filePath(QStringLiteral("program"));
        QDir().mkpath(configFolder);
        QDir().mkpath(programFolder);
        pointSettingsAt(configFolder);
    }

    // Where QSettings keeps the per-user store from now on.
    static void pointSettingsAt(const QString& folder) {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
    }

    QString settingsFile() const {
        return QDir(configFolder).filePath(QStringLiteral("Tolvenrix.conf"));
    }

    void store(const std::map<QString, QString>& values) const {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
                           QStringLiteral("Tolvenrix"));
        settings.beginGroup(QStringLiteral("Quillora"));
        for (const auto& [key, text] : values) {
            settings.setValue(key, text);
        }
    }

    QVariant stored(const QString& key) const {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
                           QStringLiteral("Tolvenrix"));
        return settings.value(QStringLiteral("Quillora/") + key);
    }

    // Reads the store as a fresh program would, from the file on disk rather
    // than from this process's cache of it.
    QVariant storedOnDisk(const QString& key) const {
        const QString copy = temp.filePath(QStringLiteral("copy-%1.conf").arg(++copies_));
        QFile::copy(settingsFile(), copy);
        QSettings settings(copy, QSettings::IniFormat);
        return settings.value(QStringLiteral("Quillora/") + key);
    }

    void writeProgramFile(const QString& relativePath, const QByteArray& bytes) const {
        const QString path = QDir(programFolder).filePath(relativePath);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
    }

    std::unique_ptr<Form1> start(EventPump* pump = nullptr) {
        Form1Setup setup;
        setup.dialogs = &dialogs;
        setup.pump = pump;
        setup.clipboard = clipboard;
        setup.spreadsheets = spreadsheets;
        setup.programFolder = programFolder;
        setup.endProgram = [this] { ++programEnds; };
        return std::make_unique<Form1>(setup);
    }

    // Closes the window as the user would and makes a new one, as a restart does.
    std::unique_ptr<Form1> restart(std::unique_ptr<Form1> form) {
        form->close();
        form.reset();
        return start();
    }

    QTemporaryDir temp;
    QString configFolder;
    QString programFolder;
    RecordingDialogs dialogs;
    ClipboardPort* clipboard = nullptr;           // the real one when not set
    SpreadsheetProvider* spreadsheets = nullptr;  // the real one when not set
    int programEnds = 0;

  private:
    mutable int copies_ = 0;
};

inline QStringList Entries(Form1& form) {
    QStringList all;
    for (int row = 0; row < form.numbers().count(); ++row) {
        all << form.numbers().text(row);
    }
    return all;
}

}  // namespace quillora::testing

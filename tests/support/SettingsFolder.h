#pragma once

// A settings store in a temporary folder of the test's own, never the
// user's: where QSettings and the store find Tolvenrix.conf while it lives,
// and what plain QSettings reads back from it, as a fresh program would.
#include <gtest/gtest.h>

#include <map>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>

namespace quillora::testing {

// The file's bytes, or none where it cannot be read.
inline QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Replaces the file's bytes.
inline void Put(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// What plain QSettings reads from the file now, as a new process would.
inline QVariant QtReads(const QString& file, const QString& key) {
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

class SettingsFolder {
  public:
    SettingsFolder() {
        configFolder = temp.filePath(QStringLiteral("config"));
        QDir().mkpath(configFolder);
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

    // Reads the store as a fresh program would, from the file on disk rather
    // than from this process's cache of it: QSettings takes a file that kept
    // its size and modification time for unchanged, and two quick writes of
    // an option (True and False swapped) can leave both the same.
    QVariant stored(const QString& key) const { return storedOnDisk(key); }

    QVariant storedOnDisk(const QString& key) const {
        const QString copy = temp.filePath(QStringLiteral("copy-%1.conf").arg(++copies_));
        QFile::copy(settingsFile(), copy);
        QSettings settings(copy, QSettings::IniFormat);
        return settings.value(QStringLiteral("Quillora/") + key);
    }

    QTemporaryDir temp;
    QString configFolder;

  private:
    mutable int copies_ = 0;
};

}  // namespace quillora::testing

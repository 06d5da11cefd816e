// The whole settings file, as other programs and hand edits may leave it.
// Quillora's store must read each of its values as QSettings reads the same
// file (or refuse it as no text), and a close that stores a new list must
// leave a file in which QSettings reads that list exactly and every other
// key as before; storing the same list again must not change a byte.
// Input: one byte that splits the rest into the file and the new list.
#include <cstdint>
#include <string>
#include <string_view>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include "app/SettingsFile.h"
#include "app/SettingsStore.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/ScratchFolder.h"

using namespace quillora;
using namespace quillora::fuzz;

namespace {

QString FilePath() {
    return ScratchPath(QStringLiteral("Tolvenrix.conf"));
}

QByteArray Bytes() {
    QFile file(FilePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every key QSettings reads from the file now, from a name it never cached.
QVariantMap QtReads() {
    static int copies = 0;
    const QString copy = ScratchPath(QStringLiteral("copy-%1").arg(++copies));
    QFile::copy(FilePath(), copy);
    QVariantMap all;
    {
        QSettings settings(copy, QSettings::IniFormat);
        for (const QString& key : settings.allKeys()) {
            all.insert(key, settings.value(key));
        }
    }
    QFile::remove(copy);
    return all;
}

// The value as text the way the store has always read it; nothing for a typed one.
std::optional<QString> AsText(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::QString:
        case QMetaType::QByteArray:
            return value.toString();
        case QMetaType::QStringList:
            return value.toStringList().join(QLatin1Char(','));
        default:
            return std::nullopt;
    }
}

std::string Shown(const QString& text) {
    return Printable(text.toStdString(), 120);
}

void CheckReading(const QVariantMap& qt) {
    SettingsStore store;
    const QString absent = QStringLiteral("\x01absent");
    for (const char* name : {"Option1", "Option2", "Option3", "Option4", "Zip Codes"}) {
        const QString key = QString::fromLatin1(name);
        const QString full = QStringLiteral("Quillora/") + key;
        std::optional<QString> ours;
        try {
            if (key == SettingsStore::kListKey) {
                std::string_view list;
                store.readList(list);
                ours = QString::fromUtf8(QByteArrayView(list));
            } else {
                ours = store.read(key, absent);
            }
        } catch (const SettingsFileError&) {
            // No text, as far as the store can tell: kept, never read.
            Require(key == SettingsStore::kListKey, "an option value refused: " + Shown(key));
            continue;
        }
        if (!qt.contains(full)) {
            Require(key == SettingsStore::kListKey ? ours->isEmpty() : *ours == absent,
                    "QSettings has no " + Shown(key) + ", the store read " + Shown(*ours));
            continue;
        }
        const std::optional<QString> theirs = AsText(qt.value(full));
        if (theirs) {
            Require(*ours == *theirs, Shown(key) + ": QSettings read " + Shown(*theirs) +
                                          ", the store " + Shown(*ours));
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, ScratchFolder().path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, ScratchFolder().path());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size > 20000) {
        return 0;
    }
    const std::size_t fileSize = (size - 1) * data[0] / 255;
    const QByteArray file(reinterpret_cast<const char*>(data + 1),
                          static_cast<qsizetype>(fileSize));
    const QString list = QString::fromUtf8(reinterpret_cast<const char*>(data + 1 + fileSize),
                                           static_cast<qsizetype>(size - 1 - fileSize));
    {
        QFile out(FilePath());
        Require(
            out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(file) == file.size(),
            "the file could not be written");
    }
    const QVariantMap before = QtReads();
    CheckReading(before);

    SettingsStore store;
    try {
        store.writeList(list.toStdString());
    } catch (const std::exception& e) {
        Fail(std::string("storing the list failed: ") + e.what());
    }
    const QVariantMap after = QtReads();
    const QString full = QStringLiteral("Quillora/Zip Codes");
    Require(
        after.value(full).toString() == list && after.value(full).typeId() == QMetaType::QString,
        "stored " + Shown(list) + ", QSettings read " + Shown(after.value(full).toString()));
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (it.key() != full) {
            Require(after.contains(it.key()) && after.value(it.key()) == it.value(),
                    "the key " + Shown(it.key()) + " changed or went");
        }
    }
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        Require(it.key() == full || before.contains(it.key()), "a new key " + Shown(it.key()));
    }
    CheckReading(after);

    const QByteArray written = Bytes();
    SettingsStore again;
    again.writeList(list.toStdString());
    Require(Bytes() == written, "storing the same list again changed the file");
    return 0;
}

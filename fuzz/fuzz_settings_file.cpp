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

#include "fuzz/FuzzCheck.h"
#include "fuzz/ScratchFolder.h"
#include "input/NumberListModel.h"
#include "store/IniLines.h"
#include "store/IniValues.h"
#include "store/SettingsFile.h"
#include "store/SettingsStore.h"
#include "store/StoredList.h"

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
        std::optional<QString> theirs = AsText(qt.value(full));
        if (theirs) {
            // The store holds texts as UTF-8, as QSettings writes them: a
            // surrogate half an escape left alone reads as QSettings' own
            // writing would put it back.
            theirs = QString::fromUtf8(theirs->toUtf8());
            Require(*ours == *theirs, Shown(key) + ": QSettings read " + Shown(*theirs) +
                                          ", the store " + Shown(*ours));
        }
    }
}

// A key as QSettings looks it up: no "/" at either end, none doubled. It
// lists "Quillora//Zip Codes" (from a section "[Quillora/]") as it stands,
// but reads it as the list's own key.
QString Normalized(QString key) {
    while (key.contains(QStringLiteral("//"))) {
        key.replace(QStringLiteral("//"), QStringLiteral("/"));
    }
    while (key.startsWith(QLatin1Char('/'))) {
        key.remove(0, 1);
    }
    while (key.endsWith(QLatin1Char('/'))) {
        key.chop(1);
    }
    return key;
}

// Whether the file's list value, if it has one, reads as a text in full.
bool ListReadable(const QByteArray& file) {
    const std::string_view bytes(file.constData(), static_cast<std::size_t>(file.size()));
    const ini::GroupLines lines = ini::FindGroup(bytes, "Quillora");
    const ini::KeyLine* line = ini::FindKey(lines, "Zip Codes");
    return line == nullptr ||
           (!ini::CutShort(*line) && (ini::PlainValue(line->value) ||
                                      ini::ReadValue(line->value).kind == ini::Value::Kind::Text));
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
    // A value QSettings cannot read as the list's text (a typed form, one an
    // unquoted ";" cuts short) is only ever replaced by a list of the user's
    // own: an empty one leaves it as it was.
    const bool keptAsItWas = list.isEmpty() && !ListReadable(file);
    if (keptAsItWas) {
        Require(after.value(full) == before.value(full),
                "an empty list replaced a value that was no text");
    } else {
        Require(
            after.value(full).toString() == list &&
                after.value(full).typeId() == QMetaType::QString,
            "stored " + Shown(list) + ", QSettings read " + Shown(after.value(full).toString()));
    }
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (Normalized(it.key()) != full) {
            Require(after.contains(it.key()) && after.value(it.key()) == it.value(),
                    "the key " + Shown(it.key()) + " changed or went");
        }
    }
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        Require(Normalized(it.key()) == full || before.contains(it.key()),
                "a new key " + Shown(it.key()));
    }
    CheckReading(after);

    const QByteArray written = Bytes();
    SettingsStore again;
    again.writeList(list.toStdString());
    Require(Bytes() == written, "storing the same list again changed the file");

    // From the list itself, piece by piece as a close writes it, over the
    // file as it was: the very same bytes.
    {
        QFile out(FilePath());
        Require(
            out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(file) == file.size(),
            "the file could not be written again");
    }
    NumberListModel rows;
    const std::string text = list.toStdString();
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(';', start);
        rows.append(std::string_view(text).substr(start, end - start));
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    SettingsStore pieces;
    pieces.writeList(StoredListSource(rows));
    Require(Bytes() == written, "the list written piece by piece gave other bytes");
    return 0;
}

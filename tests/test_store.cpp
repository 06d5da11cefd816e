// The settings store on its own, without a window: what it writes, what
// QSettings reads back of it, and what it reads of files others wrote.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include <QDateTime>
#include <QFileInfo>
#include <QSettings>
#include <QStringDecoder>

#include "input/NumberListModel.h"
#include "store/SettingsStore.h"
#include "store/StoredList.h"
#include "support/QStringPrinting.h"
#include "support/SettingsFolder.h"

namespace quillora {
namespace {

using namespace quillora::testing;

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
        SettingsFolder app;
        Put(app.settingsFile(), file);
        const QString before = AllKeysRead(app.settingsFile());
        SettingsStore().writeList(std::string_view("5"));
        EXPECT_EQ(AllKeysRead(app.settingsFile()),
                  QStringLiteral("Quillora/Zip Codes=5\n") + before);
    }
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
    SettingsFolder app;
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

// ---- A list taken over at start-up ------------------------------------------------------

// What start-up does: the stored list read and handed to the list, which
// packs it in place in the bytes the store read.
void Restore(SettingsStore& store, NumberListModel& list) {
    std::string_view stored;
    store.readList(stored);
    EntryBatch rows;
    store.takeList(rows);
    list.appendMany(std::move(rows));
}

const QByteArray kAround =
    "; shared\n[General]\nTheme=dark\n\n[Quillora]\nOption1=true\n"
    "Zip%20Codes=\"12;345;;6789\" ; kept\nOther=before\n[Next]\nx=1\n";

// A store that restored the list from kAround, as start-up does; settled:
// the file's stamp older than the coarseness of file times.
struct Restored {
    explicit Restored(bool settled = true) {
        Put(app.settingsFile(), kAround);
        if (settled) {
            SetChangedLongAgo(app.settingsFile());
        }
        stamp = QFileInfo(app.settingsFile()).lastModified();
        Restore(store, list);
    }

    SettingsFolder app;
    SettingsStore store;
    NumberListModel list;
    QDateTime stamp;
};

// Once the list has its bytes, the store holds the file without them: every
// other key still reads as before, the list itself is read from the file
// again, and an unchanged list writes nothing, whether the file's stamp was
// settled or not.
TEST(StoreTaken, AnUnchangedListWritesNothingAndEveryKeyStillReads) {
    for (const bool settled : {true, false}) {
        Restored restored(settled);
        auto& [app, store, list, stamp] = restored;
        EXPECT_EQ(list.joined(';'), "12;345;;6789");
        EXPECT_EQ(store.read(QStringLiteral("Other"), QString()), QStringLiteral("before"));
        EXPECT_EQ(store.read(QStringLiteral("Option1"), QString()), QStringLiteral("true"));
        store.writeList(StoredListSource(list));
        EXPECT_EQ(FileBytes(app.settingsFile()), kAround);
        EXPECT_EQ(QFileInfo(app.settingsFile()).lastModified(), stamp);

        NumberListModel again;
        Restore(store, again);
        EXPECT_EQ(store.read(QStringLiteral("Zip Codes"), QString()),
                  QStringLiteral("12;345;;6789"));
        std::string_view back;
        store.readList(back);
        EXPECT_EQ(back, "12;345;;6789");
    }
}

// A changed list, one as long as the stored one that differs only in its
// last byte among them, replaces just its own line; so do an emptied one and
// one of bytes that are no UTF-8, repaired as a store that never took the
// list's bytes repairs them.
TEST(StoreTaken, AChangedListReplacesOnlyItsOwnLine) {
    const std::vector<std::pair<std::vector<std::string>, QByteArray>> changes{
        {{"12", "345", "", "6788"}, "\"12;345;;6788\""},
        {{"12", "345"}, "\"12;345\""},
        {{}, ""},
        {{"12", "\xFF", "3"}, {}},
    };
    for (const bool settled : {true, false}) {
        for (const auto& [rows, value] : changes) {
            NumberListModel changed;
            changed.appendMany(rows);
            QByteArray expected = kAround;
            if (value.isNull()) {
                SettingsFolder reference;
                Put(reference.settingsFile(), kAround);
                SettingsStore().writeList(StoredListSource(changed));
                expected = FileBytes(reference.settingsFile());
                ASSERT_NE(expected, kAround);
            } else {
                expected.replace("Zip%20Codes=\"12;345;;6789\" ; kept", "Zip%20Codes=" + value);
            }
            Restored restored(settled);
            restored.store.writeList(StoredListSource(changed));
            EXPECT_EQ(FileBytes(restored.app.settingsFile()), expected) << value.toStdString();
        }
    }
}

// Whatever another program did to the file since start-up is kept: the
// list the file holds now, however long, is compared, never the one it held.
TEST(StoreTaken, AFileChangedByAnotherProgramIsEditedAsItIsOnDisk) {
    // Another key changed, the list as long as before: only the stamp's time tells.
    {
        Restored restored;
        auto& [app, store, list, stamp] = restored;
        QByteArray other = kAround;
        other.replace("Other=before", "Other=behind");
        Put(app.settingsFile(), other);
        store.writeList(StoredListSource(list));
        EXPECT_EQ(FileBytes(app.settingsFile()), other);
        list.append(std::string_view("7"));
        store.writeList(StoredListSource(list));
        other.replace("Zip%20Codes=\"12;345;;6789\" ; kept", "Zip%20Codes=\"12;345;;6789;7\"");
        EXPECT_EQ(FileBytes(app.settingsFile()), other);
    }
    // The list changed on disk, as long as before or not: the list kept at
    // start-up goes back, and the other keys stay.
    for (const char* now : {"Zip%20Codes=\"12;345;;6780\" ; kept", "Zip%20Codes=\"6789\"\nNew=1"}) {
        Restored restored;
        auto& [app, store, list, stamp] = restored;
        QByteArray changed = kAround;
        changed.replace("Zip%20Codes=\"12;345;;6789\" ; kept", now);
        Put(app.settingsFile(), changed);
        store.writeList(StoredListSource(list));
        EXPECT_EQ(QtReads(app.settingsFile(), QStringLiteral("Zip Codes")).toString(),
                  QStringLiteral("12;345;;6789"))
            << now;
        EXPECT_EQ(QtReads(app.settingsFile(), QStringLiteral("Other")).toString(), "before");
    }
    // Another program stored the very list, elsewhere in the file: nothing to write.
    {
        Restored restored;
        auto& [app, store, list, stamp] = restored;
        const QByteArray moved("[Quillora]\nNew=1\nZip%20Codes=\"12;345;;6789\"\n");
        Put(app.settingsFile(), moved);
        store.writeList(StoredListSource(list));
        EXPECT_EQ(FileBytes(app.settingsFile()), moved);
    }
}

// A write of other keys while the list's bytes are the list's never loses
// the stored list: the file is read whole again for it.
TEST(StoreTaken, OtherKeysWrittenLeaveTheStoredListWhole) {
    Restored restored;
    auto& [app, store, list, stamp] = restored;
    store.write(QStringLiteral("Other"), QStringLiteral("after"));
    QByteArray expected = kAround;
    expected.replace("Other=before", "Other=after");
    EXPECT_EQ(FileBytes(app.settingsFile()), expected);
    store.writeList(StoredListSource(list));
    EXPECT_EQ(FileBytes(app.settingsFile()), expected);
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
        SettingsFolder joined;
        SettingsStore().writeList(list.joined(';'));
        const QByteArray expected = FileBytes(joined.settingsFile());
        SettingsFolder pieces;
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
        SettingsFolder app;
        SettingsStore store;
        store.writeList(list.toStdString());
        EXPECT_TRUE(QtReads(app.settingsFile(), QStringLiteral("Zip Codes")).toString() == list);
        // Over a line that is there already, as at every close after the first.
        store.writeList("1");
        store.writeList(list.toStdString());
        EXPECT_TRUE(QtReads(app.settingsFile(), QStringLiteral("Zip Codes")).toString() == list);

        SettingsFolder other;
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

// An escape may name half of a surrogate pair, which QSettings keeps in its
// text as it is. The store holds texts as UTF-8, where a lone half has no
// form: it reads the text as QSettings' own writing would put it back, the
// half as "?". Two halves that pair up are one character, as in QSettings.
TEST(StoreFormat, EscapedSurrogateHalvesReadAsQSettingsWouldWriteThem) {
    const struct {
        const char* stored;
        const char* read;
    } cases[] = {
        {R"(Zip Codes="1\154555,2")", "1?,2"},
        {R"(Zip Codes="a\"b\55555555555555555t")", "a\"b?t"},  // octal past 16 bits wraps
        {R"(Zip Codes=\xdc00x)", "?x"},
        {R"(Zip Codes=\xd83d\xde00)", "\xF0\x9F\x98\x80"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        SettingsFolder app;
        Put(app.settingsFile(), QByteArray("[Quillora]\n") + c.stored + "\n");
        SettingsStore store;
        std::string_view list;
        store.readList(list);
        EXPECT_EQ(list, c.read);
        const QString theirs = QtReads(app.settingsFile(), QStringLiteral("Zip Codes"))
                                   .toStringList()
                                   .join(QLatin1Char(','));
        EXPECT_EQ(theirs.toStdString(), c.read);
    }
}

}  // namespace
}  // namespace quillora

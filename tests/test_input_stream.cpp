// The streaming reader under `quillora --calc`: a list read block by block,
// with nothing of it kept, must give what one feed of the same bytes through
// the list-file splitter gives.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "core/ByteScan.h"
#include "engine/EntryValidation.h"
#include "engine/PlainWordReading.h"
#include "input/ListFileSplitter.h"
#include "input/ListStream.h"
#include "support/SettingsFolder.h"

namespace quillora {
namespace {

struct Streamed {
    std::vector<std::string> entries;
    std::vector<unsigned long long> lines;
    std::vector<std::optional<double>> values;
    StreamTally tally;
};

// An entry as the stream hands it on, with the line it stands on.
void Record(Streamed& out, const ListStream& stream, std::string_view entry,
            const std::uint64_t* word) {
    out.entries.emplace_back(entry);
    out.values.push_back(word != nullptr ? std::optional<double>(PlainWordValue(*word))
                                         : std::nullopt);
    out.lines.push_back(stream.line());
}

// The bytes read from a file by a stream into the sink makeSink(stream, out) gives.
template <class MakeSink>
Streamed StreamInto(const QByteArray& bytes, Base base, MakeSink&& makeSink) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.txt"));
    testing::Put(path, bytes);
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    ListStream stream(base);
    Streamed streamed;
    auto sink = makeSink(stream, streamed);
    stream.read(fd, sink);
    ::close(fd);
    streamed.tally = stream.tally();
    return streamed;
}

Streamed Stream(const QByteArray& bytes, Base base) {
    return StreamInto(bytes, base, [](const ListStream& stream, Streamed& out) {
        return [&stream, &out](std::string_view entry, const std::uint64_t* word) {
            Record(out, stream, entry, word);
        };
    });
}

TEST(ListStream, EntriesTheirLinesAndSkippedLinesAcrossBlocks) {
    // Plain digits come read, as they stand; the rest upper-cased, to be read.
    const Streamed hex = Stream("ff\r\n\r\n1g\r\nAb \r\r7", Base::Hexadecimal);
    EXPECT_EQ(hex.entries, std::vector<std::string>({"ff", "AB ", "7"}));
    EXPECT_EQ(hex.values, std::vector<std::optional<double>>({255.0, std::nullopt, 7.0}));
    EXPECT_EQ(hex.lines, std::vector<unsigned long long>({1, 4, 6}));
    EXPECT_EQ(hex.tally.accepted, 3U);
    EXPECT_EQ(hex.tally.skipped, 1U);
    EXPECT_EQ(hex.tally.firstSkippedLine, 3U);

    // An overlong line over several blocks, then an entry whose CR LF is
    // split between two blocks.
    QByteArray long_(static_cast<qsizetype>(kStreamBlock) * 2 + 5, '1');
    QByteArray bytes = "10\n" + long_ + "\n";
    // "11" ends a block's last bytes but one, its CR the last, its LF the next block's first.
    bytes += QByteArray(static_cast<qsizetype>(kStreamBlock * 3) - bytes.size() - 3, '\n');
    bytes += "11\r\n0\n";
    const Streamed binary = Stream(bytes, Base::Binary);
    EXPECT_EQ(binary.entries, std::vector<std::string>({"10", "11", "0"}));
    const auto expectedLine = static_cast<unsigned long long>(kStreamBlock * 3 - long_.size() - 4);
    EXPECT_EQ(binary.lines[1], expectedLine);
    EXPECT_EQ(binary.lines[2], expectedLine + 1);
    EXPECT_EQ(binary.tally.skipped, 1U);
    EXPECT_EQ(binary.tally.firstSkippedLine, 2U);
}

// The same bytes cut by the splitter in one feed and read as the stream
// documents it: the model the stream's reading by blocks, and its lines of
// one width read where they stand, must give back exactly.
Streamed FedWhole(const QByteArray& bytes, Base base) {
    ListFileSplitter splitter;
    Streamed model;
    const auto take = [&](std::string_view candidate) {
        std::uint64_t word = 0;
        const bool plain = base == Base::Binary        ? ReadPlainWordAs<1>(candidate, word)
                           : base == Base::Octal       ? ReadPlainWordAs<3>(candidate, word)
                           : base == Base::Hexadecimal ? ReadPlainWordAs<4>(candidate, word)
                                                       : false;
        if (plain) {
            model.entries.emplace_back(candidate);
            model.values.emplace_back(PlainWordValue(word));
        } else if (IsAcceptedEntry(candidate, Radix(base))) {
            std::string entry(candidate);
            if (base == Base::Hexadecimal) {
                bytescan::UpperCaseAscii(entry.data(), entry.size());
            }
            model.entries.push_back(entry);
            model.values.emplace_back(std::nullopt);
        } else {
            if (model.tally.skipped++ == 0) {
                model.tally.firstSkippedLine = splitter.line();
            }
            return;
        }
        ++model.tally.accepted;
        model.lines.push_back(splitter.line());
    };
    const auto drop = [&] {
        if (model.tally.skipped++ == 0) {
            model.tally.firstSkippedLine = splitter.line();
        }
    };
    splitter.feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), take,
                  drop);
    splitter.finish(take, drop);
    return model;
}

// Runs of one width across many blocks, broken now and then by another
// width, a CR LF, a blank line, a bad line, a long line or no line end.
// A break comes about once in every `rarity` / 7 lines.
QByteArray LinesMostlyOfOneWidth(std::mt19937& random, Base base, int round,
                                 unsigned rarity = 400) {
    const char* const digits = "0123456789abcdefABCDEF";
    const int radix = Radix(base);
    QByteArray bytes = round % 5 == 0 ? QByteArray("\xEF\xBB\xBF") : QByteArray();
    int width = 1 + static_cast<int>(random() % 20);
    while (bytes.size() < static_cast<qsizetype>(kStreamBlock) * 3 + 777) {
        const unsigned odd = random() % rarity;
        if (odd == 0) {
            width = 1 + static_cast<int>(random() % 70);
        }
        QByteArray line;
        for (int i = 0; i < width; ++i) {
            const unsigned pick = random() % static_cast<unsigned>(radix == 16 ? 22 : radix);
            line += digits[pick];
        }
        if (odd == 1) {
            line = "x" + line;
        } else if (odd == 2) {
            line.clear();
        } else if (odd == 3) {
            line = QByteArray(5000, '1');
        } else if (odd == 4) {
            line += " ";
        }
        bytes += line + (odd == 5 ? "\r\n" : odd == 6 ? "\r" : "\n");
    }
    if (round % 2 == 1) {
        bytes += "101";  // no line end at the end
    }
    return bytes;
}

void ExpectSame(const Streamed& streamed, const Streamed& model) {
    EXPECT_EQ(streamed.entries, model.entries);
    EXPECT_EQ(streamed.values, model.values);
    EXPECT_EQ(streamed.lines, model.lines);
    EXPECT_EQ(streamed.tally.accepted, model.tally.accepted);
    EXPECT_EQ(streamed.tally.skipped, model.tally.skipped);
    EXPECT_EQ(streamed.tally.firstSkippedLine, model.tally.firstSkippedLine);
}

TEST(ListStream, LinesOfOneWidthReadWhereTheyStandAsTheSplitterCutsThem) {
    std::mt19937 random(20261209);
    for (int round = 0; round < 60; ++round) {
        const Base base = kAllBases.at(static_cast<std::size_t>(round) % kAllBases.size());
        const QByteArray bytes = LinesMostlyOfOneWidth(random, base, round);
        SCOPED_TRACE(round);
        ExpectSame(Stream(bytes, base), FedWhole(bytes, base));
    }
}

// A reader that folds runs of words itself, and now and then offers no run
// or voids the one it had: the stream must still hand on every line once, in
// order, with its value and its line.
template <class V>
class RunsOfWords {
  public:
    struct Run {
        using Value = V;
        std::vector<double> values;
        void take(V value) {
            if constexpr (std::is_same_v<V, double>) {
                values.push_back(value);
            } else {
                values.push_back(PlainWordValue(value));
            }
        }
    };

    RunsOfWords(const ListStream& stream, Streamed& out, std::mt19937& random,
                unsigned long long& runLines, int& voided)
        : stream_(stream), out_(out), random_(random), runLines_(runLines), voided_(voided) {}

    void operator()(std::string_view entry, const std::uint64_t* word) {
        Record(out_, stream_, entry, word);
    }
    std::optional<Run> beginWords() {
        if (random_() % 4 == 0) {
            return std::nullopt;
        }
        return Run{};
    }
    bool endWords(const Run& run, unsigned long long taken) {
        EXPECT_EQ(run.values.size(), taken);
        if (random_() % 3 == 0) {
            ++voided_;
            return false;
        }
        runLines_ += taken;
        for (std::size_t i = 0; i < run.values.size(); ++i) {
            out_.entries.emplace_back(kTakenByARun);
            out_.values.emplace_back(run.values[i]);
            out_.lines.push_back(stream_.line() + i);  // line() is the run's first line
        }
        return true;
    }

    static constexpr const char* kTakenByARun = "(taken by a run)";

  private:
    const ListStream& stream_;
    Streamed& out_;
    std::mt19937& random_;
    unsigned long long& runLines_;
    int& voided_;
};

template <class V>
void ExpectRunsGiveEveryLineOnce(const QByteArray& bytes, Base base, std::mt19937& random,
                                 unsigned long long& runLines, int& voided) {
    Streamed streamed = StreamInto(bytes, base, [&](const ListStream& stream, Streamed& out) {
        return RunsOfWords<V>(stream, out, random, runLines, voided);
    });
    Streamed model = FedWhole(bytes, base);
    // A run is handed words, not texts.
    ASSERT_EQ(streamed.entries.size(), model.entries.size());
    for (std::size_t i = 0; i < streamed.entries.size(); ++i) {
        if (streamed.entries[i] == RunsOfWords<V>::kTakenByARun) {
            streamed.entries[i] = model.entries[i];
        }
    }
    ExpectSame(streamed, model);
}

TEST(ListStream, RunsOfWordsKeptOrVoidedHandOnEveryLineOnce) {
    std::mt19937 random(20261210);
    unsigned long long runLines = 0;
    int voided = 0;
    for (int round = 0; round < 24; ++round) {
        const Base base = kAllBases.at(static_cast<std::size_t>(round) % kAllBases.size());
        const QByteArray bytes =
            LinesMostlyOfOneWidth(random, base, round, round % 3 == 0 ? 400 : 40'000);
        SCOPED_TRACE(round);
        if (round % 2 == 0) {
            ExpectRunsGiveEveryLineOnce<double>(bytes, base, random, runLines, voided);
        } else {
            ExpectRunsGiveEveryLineOnce<std::uint64_t>(bytes, base, random, runLines, voided);
        }
    }
    EXPECT_GT(runLines, 10'000U) << "hardly any line was taken by a run";
    EXPECT_GT(voided, 10) << "hardly any run was voided";
}

}  // namespace
}  // namespace quillora

#include "app/CalcCommand.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <type_traits>
#include <vector>

#include "calc/ExactEntryFold.h"
#include "calc/ExactText.h"
#include "calc/ListFold.h"
#include "calc/StretchFold.h"
#include "core/StepReport.h"
#include "engine/PlainWordReading.h"
#include "export/ResultsPrinting.h"
#include "input/ListStream.h"

namespace quillora {

namespace {

constexpr std::string_view kStandardInput = "-";

// Where an input line stands, as messages name it: "data.txt:17".
std::string Place(const std::string& file, unsigned long long line) {
    return (file == kStandardInput ? std::string("stdin") : file) + ':' + std::to_string(line);
}

// Each failed step of the fold as one line on standard error, as the window's
// error report names it, and the input line it arose at when there is one.
class StandardErrorReport : public FailureReport {
  public:
    // exact: only what keeps an entry out of the exact results is told, not
    // what befalls the doubles the exact results stand in for.
    StandardErrorReport(std::FILE* err, bool exact) : err_(err), exact_(exact) {}

    void Report(const std::string& description, const std::string&, int label) override {
        if (exact_ && label >= kFirstDoubleStep && label <= kLastDoubleStep) {
            return;
        }
        ++failures_;
        std::string line = "quillora: " + description + " at line " + std::to_string(label);
        if (file_ != nullptr) {
            line += " (" + Place(*file_, stream_ != nullptr ? stream_->line() : line_) + ")";
        }
        std::fprintf(err_, "%s\n", line.c_str());
    }

    // The input line the steps from now on read; nothing for none.
    void at(const std::string* file, unsigned long long line) {
        file_ = file;
        stream_ = nullptr;
        line_ = line;
    }
    // Whatever line of the stream is being read when a step fails: asked
    // then, not set for every line of millions.
    void follow(const std::string* file, const ListStream* stream) {
        file_ = file;
        stream_ = stream;
    }

    int failures() const { return failures_; }

  private:
    // The fold's four operations (188 to 196) and the texts of the results
    // (208 to 250): steps on the doubles alone.
    static constexpr int kFirstDoubleStep = 188;
    static constexpr int kLastDoubleStep = 250;

    std::FILE* err_;
    bool exact_;
    const std::string* file_ = nullptr;
    const ListStream* stream_ = nullptr;
    unsigned long long line_ = 0;
    int failures_ = 0;
};

class CalcCommand {
  public:
    CalcCommand(const CalcOptions& options, std::FILE* out, std::FILE* err)
        : options_(options),
          out_(out),
          err_(err),
          report_(err, options.exact),
          steps_(report_, LocationName("Form1", "PushButton3_Click")),
          fold_(options.base, steps_) {
        if (options_.exact) {
            fold_.alsoFold(&exact_);
        }
    }

    int run() {
        const std::vector<std::string> files =
            options_.files.empty() ? std::vector<std::string>{std::string(kStandardInput)}
                                   : options_.files;
        for (const std::string& file : files) {
            if (!readInput(file)) {
                return 1;
            }
        }
        tellSkipped();
        if (entries_ < 2) {
            std::fprintf(err_, "quillora: Must have a least 2 numbers.\n");
            return 1;
        }
        const ResultTexts texts =
            options_.exact ? WriteExactResults(exact_.results(),
                                               ExactView{options_.word.value_or(0), options_.group})
                                 .cells
                           : fold_.texts();
        const PrintedResults results{texts,    options_.rows, options_.base,
                                     entries_, skipped_,      options_.exact};
        const std::string printed = PrintResults(results, options_.format);
        if (std::fwrite(printed.data(), 1, printed.size(), out_) != printed.size() ||
            std::fflush(out_) != 0) {
            std::fprintf(err_, "quillora: standard output: %s\n", std::strerror(errno));
            return 1;
        }
        if (report_.failures() > 0 || (options_.strict && skipped_ > 0)) {
            return 1;
        }
        return 0;
    }

  private:
    // Folds one input; false, with the reason told, when it cannot be read.
    bool readInput(const std::string& file) {
        const bool standardInput = file == kStandardInput;
        const int fd = standardInput ? STDIN_FILENO : ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            return cannotRead(file, std::strerror(errno));
        }
        ListStream stream(options_.base);
        report_.follow(&file, &stream);
        bool read = true;
        try {
            if (options_.exact) {
                stream.read(fd, Sink<ExactWordRun>{*this, file, stream});
            } else {
                stream.read(fd, Sink<WordRun>{*this, file, stream});
            }
        } catch (const std::system_error& failure) {
            read = cannotRead(file, failure.code().message());
        }
        report_.at(nullptr, 0);  // the stream is gone
        if (!standardInput) {
            ::close(fd);
        }
        const StreamTally& tally = stream.tally();
        if (tally.skipped > 0 && skipped_ == 0) {
            firstSkipped_ = Place(file, tally.firstSkippedLine);
        }
        skipped_ += tally.skipped;
        return read;
    }

    // Plain words folded with no test each, once the seed is in: each is
    // read already, so it cannot fail, and a step that would fail voids the
    // whole run, whose lines come again one by one.
    struct WordRun {
        using Value = double;
        StretchFold fold;

        [[gnu::always_inline]] void take(double value) { fold.fold(value); }
        std::optional<Accumulators> finish() const { return fold.finish(); }
    };

    // With --exact the doubles are neither printed nor told, so plain words
    // go to the exact fold alone, which cannot fail.
    struct ExactWordRun {
        using Value = std::uint64_t;
        ExactFold::Words words;

        [[gnu::always_inline]] void take(std::uint64_t word) { words.take(word); }
    };

    // What the stream hands its entries and runs of words to.
    template <class Run>
    struct Sink {
        CalcCommand& command;
        const std::string& file;
        const ListStream& stream;

        void operator()(std::string_view entry, const std::uint64_t* word) const {
            command.accept(entry, word, file, stream);
        }
        // Runs begin once the seed is in.
        std::optional<Run> beginWords() const {
            if (command.entries_ < 2) {
                return std::nullopt;
            }
            if constexpr (std::is_same_v<Run, ExactWordRun>) {
                return Run{command.exact_.words()};
            } else {
                if (!StretchFold::FlagsKept()) {
                    return std::nullopt;
                }
                return Run{StretchFold(command.fold_.accumulators())};
            }
        }
        bool endWords(Run& run, unsigned long long taken) const {
            if constexpr (std::is_same_v<Run, ExactWordRun>) {
                run.words.finish();
            } else {
                const std::optional<Accumulators> folded = run.finish();
                if (!folded) {
                    return false;
                }
                command.fold_.resume(*folded);
            }
            command.entries_ += taken;
            return true;
        }
    };

    bool cannotRead(const std::string& file, const std::string& reason) {
        const char* name = file == kStandardInput ? "standard input" : file.c_str();
        std::fprintf(err_, "quillora: %s: %s\n", name, reason.c_str());
        return false;
    }

    // The first entry waits for a second, as the window's run starts only
    // with two: a list of one reports nothing but that.
    // word: the entry already read, for most entries of a power-of-two base.
    void accept(std::string_view entry, const std::uint64_t* word, const std::string& file,
                const ListStream& stream) {
        if (++entries_ <= 2) [[unlikely]] {
            if (entries_ == 1) {
                first_.assign(entry);
                firstValue_.reset();
                if (word != nullptr) {
                    firstValue_.emplace(PlainWordValue(*word));
                }
                firstFile_ = file;
                firstLine_ = stream.line();
                return;
            }
            report_.at(&firstFile_, firstLine_);
            if (firstValue_) {
                fold_.seedRead(first_, *firstValue_);
            } else {
                fold_.seed([&] { return std::string_view(first_); });
            }
            report_.follow(&file, &stream);
        }
        if (word != nullptr && options_.exact) {
            // Read already, it cannot fail; and with --exact the doubles are
            // neither printed nor told, so only the exact fold needs it.
            exact_.foldWord(*word);
        } else if (word != nullptr) {
            fold_.foldRead(entry, PlainWordValue(*word));
        } else {
            fold_.fold([&] { return entry; });
        }
    }

    void tellSkipped() {
        if (skipped_ == 0) {
            return;
        }
        std::string base(BaseNameText(options_.base));
        base.front() = static_cast<char>(base.front() - 'A' + 'a');
        std::fprintf(err_, "quillora: %llu %s skipped, not %s (first: %s)\n", skipped_,
                     skipped_ == 1 ? "line" : "lines", base.c_str(), firstSkipped_.c_str());
    }

    const CalcOptions& options_;
    std::FILE* out_;
    std::FILE* err_;
    StandardErrorReport report_;
    Steps steps_;
    ListFold fold_;
    ExactEntryFold exact_;
    unsigned long long entries_ = 0;
    unsigned long long skipped_ = 0;
    std::string firstSkipped_;
    std::string first_;
    std::optional<double> firstValue_;
    std::string firstFile_;
    unsigned long long firstLine_ = 0;
};

}  // namespace

int RunCalcCommand(const CalcOptions& options, std::FILE* out, std::FILE* err) {
    return CalcCommand(options, out, err).run();
}

}  // namespace quillora

// The number list file reader: the line splitter fed the same bytes in one
// block and in blocks of random sizes must hand on the same candidates, and
// the entries accepted from them must be exactly those a plain line-by-line
// reading accepts, each passing its base's test. Some inputs also go
// through a real file and LoadListFile, which must append exactly those
// entries after what the list already held.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include <QString>

#include "core/Base.h"
#include "core/UiPorts.h"
#include "engine/EntryValidation.h"
#include "engine/NumberText.h"
#include "fuzz/FuzzCheck.h"
#include "input/ListFileLoading.h"
#include "input/ListFileSplitter.h"
#include "input/NumberListEditing.h"
#include "input/NumberListModel.h"

using namespace quillora;
using namespace quillora::fuzz;

namespace {

using Lines = std::vector<std::string>;

Lines Split(std::string_view content, const std::vector<std::size_t>& blocks) {
    Lines candidates;
    ListFileSplitter splitter;
    const auto take = [&](std::string_view candidate) { candidates.emplace_back(candidate); };
    std::size_t at = 0;
    for (std::size_t block : blocks) {
        const std::size_t from = std::min(at, content.size());
        splitter.feed(content.substr(from, block), take);
        at += block;
    }
    splitter.finish(take);
    return candidates;
}

// The file read the plain way: the whole of it, split at every CR and LF.
Lines ReferenceLines(std::string_view content) {
    if (content.starts_with("\xEF\xBB\xBF")) {
        content.remove_prefix(3);
    }
    Lines lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= content.size(); ++i) {
        if (i == content.size() || content[i] == '\r' || content[i] == '\n') {
            lines.emplace_back(content.substr(start, i - start));
            start = i + 1;
        }
    }
    return lines;
}

Lines Accepted(const Lines& candidates, std::optional<Base> base) {
    Lines accepted;
    for (const std::string& candidate : candidates) {
        if (auto stored = AcceptEntry(candidate, base)) {
            accepted.push_back(*stored);
        }
    }
    return accepted;
}

bool OnlyOf(std::string_view text, std::string_view allowed) {
    return text.find_first_not_of(allowed) == std::string_view::npos;
}

// Each base's test, checked independently of how the entry tests are written.
// The base's test as the numeric test states it, beside the list's own quick test.
bool ReferenceAccepts(const std::string& candidate, Base base) {
    if (candidate.empty() || candidate.size() > kLongestEntry) {
        return false;
    }
    switch (base) {
        case Base::Decimal:
            return IsNumeric(candidate);
        case Base::Hexadecimal:
            return IsNumeric("&H" + candidate);
        case Base::Octal:
            return IsOctalText(candidate);
        case Base::Binary:
            return IsBinaryText(candidate);
    }
    return false;
}

void CheckEntry(const std::string& candidate, const std::string& stored, Base base) {
    const std::string shown = "\"" + Printable(candidate) + "\"";
    Require(!stored.empty() && stored.size() <= kLongestEntry, "accepted " + shown);
    Require(stored.find_first_of("\r\n") == std::string::npos, "line end inside " + shown);
    switch (base) {
        case Base::Decimal:
            Require(stored == candidate && IsNumeric(stored), "decimal accepted " + shown);
            break;
        case Base::Hexadecimal: {
            std::string digits = stored;
            while (!digits.empty() && (digits.back() == ' ' || digits.back() == '\t')) {
                digits.pop_back();
            }
            Require(
                !digits.empty() && OnlyOf(digits, "0123456789ABCDEF") && IsNumeric("&H" + stored),
                "hexadecimal accepted " + shown + " as \"" + Printable(stored) + "\"");
            break;
        }
        case Base::Octal:
            Require(stored == candidate && OnlyOf(stored, "01234567.-") && IsNumeric(stored),
                    "octal accepted " + shown);
            break;
        case Base::Binary:
            Require(stored == candidate && OnlyOf(stored, "01.-") && IsNumeric(stored),
                    "binary accepted " + shown);
            break;
    }
}

class SilentDialogs : public Dialogs {
  public:
    void message(const QString& text, const QString&, MessageIcon) override {
        Fail("LoadListFile showed \"" + text.toStdString() + "\" for a file that exists");
    }
    QString inputBox(const QString&, const QString&) override { return {}; }
    QStringList openFiles(const QString&, const QString&) override { return {}; }
    QString saveFile(const QString&, const QString&) override { return {}; }
};

void CheckLoad(std::string_view content, std::optional<Base> base, const Lines& accepted) {
    static const std::string path =
        (std::filesystem::temp_directory_path() /
         ("quillora-fuzz-list-" + std::to_string(static_cast<long>(getpid())) + ".txt"))
            .string();
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(content.data(), static_cast<std::streamsize>(content.size()));
        Require(file.good(), "cannot write " + path);
    }
    NumberListModel list;
    list.append(std::string_view("already there"));
    SilentDialogs dialogs;
    int appended = -1;
    try {
        appended = LoadListFile(list, QString::fromStdString(path), base, dialogs);
    } catch (const std::exception& e) {
        Fail(std::string("LoadListFile failed on a plain file: ") + e.what());
    }
    std::remove(path.c_str());
    Require(appended == static_cast<int>(accepted.size()) && list.count() == appended + 1 &&
                list.entry(0) == "already there",
            "LoadListFile appended " + std::to_string(appended) + " (list of " +
                std::to_string(list.count()) + "), expected " + std::to_string(accepted.size()));
    for (std::size_t i = 0; i < accepted.size(); ++i) {
        Require(list.entry(static_cast<int>(i) + 1) == accepted[i],
                "LoadListFile stored \"" + Printable(list.entry(static_cast<int>(i) + 1)) +
                    "\", expected \"" + Printable(accepted[i]) + "\"");
    }
}

// One input in 32 also goes through a file: each load sets up a 4 MB read buffer, a hundred
// times the splitter's work. Chosen by a hash of the whole input rather than by a flag, so
// that the inputs the fuzzer breeds from one such input mostly stay on the fast path.
bool ThroughFile(const std::uint8_t* data, std::size_t size) {
    std::uint32_t hash = 2166136261u;
    for (std::size_t i = 0; i < size; ++i) {
        hash = (hash ^ data[i]) * 16777619u;
    }
    return hash % 32 == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const unsigned control = data[0];
    const unsigned baseIndex = (control & 7) % 5;  // 4: no option on
    const std::optional<Base> base =
        baseIndex < 4 ? std::optional<Base>(kAllBases[baseIndex]) : std::nullopt;
    const bool throughFile = ThroughFile(data, size);
    const std::string_view content(reinterpret_cast<const char*>(data + 2), size - 2);

    // Block sizes from a seed, mostly tiny so that every boundary gets cut.
    std::minstd_rand random((control >> 4) * 256u + data[1] + 1u);
    std::vector<std::size_t> blocks;
    for (std::size_t total = 0; total < content.size();) {
        const std::size_t block = random() % 4 == 0 ? random() % 5000 : random() % 8;
        blocks.push_back(block);
        total += block;
    }

    const Lines whole = Split(content, {content.size()});
    const Lines pieces = Split(content, blocks);
    Require(whole == pieces, "the splitter's candidates depend on the block sizes");
    for (const std::string& candidate : whole) {
        Require(!candidate.empty() && candidate.size() <= kLongestEntry &&
                    candidate.find_first_of("\r\n") == std::string::npos,
                "the splitter handed on \"" + Printable(candidate) + "\"");
    }

    const Lines accepted = Accepted(whole, base);
    Require(accepted == Accepted(ReferenceLines(content), base),
            "the splitter's entries differ from a plain line-by-line reading");
    if (base) {
        for (const std::string& candidate : whole) {
            const auto stored = AcceptEntry(candidate, base);
            Require(
                stored.has_value() == ReferenceAccepts(candidate, *base),
                "the quick test and the numeric test differ on \"" + Printable(candidate) + "\"");
            if (stored) {
                CheckEntry(candidate, *stored, *base);
            }
        }
    } else {
        Require(accepted.empty(), "entries accepted with no base option on");
    }
    if (throughFile) {
        CheckLoad(content, base, accepted);
    }
    return 0;
}

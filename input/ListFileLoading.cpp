#include "input/ListFileLoading.h"

#include <algorithm>
#include <limits>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include "core/StepReport.h"
#include "core/YieldPacer.h"
#include "engine/EntryValidation.h"
#include "input/ListFileSplitter.h"
#include "input/NumberListEditing.h"

namespace quillora {

namespace {

// Small enough that one block takes a few milliseconds even from a sparse file,
// whose holes the system fills with zeros as it reads: yields come between blocks.
constexpr qint64 kReadBlock = qint64{1} << 20;
// Accepted entries join the list in batches of about this size, so a huge file
// never needs its whole content twice in memory.
constexpr std::size_t kBatchBytes = std::size_t{16} << 20;

bool IsSeparator(QChar c) {
    return c == QLatin1Char('/') || c == QLatin1Char('\\');
}

// Run-time failures carry the file, so that the report says which one of
// several chosen files could not be read.
[[noreturn]] void ThrowFileError(const char* what, const QString& path, const QFile& file) {
    const QString text =
        QStringLiteral("%1 %2: %3")
            .arg(QLatin1String(what), QDir::toNativeSeparators(path), file.errorString());
    throw std::runtime_error(text.toStdString());
}

[[noreturn]] void ThrowBudgetPassed(const QString& path, std::size_t budget, int appended) {
    const QString text =
        QStringLiteral(
            "Cannot load all of %1: the number list has reached its memory budget of "
            "%2 MB; %3 entries of the file were added")
            .arg(QDir::toNativeSeparators(path))
            .arg(budget >> 20)
            .arg(appended);
    throw std::runtime_error(text.toStdString());
}

// The progress a long load shows and the yields that keep the window alive.
// Nothing shows until the first yield, so a short load leaves the bar alone.
class LoadPacing {
  public:
    LoadPacing(const ListLoadOptions& options, const QString& path, qint64 size)
        : options_(options),
          caption_(QStringLiteral("Loading file: ") + QFileInfo(path).fileName()),
          size_(size),
          pacer_(std::chrono::duration_cast<YieldPacer::Clock::duration>(options.yieldInterval)) {}
    LoadPacing(const LoadPacing&) = delete;
    LoadPacing& operator=(const LoadPacing&) = delete;
    // The bar goes back to rest however the load ends.
    ~LoadPacing() {
        if (!shown_) {
            return;
        }
        try {
            options_.progress->setValue(0);
            options_.progress->setCaption(QStringLiteral("Progress Bar"));
        } catch (...) {
        }
    }

    void after(qint64 read) {
        if (options_.pump == nullptr || !pacer_.due()) {
            return;
        }
        if (options_.progress != nullptr) {
            options_.progress->setValue(
                size_ > 0 ? 100.0 * static_cast<double>(read) / static_cast<double>(size_) : 100.0);
            if (!shown_) {
                options_.progress->setCaption(caption_);
                shown_ = true;
            }
        }
        options_.pump->processEvents();
        pacer_.restart();
    }

  private:
    const ListLoadOptions& options_;
    QString caption_;
    qint64 size_;
    YieldPacer pacer_;
    bool shown_ = false;
};

// Reads a file's accepted lines into the list, batch by batch, within the budget.
class ListFileReader {
  public:
    // size: the bytes the load reads, or 0 when the file tells none.
    ListFileReader(NumberListModel& list, std::optional<Base> base, std::size_t budget, qint64 size)
        : list_(list), radix_(base ? Radix(*base) : 0), budget_(budget), size_(size) {
        batch_.reserve(kBatchBytes / 4, kBatchBytes + kReadBlock + kLongestEntry);
    }

    // Every candidate goes through here: the base's test on the bytes as they
    // lie in the block, and straight into the batch.
    void take(std::string_view candidate) {
        if (radix_ == 0 || full_ || !IsAcceptedEntry(candidate, radix_)) {
            return;
        }
        // An accepted entry is plain ASCII, so its Latin-1 bytes are already the
        // UTF-8 the list keeps.
        const std::size_t use =
            ListBudgetUse(static_cast<std::size_t>(list_.count()) + batch_.size() + 1,
                          list_.textBytes() + batch_.bytes() + candidate.size());
        if (use > budget_) {
            full_ = true;
            return;
        }
        if (radix_ == 16) {
            batch_.addUpperCase(candidate);
        } else {
            batch_.add(candidate);
        }
    }

    bool full() const { return full_; }
    bool batchFull() const { return batch_.bytes() >= kBatchBytes; }
    int appended() const { return appended_; }

    // Into the list in one insertion: all or nothing, so a failure there leaves
    // the list as it was. read: the bytes of the file read so far.
    void flush(qint64 read) {
        makeRoomForTheRest(read);
        list_.appendMany(batch_);
        appended_ += static_cast<int>(batch_.size());
        appendedBytes_ += batch_.bytes();
        batch_.clear();
    }

  private:
    // Before the batches of a big file join the list, the list makes room for
    // as much as the part read so far foretells for the whole file. Grown
    // batch by batch instead, its buffers would be copied to ever larger
    // ones, every byte several times, into memory the system has to hand out
    // afresh each time.
    void makeRoomForTheRest(qint64 read) {
        if (size_ <= 0 || read <= 0 || read >= size_ || batch_.empty()) {
            return;
        }
        const double scale = static_cast<double>(size_) / static_cast<double>(read);
        const auto entriesSoFar =
            static_cast<double>(static_cast<std::size_t>(appended_) + batch_.size());
        const auto bytesSoFar = static_cast<double>(appendedBytes_ + batch_.bytes());
        double entries = entriesSoFar * scale - static_cast<double>(appended_);
        double bytes = bytesSoFar * scale - static_cast<double>(appendedBytes_);
        // Never more than the budget lets the list hold.
        const auto held = static_cast<double>(
            ListBudgetUse(static_cast<std::size_t>(list_.count()), list_.textBytes()));
        const double room = static_cast<double>(budget_) - held;
        const double wanted = bytes + entries * static_cast<double>(kRowBytes);
        if (room <= 0) {
            return;
        }
        if (wanted > room) {
            entries *= room / wanted;
            bytes *= room / wanted;
        }
        const double mostRows =
            static_cast<double>(std::numeric_limits<int>::max() - list_.count());
        entries = std::min(entries, mostRows);
        try {
            list_.reserve(static_cast<std::size_t>(entries), static_cast<std::size_t>(bytes));
        } catch (const std::bad_alloc&) {
            // Only a forecast: the batches still join, each making its own room.
        }
    }

    NumberListModel& list_;
    int radix_;
    std::size_t budget_;
    qint64 size_;
    EntryBatch batch_;
    int appended_ = 0;
    std::size_t appendedBytes_ = 0;
    bool full_ = false;
};

}  // namespace

QString ListFileDialogTitle() {
    return QStringLiteral("Load List(s) - Hold Ctrl to select multiple list files");
}

QString ListFileDialogFilter() {
#ifdef Q_OS_WIN
    return QStringLiteral("Text Files (*.txt);;All Files (*.*)");
#else
    // "*.*" would hide every file without an extension here.
    return QStringLiteral("Text Files (*.txt);;All Files (*)");
#endif
}

QString NormalizeListPath(const QString& path) {
    QString out;
    out.reserve(path.size());
    qsizetype i = 0;
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        out.append(path[0]).append(path[1]);
        while (i < path.size() && IsSeparator(path[i])) {
            ++i;
        }
    }
    bool afterSeparator = false;
    for (; i < path.size(); ++i) {
        const bool separator = IsSeparator(path[i]);
        if (!(separator && afterSeparator)) {
            out.append(path[i]);
        }
        afterSeparator = separator;
    }
    return out;
}

bool FileExists(const QString& path) {
    return !path.isEmpty() && QFileInfo::exists(path);
}

int LoadListFile(NumberListModel& list, const QString& path, std::optional<Base> base,
                 Dialogs& dialogs) {
    return LoadListFile(list, path, base, dialogs, ListLoadOptions{});
}

int LoadListFile(NumberListModel& list, const QString& path, std::optional<Base> base,
                 Dialogs& dialogs, const ListLoadOptions& options) {
    if (!FileExists(path)) {
        dialogs.message(QStringLiteral("File not found"));
        return 0;
    }
    QFile file(path);
    // A folder, a device or a pipe could block the open or never end.
    if (!QFileInfo(path).isFile()) {
        throw std::runtime_error(QStringLiteral("Cannot open %1: not a file")
                                     .arg(QDir::toNativeSeparators(path))
                                     .toStdString());
    }
    if (!file.open(QIODevice::ReadOnly)) {
        ThrowFileError("Cannot open", path, file);
    }
    // What is appended to the file while it loads is not read: a file that
    // keeps growing would otherwise never end. A file that tells no size (the
    // kernel's /proc and /sys files) is read to its end, within the budget.
    const qint64 size = file.size();
    const bool sized = size > 0;

    ListFileReader reader(list, base, options.memoryBudget, sized ? size : 0);
    LoadPacing pacing(options, path, size);
    ListFileSplitter splitter;
    const auto take = [&](std::string_view candidate) { reader.take(candidate); };
    try {
        std::string block(static_cast<std::size_t>(kReadBlock), '\0');
        qint64 read = 0;
        while ((!sized || read < size) && !reader.full()) {
            const qint64 got =
                file.read(block.data(), sized ? std::min(kReadBlock, size - read) : kReadBlock);
            if (got < 0) {
                ThrowFileError("Cannot read", path, file);
            }
            if (got == 0) {
                break;  // its end, or it was cut short while it loaded
            }
            read += got;
            splitter.feed(std::string_view(block.data(), static_cast<std::size_t>(got)), take);
            if (reader.batchFull()) {
                reader.flush(read);
            }
            pacing.after(read);
        }
        if (!reader.full()) {
            splitter.finish(take);
        }
        reader.flush(read);
    } catch (...) {
        // What was read before the failure stays, as the lines it came from
        // were already taken; the failure itself still goes to the report.
        try {
            reader.flush(0);
        } catch (...) {
        }
        throw;
    }
    if (reader.full()) {
        ThrowBudgetPassed(path, options.memoryBudget, reader.appended());
    }
    return reader.appended();
}

void LoadNumbersFromFiles(const InputContext& context) {
    Steps steps(context.window.report, LocationName("Form1", "PushButton1_Click"));
    QStringList files;
    steps(100, [&] {
        files = context.window.dialogs.openFiles(ListFileDialogTitle(), ListFileDialogFilter());
    });
    // Step 102: cancelling ends the handler with the pointer untouched.
    if (files.isEmpty()) {
        return;
    }
    // The dialog answers each file's whole path as the file system spells it,
    // never a folder and names to be joined, so there is nothing to repair:
    // here a backslash is an ordinary character of a file name.
    LoadFilesInTurn(context, steps, files.size(), [&](qsizetype i) { return files.at(i); });
}

void LoadFilesInTurn(const InputContext& context, Steps& steps, qsizetype count,
                     const std::function<QString(qsizetype)>& path) {
    BusyGuard busy(context.window.busy, context.window.pointer, BusyGuard::Operation::Other);
    steps(104, [&] { busy.showHourglass(); });
    ListLoadOptions options;
    options.progress = &context.window.progress;
    options.pump = &context.window.pump;
    for (qsizetype i = 0; i < count; ++i) {
        steps(108, [&] {
            LoadListFile(context.list, path(i), context.flags.currentBase(), context.window.dialogs,
                         options);
        });
    }
    steps(110, [&] { busy.endHourglass(); });
}

}  // namespace quillora

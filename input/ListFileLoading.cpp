#include "input/ListFileLoading.h"

#include <stdexcept>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include "engine/StepReport.h"
#include "input/ListFileSplitter.h"
#include "input/NumberListEditing.h"

namespace quillora {

namespace {

constexpr qint64 kReadBlock = qint64{4} << 20;
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

// The file's 8-bit text is Latin-1; the list keeps UTF-8.
void AddLatin1(EntryBatch& batch, const std::string& text) {
    bool plain = true;
    for (const char c : text) {
        plain = plain && static_cast<unsigned char>(c) < 0x80;
    }
    if (plain) {
        batch.add(text);
        return;
    }
    std::string utf8;
    utf8.reserve(text.size() * 2);
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            utf8.push_back(c);
        } else {
            utf8.push_back(static_cast<char>(0xC0 | (b >> 6)));
            utf8.push_back(static_cast<char>(0x80 | (b & 0x3F)));
        }
    }
    batch.add(utf8);
}

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

    int appended = 0;
    EntryBatch batch;
    const auto flush = [&] {
        list.appendMany(batch);
        appended += static_cast<int>(batch.size());
        batch.clear();
    };
    ListFileSplitter splitter;
    const auto take = [&](std::string_view candidate) {
        if (auto stored = AcceptEntry(candidate, base)) {
            AddLatin1(batch, *stored);
        }
    };
    try {
        std::string block(static_cast<std::size_t>(kReadBlock), '\0');
        for (;;) {
            const qint64 got = file.read(block.data(), kReadBlock);
            if (got < 0) {
                ThrowFileError("Cannot read", path, file);
            }
            if (got == 0) {
                break;
            }
            splitter.feed(std::string_view(block.data(), static_cast<std::size_t>(got)), take);
            if (batch.bytes() >= kBatchBytes) {
                flush();
            }
        }
        splitter.finish(take);
        flush();
    } catch (...) {
        // What was read before the failure stays, as the lines it came from
        // were already taken; the failure itself still goes to the report.
        try {
            flush();
        } catch (...) {
        }
        throw;
    }
    return appended;
}

void LoadNumbersFromFiles(const InputContext& context) {
    Steps steps(context.report, LocationName("Form1", "PushButton1_Click"));
    QStringList files;
    steps(100, [&] {
        files = context.dialogs.openFiles(ListFileDialogTitle(), ListFileDialogFilter());
    });
    // Step 102: cancelling ends the handler with the pointer untouched.
    if (files.isEmpty()) {
        return;
    }
    const Pointer pointerBefore = context.pointer.pointer();
    steps(104, [&] { context.pointer.setPointer(Pointer::Busy); });
    // The dialog answers each file's whole path as the file system spells it,
    // never a folder and names to be joined, so there is nothing to repair:
    // here a backslash is an ordinary character of a file name.
    for (const QString& path : files) {
        steps(108, [&] {
            LoadListFile(context.list, path, context.flags.currentBase(), context.dialogs);
        });
    }
    steps(110, [&] { context.pointer.setPointer(PointerPort::AfterBusy(pointerBefore)); });
}

}  // namespace quillora

#include "input/PastedNumbers.h"

#include <stdexcept>

#include <QDir>
#include <QFileInfo>

#include "core/StepReport.h"
#include "input/ListFileLoading.h"
#include "input/NumberListEditing.h"

namespace quillora {

namespace {

// Accepted entries join the list in batches of about this size, as file
// loading does, so a huge paste needs no second copy of itself.
constexpr std::size_t kBatchBytes = std::size_t{16} << 20;

bool IsPieceEnd(QChar c) {
    const char16_t u = c.unicode();
    return u == u'\r' || u == u'\n' || u == u',' || u == u'\t';
}

// Texts this long are added under the busy pointer; shorter ones are instant.
constexpr qsizetype kLongText = qsizetype{1} << 20;

}  // namespace

int AddPastedText(NumberListModel& list, std::optional<Base> base, QStringView text) {
    int appended = 0;
    EntryBatch batch;
    const auto flush = [&] {
        list.appendMany(batch);
        appended += static_cast<int>(batch.size());
        batch.clear();
    };
    QByteArray utf8;
    qsizetype begin = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !IsPieceEnd(text[i])) {
            continue;
        }
        const QStringView piece = text.sliced(begin, i - begin).trimmed();
        begin = i + 1;
        // Longer pieces fail every base's test; measuring them first spares the copy.
        if (piece.isEmpty() || static_cast<std::size_t>(piece.size()) > kLongestEntry) {
            continue;
        }
        utf8 = piece.toUtf8();
        if (auto stored = AcceptEntry(std::string_view(utf8.constData(), utf8.size()), base)) {
            batch.add(*stored);
            if (batch.bytes() >= kBatchBytes) {
                flush();
            }
        }
    }
    flush();
    return appended;
}

void AddTextAsNumbers(const InputContext& context, QStringView text, std::string_view handler) {
    Steps steps(context.window.report, LocationName("Form1", handler));
    const bool longText = text.size() >= kLongText;
    BusyGuard busy(context.window.busy, context.window.pointer, BusyGuard::Operation::Other);
    if (longText) {
        steps(100, [&] { busy.showHourglass(); });
    }
    steps(102, [&] { AddPastedText(context.list, context.flags.currentBase(), text); });
    if (longText) {
        steps(104, [&] { busy.endHourglass(); });
    }
}

void LoadFilesAsNumbers(const InputContext& context, const QList<QUrl>& files,
                        std::string_view handler) {
    if (files.isEmpty()) {
        return;
    }
    Steps steps(context.window.report, LocationName("Form1", handler));
    // A dropped file's path is the file system's own spelling: nothing to repair.
    LoadFilesInTurn(context, steps, files.size(), [&](qsizetype i) {
        const QUrl& file = files.at(i);
        if (!file.isLocalFile()) {
            throw std::runtime_error(QStringLiteral("Cannot open %1: not a local file")
                                         .arg(file.toDisplayString())
                                         .toStdString());
        }
        return file.toLocalFile();
    });
}

QUrl CommandLineFile(const QString& argument) {
    return QUrl::fromLocalFile(QDir::current().absoluteFilePath(argument));
}

}  // namespace quillora

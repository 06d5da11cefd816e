// The remembered list at its largest: closing Form1 with a list of a million
// (and ten million) entries (the list written to the settings store, read
// back and checked before the real file is replaced), and a start-up that
// restores it; beside them QSettings writing the same list alone, and the
// stored file read once into fresh memory alone.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include "app/Form1.h"
#include "store/StoredList.h"
#include "support/QuietPorts.h"

namespace {

using quillora::Form1;
using quillora::Form1Setup;
using quillora::testing::QuietDialogs;

struct Store {
    QTemporaryDir folder;
    Store() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path());
    }
};

constexpr int kMillion = 1'000'000;
constexpr int kTenMillion = 10'000'000;

std::vector<std::string> Decimals(int count) {
    std::vector<std::string> rows;
    rows.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        rows.push_back(std::to_string(1'000'000'007LL * i % 9'999'999'967LL));
    }
    return rows;
}

std::unique_ptr<Form1> Start(QuietDialogs& dialogs, const QString& programFolder) {
    Form1Setup setup;
    setup.dialogs = &dialogs;
    setup.programFolder = programFolder;
    setup.endProgram = [] {};
    return std::make_unique<Form1>(setup);
}

// changed: every close stores a list other than the one stored before (its
// last entry differs, so the two are as long as each other and only a full
// comparison tells them apart); otherwise the same list is stored again, as
// when the user closes without having touched it.
void CloseStoring(benchmark::State& state, int count, bool changed = false) {
    Store store;
    QuietDialogs dialogs;
    std::vector<std::string> rows = Decimals(count);
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto form = Start(dialogs, store.folder.path());
        if (changed) {
            rows.back() = std::to_string(++round % 10);
        }
        form->numbers().clear();
        form->numbers().appendMany(rows);
        // The view lays the new rows out on its next turn of the event loop,
        // long before a user closes the window: not part of the close.
        QCoreApplication::processEvents();
        state.ResumeTiming();
        form->close();
        state.PauseTiming();
        form.reset();
        state.ResumeTiming();
    }
    if (dialogs.shown != 0) {
        state.SkipWithError("the store refused the list");
    }
}

// What the checked write costs on top: QSettings writing the same text alone.
void PlainSettingsWrite(benchmark::State& state, int count) {
    Store store;
    quillora::NumberListModel list;
    list.appendMany(Decimals(count));
    const QString text = quillora::StoredListText(list);
    for (auto _ : state) {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
                           QStringLiteral("Tolvenrix"));
        settings.setValue(QStringLiteral("Quillora/Zip Codes"),
                          text + QString::number(state.iterations()));
        settings.sync();
    }
}

// Each round, timed, round(path of the store) on a fresh copy of the store
// that closing with count entries left: a folder of its own each time, so
// the file is read from disk as a new process would, not from this
// process's cache. What round leaves to free is freed untimed.
template <class Round>
void OnFreshStores(benchmark::State& state, int count, Round&& round) {
    Store store;
    QuietDialogs dialogs;
    {
        auto form = Start(dialogs, store.folder.path());
        form->numbers().appendMany(Decimals(count));
        form->close();
    }
    const QString written = QDir(store.folder.path()).filePath(QStringLiteral("Tolvenrix.conf"));
    for (auto _ : state) {
        state.PauseTiming();
        const QTemporaryDir fresh;
        const QString path = QDir(fresh.path()).filePath(QStringLiteral("Tolvenrix.conf"));
        QFile::copy(written, path);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, fresh.path());
        state.ResumeTiming();
        auto left = round(path, dialogs, store.folder.path());
        state.PauseTiming();
        left = {};
        state.ResumeTiming();
    }
}

void StartUpRestoring(benchmark::State& state, int count) {
    OnFreshStores(state, count, [&](const QString&, QuietDialogs& dialogs, const QString& program) {
        auto form = Start(dialogs, program);
        if (form->numbers().count() != count) {
            state.SkipWithError("the list did not come back whole");
        }
        return form;
    });
}

// What no start-up can do without, beside it: the same stored file read once
// into fresh memory, as a new process must, and nothing else. How this grows
// from a million entries to ten million is how far this machine lets any
// pass over those bytes grow.
void PlainFileRead(benchmark::State& state, int count) {
    OnFreshStores(state, count, [&](const QString& path, QuietDialogs&, const QString&) {
        QFile file(path);
        QByteArray bytes;
        if (!file.open(QIODevice::ReadOnly)) {
            state.SkipWithError("the stored file did not open");
            return bytes;
        }
        bytes = QByteArray(file.size(), Qt::Uninitialized);
        if (file.read(bytes.data(), bytes.size()) != bytes.size()) {
            state.SkipWithError("the stored file did not read whole");
        }
        benchmark::DoNotOptimize(bytes.data());
        return bytes;
    });
}

void BM_CloseStoringMillionEntries(benchmark::State& state) {
    CloseStoring(state, kMillion);
}
void BM_CloseStoringChangedMillionEntries(benchmark::State& state) {
    CloseStoring(state, kMillion, true);
}
void BM_PlainSettingsWriteOfMillionEntries(benchmark::State& state) {
    PlainSettingsWrite(state, kMillion);
}
void BM_StartUpRestoringMillionEntries(benchmark::State& state) {
    StartUpRestoring(state, kMillion);
}
void BM_PlainFileReadOfMillionEntries(benchmark::State& state) {
    PlainFileRead(state, kMillion);
}
void BM_CloseStoringTenMillionEntries(benchmark::State& state) {
    CloseStoring(state, kTenMillion);
}
void BM_CloseStoringChangedTenMillionEntries(benchmark::State& state) {
    CloseStoring(state, kTenMillion, true);
}
void BM_PlainSettingsWriteOfTenMillionEntries(benchmark::State& state) {
    PlainSettingsWrite(state, kTenMillion);
}
void BM_StartUpRestoringTenMillionEntries(benchmark::State& state) {
    StartUpRestoring(state, kTenMillion);
}
void BM_PlainFileReadOfTenMillionEntries(benchmark::State& state) {
    PlainFileRead(state, kTenMillion);
}

// Each figure is the mean of a few whole runs: a close or a start-up is one
// event the user waits for, not a loop to warm up.
void Configure(benchmark::internal::Benchmark* benchmark, int iterations) {
    benchmark->Unit(benchmark::kMillisecond)->Iterations(iterations)->UseRealTime();
}

BENCHMARK(BM_CloseStoringMillionEntries)->Apply([](auto* b) { Configure(b, 3); });
BENCHMARK(BM_CloseStoringChangedMillionEntries)->Apply([](auto* b) { Configure(b, 3); });
BENCHMARK(BM_PlainSettingsWriteOfMillionEntries)->Apply([](auto* b) { Configure(b, 3); });
BENCHMARK(BM_StartUpRestoringMillionEntries)->Apply([](auto* b) { Configure(b, 3); });
BENCHMARK(BM_PlainFileReadOfMillionEntries)->Apply([](auto* b) { Configure(b, 3); });
BENCHMARK(BM_CloseStoringTenMillionEntries)->Apply([](auto* b) { Configure(b, 3); });
BENCHMARK(BM_CloseStoringChangedTenMillionEntries)->Apply([](auto* b) { Configure(b, 3); });
BENCHMARK(BM_PlainSettingsWriteOfTenMillionEntries)->Apply([](auto* b) { Configure(b, 1); });
BENCHMARK(BM_StartUpRestoringTenMillionEntries)->Apply([](auto* b) { Configure(b, 3); });
BENCHMARK(BM_PlainFileReadOfTenMillionEntries)->Apply([](auto* b) { Configure(b, 3); });

}  // namespace

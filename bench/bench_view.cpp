// The number list's view at ten million entries, on the real window shown
// offscreen: each figure is a key or a drag the user makes, handled and
// repainted (the event loop run until nothing is left), and the view's own
// share of taking in ten million entries at once, as a file load or a
// restore hands them over.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>

#include "app/Form1.h"
#include "app/NumberListView.h"
#include "support/QuietPorts.h"

namespace {

using quillora::EntryBatch;
using quillora::Form1;
using quillora::NumberListView;

constexpr int kTenMillion = 10'000'000;

const EntryBatch& TenMillionEntries() {
    static const EntryBatch batch = [] {
        EntryBatch entries;
        entries.reserve(kTenMillion, std::size_t{kTenMillion} * 8);
        for (long i = 0; i < kTenMillion; ++i) {
            entries.add(std::to_string(10'000'000 + (i * 7'919 + 12'345) % 90'000'000));
        }
        return entries;
    }();
    return batch;
}

// One shown window over a settings folder of its own.
struct Window {
    QTemporaryDir folder;
    quillora::testing::QuietDialogs dialogs;
    std::unique_ptr<Form1> form;
    NumberListView* list = nullptr;

    Window() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path());
        quillora::Form1Setup setup;
        setup.dialogs = &dialogs;
        setup.programFolder = folder.path();
        setup.endProgram = [] {};
        form = std::make_unique<Form1>(setup);
        form->show();
        list = form->findChild<NumberListView*>(QStringLiteral("ListView1"));
        list->setFocus();
        settle();
    }
    void fill() {
        form->numbers().appendMany(TenMillionEntries());
        settle();
    }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QCoreApplication::sendEvent(list, &press);
    }
    static void settle() { QCoreApplication::processEvents(); }
};

void Milliseconds(benchmark::internal::Benchmark* benchmark, int iterations) {
    benchmark->Unit(benchmark::kMillisecond)->Iterations(iterations)->UseRealTime();
}

// End and Home in turn, each handled and repainted.
void BM_EndAndHomeAtTenMillion(benchmark::State& state) {
    Window window;
    window.fill();
    window.list->setCurrentIndex(window.form->numbers().index(0));
    bool end = true;
    for (auto _ : state) {
        window.key(end ? Qt::Key_End : Qt::Key_Home);
        Window::settle();
        end = !end;
    }
}

void BM_PageDownAtTenMillion(benchmark::State& state) {
    Window window;
    window.fill();
    window.list->setCurrentIndex(window.form->numbers().index(kTenMillion / 2));
    for (auto _ : state) {
        window.key(Qt::Key_PageDown);
        Window::settle();
    }
}

// The scroll bar's handle dragged to places far apart, one repaint each.
void BM_ScrollBarDragAtTenMillion(benchmark::State& state) {
    Window window;
    window.fill();
    QScrollBar* bar = window.list->verticalScrollBar();
    bar->setSliderDown(true);
    int step = 0;
    for (auto _ : state) {
        bar->setSliderPosition(static_cast<int>((++step * 7'368'787LL) % bar->maximum()));
        Window::settle();
    }
    bar->setSliderDown(false);
}

// Ctrl+A, then Delete: every entry gone and the empty list repainted.
void BM_SelectAllAndDeleteTenMillion(benchmark::State& state) {
    Window window;
    for (auto _ : state) {
        state.PauseTiming();
        window.form->numbers().clear();
        window.fill();
        state.ResumeTiming();
        window.key(Qt::Key_A, Qt::ControlModifier);
        window.key(Qt::Key_Delete);
        Window::settle();
        if (!window.form->numbers().isEmpty()) {
            state.SkipWithError("the entries stayed");
        }
    }
}

// Ctrl+Z after that: all ten million back and shown.
void BM_UndoDeleteOfTenMillion(benchmark::State& state) {
    Window window;
    for (auto _ : state) {
        state.PauseTiming();
        window.form->numbers().clear();
        window.fill();
        window.key(Qt::Key_A, Qt::ControlModifier);
        window.key(Qt::Key_Delete);
        Window::settle();
        state.ResumeTiming();
        window.form->Form_Undo();
        Window::settle();
        if (window.form->numbers().count() != kTenMillion) {
            state.SkipWithError("the entries did not come back");
        }
    }
}

// Ten million entries into the shown list, as a file load adds them, and
// the first repaint; beside it the same into a list no view shows.
void BM_TenMillionIntoTheShownList(benchmark::State& state) {
    Window window;
    for (auto _ : state) {
        state.PauseTiming();
        window.form->numbers().clear();
        Window::settle();
        state.ResumeTiming();
        window.fill();
    }
}

void BM_TenMillionIntoAListAlone(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto list = std::make_unique<quillora::NumberListModel>();
        state.ResumeTiming();
        list->appendMany(TenMillionEntries());
        state.PauseTiming();
        list.reset();
        state.ResumeTiming();
    }
}

BENCHMARK(BM_EndAndHomeAtTenMillion)->Apply([](auto* b) { Milliseconds(b, 20); });
BENCHMARK(BM_PageDownAtTenMillion)->Apply([](auto* b) { Milliseconds(b, 20); });
BENCHMARK(BM_ScrollBarDragAtTenMillion)->Apply([](auto* b) { Milliseconds(b, 20); });
BENCHMARK(BM_SelectAllAndDeleteTenMillion)->Apply([](auto* b) { Milliseconds(b, 3); });
BENCHMARK(BM_UndoDeleteOfTenMillion)->Apply([](auto* b) { Milliseconds(b, 3); });
BENCHMARK(BM_TenMillionIntoTheShownList)->Apply([](auto* b) { Milliseconds(b, 3); });
BENCHMARK(BM_TenMillionIntoAListAlone)->Apply([](auto* b) { Milliseconds(b, 3); });

}  // namespace

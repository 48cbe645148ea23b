// Start-up of the editor's window, from its construction to the end of its start-up timer with a
// 50-row table file to reopen, beside a bare QMainWindow shown in the same process. Before the
// timings, the peak memory that the first window of each kind adds is printed (the kernel's
// high-water mark, reset before each; the bare window goes first, so both numbers exclude what
// the toolkit needs for any window).
// Without a display it runs on Qt's offscreen platform; under xvfb-run it draws for real.

#include "BenchDocument.h"
#include "app/L_Sizeing.h"
#include "app/MiniForm.h"
#include "document/TableFile.h"

#include <QApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

namespace {

// Kilobytes of a field of /proc/self/status ("VmHWM", "VmRSS").
long StatusKb(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field + ":", 0) == 0) return std::stol(line.substr(field.size() + 1));
    }
    return 0;
}

// Resets the peak to the present size; the peak then grows only with what follows.
void ResetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// The peak memory in kilobytes that `work` adds to the process.
template <typename Work> long AddedPeakKb(Work work) {
    ResetPeak();
    const long base = StatusKb("VmRSS");
    work();
    return StatusKb("VmHWM") - base;
}

void WaitForStartup(TMiniForm& form) {
    QEventLoop loop;
    QObject::connect(&form, &TMiniForm::StartupFinished, &loop, &QEventLoop::quit);
    form.show();
    loop.exec();
}

void ShowBareWindow() {
    QMainWindow window;
    window.show();
    QCoreApplication::processEvents();
}

void BM_BareMainWindow(benchmark::State& state) {
    for (auto _ : state)
        ShowBareWindow();
}

// `timerMs` is the start-up timer's delay: 100 as shipped, 0 for the work alone.
void BM_EditorStartup(benchmark::State& state) {
    const int timerMs = int(state.range(0));
    for (auto _ : state) {
        auto* form = new TMiniForm;
        form->findChild<QTimer*>(QStringLiteral("Timer_Start"))->setInterval(timerMs);
        WaitForStartup(*form);
        state.PauseTiming();
        delete form;
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(BM_BareMainWindow)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EditorStartup)->Arg(0)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // The settings file names the table file to reopen; both live in a folder of their own.
    QTemporaryDir folder;
    TFeedDocument document = FullDocument();
    const std::string table = folder.filePath("news.tbl").toStdString();
    if (!WriteTableFile(document, table)) {
        std::cerr << "cannot write " << table << "\n";
        return 1;
    }
    IniFileName = folder.filePath("orvanix.ini").toStdString();
    std::ofstream(IniFileName) << "[Environ]\r\nLastOpen=1\r\nDefFileName=" << table << "\r\n";

    const long bareKb = AddedPeakKb(ShowBareWindow);
    const long editorKb = AddedPeakKb([] {
        TMiniForm form;
        WaitForStartup(form);
    });
    std::printf("Peak memory added by the first window: bare QMainWindow %ld kB, editor %ld kB\n",
                bareKb, editorKb);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

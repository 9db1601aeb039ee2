// The editor's benchmarks run the real main window on the offscreen platform:
// one application and one window for the whole program, with the settings
// file in a scratch folder of the program's own.
#pragma once

#include "app/main.h"
#include "platform/ui/Application.h"

#include <QCoreApplication>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

// A scratch folder named after the benchmark program, made on first use.
inline std::filesystem::path BenchFolder(const std::string& program)
{
    const auto dir = std::filesystem::temp_directory_path() / ("fv_" + program);
    std::filesystem::create_directories(dir);
    return dir;
}

// The window, shown and on screen once the first call returns.
inline TMainForm& BenchMainWindow(const char* program)
{
    static TMainForm* form = [program] {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static std::string name = program;
        static char* argv[] = {name.data(), nullptr};
        new TApplication(argc, argv);
        auto* window = new TMainForm(nullptr, BenchFolder(program).string() + "/");
        window->CommandLine = {"farovinter"};
        window->show();
        while (!window->windowHandle()->isExposed())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return window;
    }();
    return *form;
}

// Each iteration opens the file in the window and repaints it; the history
// the open leaves is cleared outside the timing.
inline void OpenInWindow(benchmark::State& state, const char* program, const std::string& file)
{
    TMainForm& form = BenchMainWindow(program);
    for (auto _ : state) {
        form.LodeImageFile(file);
        form.repaint();
        state.PauseTiming();
        form.Document().ClearHistory();
        state.ResumeTiming();
    }
}

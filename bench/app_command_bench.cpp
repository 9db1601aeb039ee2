// A menu effect on a 12-megapixel true-colour document in the real main
// window (offscreen): from the command to the repainted window, and the
// same steps one by one (engine, history, view, window fit, paint).
#include "BenchImages.h"
#include "BenchMainWindow.h"

#include "app/EffectDispatch.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <chrono>
#include <cstdlib>
#include <filesystem>

namespace {

constexpr const char* Program = "app_command_bench";

struct TEffectCase {
    const char* Name;
    int GroupIndex;
};

const TEffectCase Cases[] = {
    {"Negative", 20}, {"SolarizationMax", 210}, {"GrayscaleNormal", 230}, {"Rotate90Right", 30}, {"Rotate90Left", 31},
};

QAction* ItemOfGroup(const QList<QAction*>& actions, int group)
{
    for (QAction* action : actions) {
        if (action->menu() != nullptr) {
            if (QAction* found = ItemOfGroup(action->menu()->actions(), group))
                return found;
        } else if (action->data().toInt() == group) {
            return action;
        }
    }
    return nullptr;
}

// The window as the event loop shows it after a command: laid out for its
// new size (the scroll box decides its bars), then painted once.
void Repaint(TMainForm& form)
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    form.repaint();
}

// A fresh document of the photo image with a history of one entry.
void OpenPhoto(TMainForm& form)
{
    TFvDIB image;
    image.Assign(&PhotoImage(0));
    form.Document().Loaded(image);
    form.Document().ClearHistory();
    form.ImageView(*CurrentImage);
    form.FormSizeChange();
    Repaint(form);
}

// The whole command, as a click on the item runs it, and one paint.
void BenchCommand(benchmark::State& state, const TEffectCase& effect)
{
    TMainForm& form = BenchMainWindow(Program);
    OpenPhoto(form);
    QAction* item = ItemOfGroup(form.menuBar()->actions(), effect.GroupIndex);
    for (auto _ : state) {
        item->trigger();
        Repaint(form);
        state.PauseTiming();
        form.Document().ClearHistory();
        state.ResumeTiming();
    }
}

double Milliseconds(std::chrono::steady_clock::time_point from)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - from).count();
}

// The command's steps timed one by one; the counters are milliseconds per step.
void BenchSteps(benchmark::State& state, const TEffectCase& effect)
{
    TMainForm& form = BenchMainWindow(Program);
    OpenPhoto(form);
    const TEffectOperation operation = EffectOfGroup(effect.GroupIndex);
    double engine = 0, history = 0, view = 0, fit = 0, paint = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        operation(*CurrentImage);
        engine += Milliseconds(start);
        start = std::chrono::steady_clock::now();
        form.Work();
        history += Milliseconds(start);
        start = std::chrono::steady_clock::now();
        form.ImageView(*CurrentImage);
        view += Milliseconds(start);
        start = std::chrono::steady_clock::now();
        form.FormSizeChange();
        fit += Milliseconds(start);
        start = std::chrono::steady_clock::now();
        Repaint(form);
        paint += Milliseconds(start);
        state.PauseTiming();
        form.Document().ClearHistory();
        state.ResumeTiming();
    }
    const auto perIteration = benchmark::Counter::kAvgIterations;
    state.counters["engine_ms"] = benchmark::Counter(engine, perIteration);
    state.counters["history_ms"] = benchmark::Counter(history, perIteration);
    state.counters["view_ms"] = benchmark::Counter(view, perIteration);
    state.counters["fit_ms"] = benchmark::Counter(fit, perIteration);
    state.counters["paint_ms"] = benchmark::Counter(paint, perIteration);
}

const bool Registered = [] {
    for (const TEffectCase& effect : Cases) {
        benchmark::RegisterBenchmark((std::string("Command/") + effect.Name).c_str(),
                                     [&effect](benchmark::State& state) { BenchCommand(state, effect); })
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark((std::string("Steps/") + effect.Name).c_str(),
                                     [&effect](benchmark::State& state) { BenchSteps(state, effect); })
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    return true;
}();

} // namespace

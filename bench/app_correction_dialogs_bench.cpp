// The live-preview correction dialogs on a 12-megapixel document, as the
// editor runs them: opening a dialog (the form, its controls and the
// thumbnail on show) and one scroll step (from the bar's new position to the
// repainted preview). The document shares its pixels with the history's
// newest entry, as it does after every edit. Runs on the offscreen platform.
#include "BenchImages.h"
#include "BenchMainWindow.h"

#include "app/brightness.h"
#include "app/colorrevision.h"
#include "app/contrast.h"
#include "app/gamma.h"
#include "app/hls.h"
#include "app/lms.h"
#include "app/main.h"
#include "platform/ui/Image.h"

#include <QCheckBox>
#include <QScrollBar>

#include <functional>
#include <memory>

namespace {

TMainForm& MainWindow()
{
    static TMainForm& Form = []() -> TMainForm& {
        TMainForm& Main = BenchMainWindow("app_correction_dialogs_bench");
        Main.Document().Loaded(PhotoImage(0));
        Main.Work();
        return Main;
    }();
    return Form;
}

struct TDialogCase {
    const char* Name;
    // A shown dialog with its thumbnail on show, its preview and the bar a step moves.
    std::function<std::unique_ptr<TForm>(QWidget* Owner, TImage*& Preview, QScrollBar*& Bar)> Open;
    int From, To;
};

template <class Dialog>
std::unique_ptr<TForm> OpenDialog(QWidget* Owner, TImage*& Preview, QScrollBar*& Bar)
{
    auto Form = std::make_unique<Dialog>(Owner);
    Form->show();
    Form->FormActivate();
    // The whole form painted once, the thumbnail with it.
    Form->repaint();
    Preview = Form->I_1;
    Bar = Form->SB_1;
    return Form;
}

const TDialogCase Cases[] = {
    {"Gamma", OpenDialog<TGammaForm>, 220, 150},
    {"Brightness", OpenDialog<TBrightnessForm>, 0, 100},
    {"Contrast", OpenDialog<TContrastForm>, 0, 100},
    {"ColorBalance", OpenDialog<TColorForm>, 0, 255},
    {"Hls", OpenDialog<THLSForm>, 0, 180},
    {"Lms", OpenDialog<TLMSForm>, 100, 50},
};

void Open(benchmark::State& State, const TDialogCase& Case)
{
    TMainForm& Main = MainWindow();
    TImage* Preview = nullptr;
    QScrollBar* Bar = nullptr;
    TFvDIB Snapshot;
    for (auto _ : State) {
        auto Form = Case.Open(&Main, Preview, Bar);
        State.PauseTiming();
        Form.reset();
        // As after an edit, the history's newest entry shares the document's pixels.
        Snapshot.Assign(CurrentImage);
        State.ResumeTiming();
    }
}

void Step(benchmark::State& State, const TDialogCase& Case)
{
    TMainForm& Main = MainWindow();
    TImage* Preview = nullptr;
    QScrollBar* Bar = nullptr;
    auto Form = Case.Open(&Main, Preview, Bar);
    bool There = false;
    for (auto _ : State) {
        There = !There;
        Bar->setValue(There ? Case.To : Case.From);
        Preview->repaint();
    }
}

const bool Registered = [] {
    for (const TDialogCase& Case : Cases) {
        benchmark::RegisterBenchmark((std::string("Open/") + Case.Name).c_str(),
                                     [&Case](benchmark::State& State) { Open(State, Case); })
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark((std::string("Step/") + Case.Name).c_str(),
                                     [&Case](benchmark::State& State) { Step(State, Case); })
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    return true;
}();

} // namespace

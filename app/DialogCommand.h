// The shared steps of every command that asks for its settings in a dialog:
// the dialog is created into its unit's form variable with the main window as
// owner and shown modally; OK applies the command's engine operation with the
// dialog's values and times it, a preview dialog's result 3 hands over the
// image it has already computed with its measured time, anything else applies
// nothing. The dialog is freed and its variable reset on every path.
#pragma once

#include "app/main.h"
#include "platform/ui/Form.h"

#include <cstdint>
#include <functional>

// Modal result of a preview dialog whose preview is the finished result.
constexpr int mrPreviewed = 3;

// When the document is shown again after the dialog: only after something was
// applied, or always (a cancelled preview must give the main view back).
enum class TViewAfter { Applied, Always };

// A preview dialog's finished image and the milliseconds its preview took.
struct TPreviewResult {
    TFvDIB& Image;
    uint32_t Milliseconds;
};

// One dialog command's row.
template <class Form>
struct TDialogRow {
    // Result 1: applies the operation to CurrentImage with the dialog's values.
    std::function<void(Form&)> Apply;
    // Result 3, preview dialogs only.
    std::function<TPreviewResult(Form&)> Preview = {};
    TViewAfter View = TViewAfter::Applied;
    // The size command also fits the window to the new image.
    bool Refit = false;
};

// What happens once the dialog has closed with Result.
void FinishDialogCommand(TMainForm& Owner, int Result, const std::function<void()>& Apply,
                         const std::function<TPreviewResult()>& Preview, TViewAfter View, bool Refit);

template <class Form>
void RunDialogCommand(TMainForm& Owner, Form*& FormVariable, const TDialogRow<Form>& Row)
{
    const TScopedForm<Form> scoped(FormVariable, &Owner);
    Form& form = *FormVariable;
    const int result = form.ShowModal();
    std::function<TPreviewResult()> preview;
    if (Row.Preview)
        preview = [&] { return Row.Preview(form); };
    FinishDialogCommand(Owner, result, [&] { Row.Apply(form); }, preview, Row.View, Row.Refit);
}

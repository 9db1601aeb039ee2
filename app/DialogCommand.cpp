#include "app/DialogCommand.h"

#include "platform/core/TickCount.h"

void FinishDialogCommand(TMainForm& Owner, int Result, const std::function<void()>& Apply,
                         const std::function<TPreviewResult()>& Preview, TViewAfter View, bool Refit)
{
    bool applied = false;
    if (Result == mrOk) {
        const uint32_t start = GetTickCount();
        Apply();
        Owner.ShowOperationTime(GetTickCount() - start);
        Owner.Work();
        applied = true;
    } else if (Result == mrPreviewed && Preview) {
        const TPreviewResult result = Preview();
        CurrentImage->Assign(&result.Image);
        Owner.ShowOperationTime(result.Milliseconds);
        Owner.Work();
        applied = true;
    }
    if (applied || View == TViewAfter::Always)
        Owner.ImageView(*CurrentImage);
    if (applied && Refit)
        Owner.FormSizeChange();
}

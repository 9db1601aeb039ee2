// The filter commands with settings: each shows its dialog, then filters the
// document with the values handed back, or takes the preview the dialog has
// already finished. The document is shown again after every result, which
// also takes a cancelled preview off the screen.
#include "app/CustomWeights.h"
#include "app/DialogCommand.h"
#include "app/blur.h"
#include "app/custom.h"
#include "app/gaussianblur.h"
#include "app/kuwahara.h"
#include "app/main.h"
#include "app/motionblur.h"
#include "app/oilpaint.h"
#include "app/sharp.h"
#include "effects/process.h"

void TMainForm::Soft1Click()
{
    RunDialogCommand(*this, BlurForm,
                     TDialogRow<TBlurForm>{
                         .Apply = [](TBlurForm&) { Soften(*CurrentImage, BlurRadius); },
                         .Preview = [](TBlurForm& form) { return TPreviewResult{*form.bmp, BlurProcessTime}; },
                         .View = TViewAfter::Always});
}

void TMainForm::MotionClick()
{
    RunDialogCommand(
        *this, MotionBlurForm,
        TDialogRow<TMotionBlurForm>{
            .Apply =
                [](TMotionBlurForm&) {
                    MotionBlurFilter(*CurrentImage, MotionBlurSize, MotionBlurQuality, MotionBlurAngle);
                },
            .Preview = [](TMotionBlurForm& form) { return TPreviewResult{*form.bmp, MotionBlurProcessTime}; },
            .View = TViewAfter::Always});
}

void TMainForm::GaussianClick()
{
    // The one call gives the bytes of a pass, a left turn, a pass and a right turn.
    RunDialogCommand(
        *this, GaussianBlurForm,
        TDialogRow<TGaussianBlurForm>{
            .Apply = [](TGaussianBlurForm&) { GaussianBlur(*CurrentImage, GaussianBlurValue); },
            .Preview = [](TGaussianBlurForm& form) { return TPreviewResult{*form.bmp, GaussianBlurProcessTime}; },
            .View = TViewAfter::Always});
}

void TMainForm::SharClick()
{
    RunDialogCommand(*this, SharpForm,
                     TDialogRow<TSharpForm>{
                         .Apply = [](TSharpForm&) { SharpenPower(*CurrentImage, SharpMode, SharpPower); },
                         .Preview = [](TSharpForm& form) { return TPreviewResult{*form.bmp, SharpProcessTime}; },
                         .View = TViewAfter::Always});
}

void TMainForm::OilClick()
{
    RunDialogCommand(
        *this, OilPaintForm,
        TDialogRow<TOilPaintForm>{
            .Apply = [](TOilPaintForm&) { OilPaintFilter(*CurrentImage, OilPaintBlock, OilPaintColors); },
            .Preview = [](TOilPaintForm& form) { return TPreviewResult{*form.bmp, OilPaintProcessTime}; },
            .View = TViewAfter::Always});
}

void TMainForm::KuwaharaK1Click()
{
    RunDialogCommand(*this, KuwaharaForm,
                     TDialogRow<TKuwaharaForm>{
                         .Apply = [](TKuwaharaForm& form) { KuwaharaFilter(*CurrentImage, form.Value, form.Mode); },
                         .Preview = [](TKuwaharaForm& form) { return TPreviewResult{*form.Bmp, form.ProcessTime}; },
                         .View = TViewAfter::Always});
}

void TMainForm::CustClick()
{
    RunDialogCommand(*this, CustForm,
                     TDialogRow<TCustForm>{.Apply =
                                               [](TCustForm&) {
                                                   const std::array<int32_t, 9> weights = CustomWeights(CustomKernel);
                                                   NeighbourhoodFilter(*CurrentImage, PixelWeighted, weights.data());
                                               },
                                           .View = TViewAfter::Always});
}

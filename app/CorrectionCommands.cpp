// The commands of the correction dialogs: each shows its dialog and, on OK,
// applies the dialog's values to the document.
#include "app/DialogCommand.h"
#include "app/brightness.h"
#include "app/colorrevision.h"
#include "app/contrast.h"
#include "app/gamma.h"
#include "app/hls.h"
#include "app/lms.h"
#include "app/main.h"
#include "app/posterization.h"
#include "effects/process.h"

#include <QCheckBox>

void TMainForm::GaClick()
{
    // Cancelling also shows the document again, as this command always did.
    RunDialogCommand(*this, GammaForm,
                     TDialogRow<TGammaForm>{.Apply =
                                                [](TGammaForm& form) {
                                                    if (form.CB_2->isChecked())
                                                        GammaCorrection(*CurrentImage, form.RValue);
                                                    else
                                                        GammaCorrectionRGB(*CurrentImage, form.RValue, form.GValue,
                                                                           form.BValue);
                                                },
                                            .View = TViewAfter::Always});
}

void TMainForm::BrigClick()
{
    RunDialogCommand(*this, BrightnessForm, TDialogRow<TBrightnessForm>{.Apply = [](TBrightnessForm& form) {
                         BrightnessCorrection(*CurrentImage, form.Value);
                     }});
}

void TMainForm::ContClick()
{
    RunDialogCommand(*this, ContrastForm, TDialogRow<TContrastForm>{.Apply = [](TContrastForm& form) {
                         ContrastCorrection(*CurrentImage, form.Value);
                     }});
}

void TMainForm::ColorClick()
{
    RunDialogCommand(*this, ColorForm, TDialogRow<TColorForm>{.Apply = [](TColorForm& form) {
                         ColorBalance(*CurrentImage, form.RValue, form.GValue, form.BValue);
                     }});
}

void TMainForm::HlsRClick()
{
    RunDialogCommand(*this, HLSForm, TDialogRow<THLSForm>{.Apply = [](THLSForm&) {
                         HlsCorrection(*CurrentImage, HlsHue, HlsLightness, HlsSaturation);
                     }});
}

void TMainForm::LmsRClick()
{
    RunDialogCommand(*this, LMSForm, TDialogRow<TLMSForm>{.Apply = [](TLMSForm& form) {
                         LmsCorrection(*CurrentImage, form.LValue, form.MValue, form.SValue,
                                       form.CheckBox1->isChecked());
                     }});
}

void TMainForm::PostClick()
{
    RunDialogCommand(*this, PosterizationForm, TDialogRow<TPosterizationForm>{.Apply = [](TPosterizationForm& form) {
                         Posterize(*CurrentImage, form.RValue, form.GValue, form.BValue);
                     }});
}

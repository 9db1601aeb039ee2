// The Help menu's dialogs: the plug-in list and the about box.
#include "app/main.h"
#include "app/susie.h"
#include "app/version.h"
#include "platform/ui/Form.h"

namespace {

// Creates the form into its variable, shows it and frees it on every path.
template <class Form> void ShowForm(TMainForm& Owner, Form*& FormVariable)
{
    const TScopedForm<Form> scoped(FormVariable, &Owner);
    FormVariable->ShowModal();
}

} // namespace

void TMainForm::SusiePlugIn1Click()
{
    ShowForm(*this, SusieForm);
}

void TMainForm::About1Click()
{
    ShowForm(*this, VersionForm);
}

// The Help menu's commands: the help document, the author's page and mail,
// the plug-in list and the about box.
#include "app/HelpCommands.h"

#include "app/main.h"
#include "app/susie.h"
#include "app/version.h"
#include "platform/core/MessageHook.h"
#include "platform/system/Files.h"
#include "platform/ui/Form.h"
#include "platform/ui/ShellOpen.h"

#include <QUrl>

#include <filesystem>

namespace {

// The author's addresses, put together at run time.
const char* const HomePage = "https://example.org/farovinter/";
const char* const MailUser = "author";
const char* const MailDomain = "example.org";

// Without a program for the address nothing would happen at all: say so,
// naming the address so the user can open it another way.
void OpenThroughDesktop(const QUrl& url, const std::string& address)
{
    if (!ShellOpen(url))
        ShowMessage("開くプログラムが見つかりません。\r\n" + address);
}

// Creates the form into its variable, shows it and frees it on every path.
template <class Form> void ShowForm(TMainForm& Owner, Form*& FormVariable)
{
    const TScopedForm<Form> scoped(FormVariable, &Owner);
    FormVariable->ShowModal();
}

} // namespace

void OpenHelpDocument(const std::string& Directory)
{
    const std::string path = Directory + "readme.html";
    if (std::filesystem::is_regular_file(path))
        OpenThroughDesktop(QUrl::fromLocalFile(QString::fromStdString(path)), path);
    else
        ShowMessage("ファイルは存在しません");
}

void TMainForm::N6Click()
{
    OpenHelpDocument(GetExecutableDirectory());
}

void TMainForm::hpClick()
{
    const std::string address = HomePage;
    OpenThroughDesktop(QUrl(QString::fromStdString(address)), address);
}

void TMainForm::mailClick()
{
    const std::string address = std::string("mailto:") + MailUser + "@" + MailDomain;
    OpenThroughDesktop(QUrl(QString::fromStdString(address)), address);
}

void TMainForm::SusiePlugIn1Click()
{
    ShowForm(*this, SusieForm);
}

void TMainForm::About1Click()
{
    ShowForm(*this, VersionForm);
}

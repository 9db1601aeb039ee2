#include "platform/ui/Application.h"

#include "platform/core/Exceptions.h"
#include "platform/core/MessageHook.h"
#include "platform/ui/Dialogs.h"

#include <exception>

namespace {

std::string& TitleText()
{
    static std::string title;
    return title;
}

TApplication::ExceptionReporter& Reporter()
{
    static TApplication::ExceptionReporter reporter;
    return reporter;
}

void Report(const std::string& message)
{
    if (Reporter())
        Reporter()(message);
    else
        MessageBox(message, TApplication::Title(), TMsgDlgType::mtError);
}

} // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    SetMessageHandler([](const std::string& text) { MessageBox(text, Title(), TMsgDlgType::mtCustom); });
}

TApplication::~TApplication()
{
    SetMessageHandler({});
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        HandleException();
        return false;
    }
}

std::string TApplication::Title()
{
    return TitleText();
}

void TApplication::SetTitle(const std::string& title)
{
    TitleText() = title;
    QApplication::setApplicationDisplayName(QString::fromStdString(title));
}

void TApplication::HandleException()
{
    try {
        throw;
    } catch (const EAbort&) {
    } catch (const Exception& e) {
        Report(e.Message());
    } catch (const std::bad_alloc&) {
        Report(EOutOfMemory().Message());
    } catch (const std::exception& e) {
        Report(e.what());
    } catch (...) {
        Report("Unknown exception");
    }
}

void TApplication::SetExceptionReporter(ExceptionReporter reporter)
{
    Reporter() = std::move(reporter);
}

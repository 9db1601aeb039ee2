#include "platform/ui/Application.h"

#include "platform/core/Exceptions.h"
#include "platform/core/MessageHook.h"
#include "platform/ui/Dialogs.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdlib>
#include <cstring>
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
    // The whole interface is Japanese, so Qt's standard dialogs and buttons
    // are too, whatever the user's locale; without the catalogue they stay English.
    auto* translator = new QTranslator(this);
    if (translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(translator);
    // Numbers, dates and the file dialog's type names follow a Japanese system too.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    SetMessageHandler([](const std::string& text) { MessageBox(text, Title(), TMsgDlgType::mtCustom); });
}

TApplication::~TApplication()
{
    SetMessageHandler({});
}

bool GraphicalDisplayNamed()
{
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const bool windowSystem = !set("QT_QPA_PLATFORM") || std::strncmp(platform, "xcb", 3) == 0 ||
                              std::strncmp(platform, "wayland", 7) == 0;
    return !windowSystem || set("DISPLAY") || set("WAYLAND_DISPLAY");
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
    // Not Qt's application display name: Qt would append it to every window title.
    TitleText() = title;
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

// The application object: the Qt application with the class library's
// default exception handler. An exception that leaves any event handler is
// caught here and its message shown, and the program goes on running.
#pragma once

#include <QApplication>

#include <functional>
#include <string>

class TApplication : public QApplication {
public:
    // Plain messages (ShowMessage) are shown as message boxes from here on,
    // and Qt's own dialogs speak Japanese.
    TApplication(int& argc, char** argv);
    ~TApplication() override;

    bool notify(QObject* receiver, QEvent* event) override;

    // The text of the task bar button and the caption of plain message boxes.
    static std::string Title();
    static void SetTitle(const std::string& title);

    // Shows the message of the exception being handled, as the default handler
    // does; call it only inside a catch block. EAbort stays silent.
    static void HandleException();

    // Receives the message of every exception that HandleException reports.
    // The default shows an error message box; tests install their own.
    using ExceptionReporter = std::function<void(const std::string& message)>;
    static void SetExceptionReporter(ExceptionReporter reporter);
};

// Whether the window system can be reached from the environment: a named X11
// or Wayland display, or a Qt platform of another kind (such as offscreen).
bool GraphicalDisplayNamed();

// A handler for a signal that reports any exception it raises through the
// application's handler instead of letting it leave the slot.
template <class Handler>
auto Guarded(Handler handler)
{
    return [handler](auto&&... args) {
        try {
            handler(std::forward<decltype(args)>(args)...);
        } catch (...) {
            TApplication::HandleException();
        }
    };
}

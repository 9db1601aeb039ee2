// Answers modal dialogs in window tests: the action runs on the next modal
// dialog of a type once it is up, from inside its own event loop.
#pragma once

#include <QApplication>
#include <QFileDialog>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>

template <class Dialog>
void WhenShown(std::function<void(Dialog&)> act)
{
    auto* timer = new QTimer(qApp);
    timer->setInterval(5);
    auto ticks = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, act, ticks] {
        auto* dialog = dynamic_cast<Dialog*>(QApplication::activeModalWidget());
        // A dialog that never comes is given up after five seconds.
        if (dialog == nullptr && ++*ticks < 1000)
            return;
        timer->stop();
        timer->deleteLater();
        if (dialog != nullptr)
            act(*dialog);
    });
    timer->start();
}

// The next open or save dialog picks path with the filter at index (from 1).
inline void ChooseFile(const std::string& path, int filter = 1)
{
    WhenShown<QFileDialog>([=](QFileDialog& d) {
        d.selectNameFilter(d.nameFilters()[filter - 1]);
        d.selectFile(QString::fromStdString(path));
        static_cast<QDialog&>(d).accept();
    });
}

// The folder in which the file dialog that command shows starts; the dialog is cancelled.
inline std::string StartFolderOf(const std::function<void()>& command)
{
    std::string folder;
    WhenShown<QFileDialog>([&](QFileDialog& d) {
        folder = d.directory().absolutePath().toStdString();
        d.reject();
    });
    command();
    return folder;
}

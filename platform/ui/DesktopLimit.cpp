#include "platform/ui/DesktopLimit.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace {

// The frame is looked for every 50 ms, for 3 s after the window is shown (a
// window manager that draws no frame never reports one).
constexpr int FrameWaitInterval = 50;
constexpr int MaxFrameWaits = 60;

// Keeps the maximum size of the window that owns it.
class TDesktopLimit : public QObject {
public:
    explicit TDesktopLimit(QWidget& window) : QObject(&window), FWindow(window)
    {
        window.installEventFilter(this);
        FFrameWait.setInterval(FrameWaitInterval);
        connect(&FFrameWait, &QTimer::timeout, this, [this] {
            if (++FFrameWaits >= MaxFrameWaits)
                FFrameWait.stop();
            Apply();
        });
        for (QScreen* screen : QGuiApplication::screens())
            Watch(screen);
        connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
            Watch(screen);
            Apply();
        });
        connect(qGuiApp, &QGuiApplication::screenRemoved, this, [this] { Apply(); });
        Apply();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != &FWindow)
            return false;
        switch (event->type()) {
        case QEvent::Show:
            FFrameWaits = 0;
            [[fallthrough]];
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::WindowStateChange:
        case QEvent::ScreenChangeInternal:
            Apply();
            break;
        default:
            break;
        }
        return false;
    }

private:
    void Watch(QScreen* screen)
    {
        connect(screen, &QScreen::availableGeometryChanged, this, [this] { Apply(); });
    }

    void Apply()
    {
        if (FWindow.windowFlags() & Qt::MSWindowsFixedSizeDialogHint)
            return;
        const QMargins frame = KnownFrameMargins(FWindow);
        // An X11 window manager frames the window after it appears, and no
        // event tells when Qt learns the frame: look again until it is known.
        if (!frame.isNull() || !FWindow.isVisible() || QGuiApplication::platformName() != QLatin1String("xcb"))
            FFrameWait.stop();
        else if (!FFrameWait.isActive() && FFrameWaits < MaxFrameWaits)
            FFrameWait.start();
        // The smallest size wins on a desktop smaller than it.
        const QSize limit = (MaxTrackSize(FWindow) - QSize(frame.left() + frame.right(), frame.top() + frame.bottom()))
                                .expandedTo(FWindow.minimumSize());
        // A window larger than its new limit is made smaller by Qt here.
        if (FWindow.maximumSize() != limit)
            FWindow.setMaximumSize(limit);
    }

    QWidget& FWindow;
    QTimer FFrameWait;
    int FFrameWaits = 0;
};

} // namespace

QMargins KnownFrameMargins(const QWidget& window)
{
    // While the window manager builds its frame, Qt reports no margins or
    // negative ones; neither is the frame's.
    const QMargins m = window.windowHandle() != nullptr ? window.windowHandle()->frameMargins() : QMargins();
    return m.left() >= 0 && m.top() >= 0 && m.right() >= 0 && m.bottom() >= 0 ? m : QMargins();
}

QSize MaxTrackSize(const QWidget& window)
{
    const QScreen* screen = window.screen();
    return screen != nullptr ? screen->availableVirtualSize() : QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

void LimitToDesktop(QWidget& window)
{
    new TDesktopLimit(window);
}

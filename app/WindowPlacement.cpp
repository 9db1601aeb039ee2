#include "app/WindowPlacement.h"

#include "app/Settings.h"
#include "platform/ui/DesktopLimit.h"
#include "platform/ui/Screens.h"

#include <QResizeEvent>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace {

TRect FromQRect(const QRect& r)
{
    return TRect{r.x(), r.y(), r.x() + r.width(), r.y() + r.height()};
}

bool OnX11()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

// Wayland lets no program place its own window.
bool CanMove()
{
    return QGuiApplication::platformName() != QLatin1String("wayland");
}

bool ShrunkToLimit(const QResizeEvent& event, const QWidget& window)
{
    return !event.spontaneous() && event.oldSize().isValid() && event.size() != event.oldSize() &&
           event.size() == event.oldSize().boundedTo(window.maximumSize());
}

// In steps of 50 ms: the placement is asked for at most every 300 ms, for 3 s
// once the window is on screen (a window manager that draws no frame never
// reports margins).
constexpr int RetryInterval = 50;
constexpr int ApplyInterval = 6;
constexpr int MaxRetries = 60;
// The placed frame counts as reached when three steps in a row report it.
constexpr int Confirmations = 3;
// A window manager that starts late, or answers late on a busy machine,
// frames the window after the placement gave up: for a minute its frame is
// looked for every 300 ms.
constexpr int LateFrameInterval = RetryInterval * ApplyInterval;
constexpr int MaxLateFrameChecks = 200;

} // namespace

TWindowPlacement::TWindowPlacement(QWidget* window) : QObject(window), FWindow(window)
{
    window->installEventFilter(this);
    FRetry.setInterval(RetryInterval);
    connect(&FRetry, &QTimer::timeout, this, [this] { RetryTick(); });
    FLateFrame.setInterval(LateFrameInterval);
    connect(&FLateFrame, &QTimer::timeout, this, [this] { LateFrameTick(); });
}

void TWindowPlacement::Place(const TRect& rect)
{
    // Elsewhere the frame's margins are known once the native window exists.
    // An X11 frame comes only after the window appears, and a position given
    // before the native window exists is the frame's: the window manager is
    // asked to put the frame there, not the window's inside, so the title bar
    // never starts above the screen.
    const bool x11 = OnX11();
    if (!x11)
        FWindow->winId();
    FPending = Fitted(rect);
    FUntouched = FPending;
    FLateFrame.stop();
    Apply();
    if (!x11)
        FPending.reset();
}

TRect TWindowPlacement::Fitted(const TRect& rect) const
{
    const QMargins frame = KnownFrameMargins(*FWindow);
    // The size constraints come first, so a backwards or oversized rectangle
    // is fitted at the size it gets.
    const QSize largest = MaxTrackSize(*FWindow);
    const TRect sized = WithMinimumSize(WithMaximumSize(rect, largest.width(), largest.height()),
                                        FWindow->minimumWidth() + frame.left() + frame.right(),
                                        FWindow->minimumHeight() + frame.top() + frame.bottom());
    const std::vector<TRect> monitors = MonitorRects();
    const int nearest = NearestMonitor(monitors, sized);
    return nearest >= 0 ? FitRectToMonitor(sized, monitors[nearest]) : sized;
}

void TWindowPlacement::Apply()
{
    // The rectangle is the outer frame; the size constraints still apply.
    const QMargins frame = KnownFrameMargins(*FWindow);
    const TRect placed = Target();
    FApplying = true;
    // Only the size is restored where the window cannot be moved.
    if (CanMove())
        FWindow->move(placed.Left, placed.Top);
    FWindow->resize(std::max(0, placed.Width() - frame.left() - frame.right()),
                    std::max(0, placed.Height() - frame.top() - frame.bottom()));
    FApplying = false;
}

void TWindowPlacement::KeepOnScreen()
{
    if (!Normal() || !CanMove())
        return;
    const TRect frame = FPending ? Target() : CurrentNormalFrame();
    const int nearest = NearestMonitor(MonitorRects(), frame);
    if (nearest < 0)
        return;
    const TRect fitted = FitRectToMonitor(frame, MonitorWorkAreas()[nearest]);
    if (fitted == frame)
        return;
    if (FPending) {
        // The placement goes on at the new place, with the program's size.
        FPending = fitted;
        Apply();
    } else {
        FWindow->move(fitted.Left, fitted.Top);
    }
}

TRect TWindowPlacement::Target() const
{
    if (!FProgramSize)
        return *FPending;
    const QMargins frame = KnownFrameMargins(*FWindow);
    return TRect{FPending->Left, FPending->Top, FPending->Left + FProgramSize->width() + frame.left() + frame.right(),
                 FPending->Top + FProgramSize->height() + frame.top() + frame.bottom()};
}

bool TWindowPlacement::Normal() const
{
    return FWindow->isVisible() &&
           !(FWindow->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized));
}

void TWindowPlacement::RetryTick()
{
    // A maximised window waits for its restore; the frame is corrected then.
    if (!FPending || !Normal()) {
        FRetry.stop();
        return;
    }
    // The window reaches the screen only after its show handler is done, and
    // that may wait on a message about the file named at start: the time
    // allowed for the placement runs from then on.
    if (FWindow->windowHandle() == nullptr || !FWindow->windowHandle()->isExposed())
        return;
    ++FRetries;
    const bool framed = !KnownFrameMargins(*FWindow).isNull();
    // A frame smaller than the window's smallest size plus its margins can
    // never be reached: once the margins are known it grows by them, and
    // that frame is the one placed.
    if (framed) {
        const TRect fitted = Fitted(*FPending);
        if (FUntouched == FPending)
            FUntouched = fitted;
        FPending = fitted;
    }
    FMatches = framed && CurrentNormalFrame() == Target() ? FMatches + 1 : 0;
    if (FMatches >= Confirmations || FRetries >= MaxRetries) {
        if (!framed) {
            FAbandoned = Target();
            FAbandonedGeometry = FWindow->geometry();
            FLateFrameChecks = 0;
            FLateFrame.start();
        }
        FPending.reset();
    } else if (framed && FRetries - FLastApply >= ApplyInterval) {
        // The window manager may still answer an earlier request with an
        // older rectangle: the placement is asked for again until it holds.
        Apply();
        FLastApply = FRetries;
    }
    if (!FPending)
        FRetry.stop();
}

void TWindowPlacement::LateFrameTick()
{
    // Moved, sized or maximised since the placement gave up: the window is
    // the user's, whatever frame comes.
    if (++FLateFrameChecks > MaxLateFrameChecks || !Normal() || FWindow->geometry() != FAbandonedGeometry) {
        FLateFrame.stop();
        return;
    }
    if (KnownFrameMargins(*FWindow).isNull())
        return;
    FLateFrame.stop();
    // The window as a whole keeps the size it had; the frame now takes its
    // share of it.
    FProgramSize.reset();
    FPending = FAbandoned;
    FRetries = 0;
    FMatches = 0;
    FLastApply = -ApplyInterval;
    FRetry.start();
}

bool TWindowPlacement::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != FWindow)
        return false;
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::WindowStateChange:
        if (FPending && Normal()) {
            FRetries = 0;
            FMatches = 0;
            FLastApply = -ApplyInterval;
            FRetry.start();
        }
        break;
    case QEvent::Move:
    case QEvent::Resize:
        // While maximised the restored rectangle stays the one placed.
        if (!Normal() || FApplying)
            break;
        // A window made smaller to fit a new limit on its size (its frame
        // became known) keeps the placement as it was.
        if (event->type() == QEvent::Resize && ShrunkToLimit(*static_cast<QResizeEvent*>(event), *FWindow))
            break;
        if (!event->spontaneous()) {
            // The program itself sized the window (to fit an image): the
            // placement keeps that size. A move by the program ends it.
            FUntouched.reset();
            if (event->type() == QEvent::Resize)
                FProgramSize = static_cast<QResizeEvent*>(event)->size();
            else
                FPending.reset();
        } else if (!FPending && CurrentNormalFrame() != FUntouched) {
            // Once the placement is over, any other rectangle was made by the
            // user through the window manager.
            FUntouched.reset();
        }
        break;
    default:
        break;
    }
    return false;
}

TRect TWindowPlacement::CurrentNormalFrame() const
{
    const QRect frame = FWindow->frameGeometry();
    const QRect inner = FWindow->geometry();
    const QRect normal = FWindow->isMaximized() || FWindow->isMinimized() ? FWindow->normalGeometry() : inner;
    return FromQRect(normal.adjusted(frame.left() - inner.left(), frame.top() - inner.top(),
                                     frame.right() - inner.right(), frame.bottom() - inner.bottom()));
}

TRect TWindowPlacement::NormalFrame() const
{
    return FUntouched ? *FUntouched : CurrentNormalFrame();
}

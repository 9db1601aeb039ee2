#include "app/FormsEX.h"

#include "platform/ui/DesktopLimit.h"
#include "platform/ui/Screens.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMoveEvent>
#include <QResizeEvent>
#include <QShowEvent>

namespace {

TRect FromQRect(const QRect& r)
{
    return TRect{r.x(), r.y(), r.x() + r.width(), r.y() + r.height()};
}

// The dragged edge or corner, from which sides of the frame changed.
int DraggedEdge(const TRect& before, const TRect& after)
{
    const bool left = before.Left != after.Left;
    const bool right = before.Right != after.Right;
    const bool top = before.Top != after.Top;
    const bool bottom = before.Bottom != after.Bottom;
    if (top)
        return left ? WMSZ_TOPLEFT : right ? WMSZ_TOPRIGHT : WMSZ_TOP;
    if (bottom)
        return left ? WMSZ_BOTTOMLEFT : right ? WMSZ_BOTTOMRIGHT : WMSZ_BOTTOM;
    return left ? WMSZ_LEFT : WMSZ_RIGHT;
}

} // namespace

TFormEX::TFormEX(QWidget* parent) : QMainWindow(parent)
{
    // A drag reports many moves; snap once it pauses, so the window system's
    // own placement is not fought while the mouse still moves.
    FSettleTimer.setSingleShot(true);
    FSettleTimer.setInterval(200);
    connect(&FSettleTimer, &QTimer::timeout, this, [this] { Settle(); });
    LimitToDesktop(*this);
}

std::vector<TRect> TFormEX::OtherWindowRects() const
{
    std::vector<TRect> rects;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget != this && widget->isVisible())
            rects.push_back(FromQRect(widget->frameGeometry()));
    return rects;
}

bool TFormEX::SnapsHere() const
{
    return FbFittingThreshold && QGuiApplication::platformName() == QLatin1String("xcb") && isVisible() &&
           !(windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized));
}

void TFormEX::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    if (event->spontaneous() && SnapsHere())
        FSettleTimer.start();
}

void TFormEX::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (event->spontaneous() && SnapsHere())
        FSettleTimer.start();
}

void TFormEX::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    FLastFrame = FromQRect(frameGeometry());
}

void TFormEX::Settle()
{
    const TRect frame = FromQRect(frameGeometry());
    const TRect before = FLastFrame;
    FLastFrame = frame;
    if (!SnapsHere() || before == TRect{} || frame == before)
        return;
    const std::optional<TRect> workArea = PrimaryWorkArea();
    const std::vector<TRect> windows = OtherWindowRects();
    const int t = FsiFittingThreshold;
    if (frame.Width() != before.Width() || frame.Height() != before.Height()) {
        const TRect snapped = SnapEdges(frame, DraggedEdge(before, frame), SnapCandidates(workArea, windows), t);
        if (snapped != frame) {
            const QRect inner = geometry();
            setGeometry(inner.x() + snapped.Left - frame.Left, inner.y() + snapped.Top - frame.Top,
                        inner.width() + snapped.Width() - frame.Width(),
                        inner.height() + snapped.Height() - frame.Height());
        }
    } else {
        // One settled report is one step of a move that began where the window last rested.
        TMoveSnapper snapper;
        snapper.EnterSizeMove({before.Left, before.Top});
        const TRect moved = snapper.Moving(frame, workArea, windows, t);
        if (moved != frame)
            move(moved.Left, moved.Top);
    }
    FLastFrame = FromQRect(frameGeometry());
}

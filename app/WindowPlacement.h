// Where the main window goes at start and the rectangle it leaves behind.
//
// The saved rectangle is the window's outer frame. An X11 window manager adds
// its frame only once the window appears, and reports the frame and the
// window's place in several steps that race with the program's own requests.
// So the frame is corrected once its margins are known, and while nobody has
// moved or sized the window since, the rectangle written back is exactly the
// one that was placed: starting and closing never moves the window.
#pragma once

#include "platform/graphics/Types.h"

#include <QObject>
#include <QRect>
#include <QSize>
#include <QTimer>

#include <optional>

class QWidget;

class TWindowPlacement : public QObject {
public:
    // Watches window, which owns the object.
    explicit TWindowPlacement(QWidget* window);

    // Puts the window's frame on rect, first brought within the window's
    // smallest and largest sizes and then fitted to the nearest monitor.
    void Place(const TRect& rect);

    // After the program sized the window: its frame moves onto the work area
    // of its monitor where it crosses an edge, keeping its left and top edges
    // on it when larger.
    void KeepOnScreen();

    // The restored (normal) frame rectangle, also while maximised.
    TRect NormalFrame() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // rect within the window's smallest and largest frame, then on its nearest monitor.
    TRect Fitted(const TRect& rect) const;
    void Apply();
    void RetryTick();
    void LateFrameTick();
    TRect CurrentNormalFrame() const;
    // The frame being placed: the placed one, or at its place the size the program gave the window.
    TRect Target() const;
    bool Normal() const;

    QWidget* FWindow;
    // The placed frame, until the frame's margins are known.
    std::optional<TRect> FPending;
    // The window's size when the program set one while the placement was pending.
    std::optional<QSize> FProgramSize;
    // The placed frame, while nobody has moved or sized the window.
    std::optional<TRect> FUntouched;
    bool FApplying = false;
    // Looks for the margins after the window appears and asks for the placed
    // frame until the window manager reports it: its reports come late, not
    // always as a move or size, and may answer older requests.
    QTimer FRetry;
    int FRetries = 0;
    int FLastApply = 0;
    int FMatches = 0;
    // When the placement gave up before the window had a frame: what was
    // being placed and the window's geometry then. A frame that comes later
    // to a window still at that geometry has the placement made again.
    TRect FAbandoned{};
    QRect FAbandonedGeometry;
    QTimer FLateFrame;
    int FLateFrameChecks = 0;
};

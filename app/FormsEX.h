// A window that snaps to the edges of the desktop work area and of the
// program's other visible windows while it is moved or sized. Snapping is off
// until the owner switches it on.
//
// Linux window systems move and size windows themselves and do not let the
// program adjust the rectangle during the drag. On X11 the window corrects
// its place once the window system reports a move or size and the drag has
// settled; elsewhere (Wayland, offscreen) it does not snap.
#pragma once

#include "app/Snapping.h"

#include <QMainWindow>
#include <QTimer>

#include <cstdint>

class TFormEX : public QMainWindow {
public:
    explicit TFormEX(QWidget* parent = nullptr);

    bool FittingThreshold() const { return FbFittingThreshold; }
    void SetFittingThreshold(bool value) { FbFittingThreshold = value; }
    int8_t FittingThresholdValue() const { return FsiFittingThreshold; }
    // 0..20 is kept; any other value stores 10.
    void SetFittingThresholdValue(int value) { FsiFittingThreshold = ValidFittingThreshold(value); }

    // The frame rectangles of the application's other visible windows.
    std::vector<TRect> OtherWindowRects() const;

protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Settle();
    bool SnapsHere() const;

    bool FbFittingThreshold = false;
    int8_t FsiFittingThreshold = 10;
    // The frame as it was after the last settled move or size.
    TRect FLastFrame;
    QTimer FSettleTimer;
};

// Edge snapping of a window to the desktop work area and to the program's
// other visible windows, on screen rectangles (right and bottom outside).
// t is the snapping distance in pixels.
#pragma once

#include "platform/graphics/Types.h"

#include <cstdint>
#include <optional>
#include <vector>

// A snapping distance as the window stores it: 0..20 as given, anything else 10.
int8_t ValidFittingThreshold(int value);

// The platform's codes of the edge or corner being dragged while sizing.
enum TSizingEdge {
    WMSZ_LEFT = 1,
    WMSZ_RIGHT = 2,
    WMSZ_TOP = 3,
    WMSZ_TOPLEFT = 4,
    WMSZ_TOPRIGHT = 5,
    WMSZ_BOTTOM = 6,
    WMSZ_BOTTOMLEFT = 7,
    WMSZ_BOTTOMRIGHT = 8
};

// The candidates in their order: the work area first (when known), then the
// other visible windows.
std::vector<TRect> SnapCandidates(const std::optional<TRect>& workArea, const std::vector<TRect>& windows);

// Moves W's edges onto R's edges within t (used while sizing).
void SnapRectEdges(TRect& W, const TRect& R, int t);
// The sized rectangle: Rect with only the dragged edges snapped to every candidate in turn.
TRect SnapEdges(const TRect& Rect, int Edge, const std::vector<TRect>& candidates, int t);
// Shifts the whole of M horizontally (vertically) onto an edge of R within t; true when it moved.
bool SnapShiftX(TRect& M, const TRect& R, int t);
bool SnapShiftY(TRect& M, const TRect& R, int t);
// Shifts M at most once per axis: the work area first, then the first window that shifts it.
void SnapMove(TRect& M, const std::optional<TRect>& workArea, const std::vector<TRect>& windows, int t);

// The state of one interactive move: the position the window would have
// without snapping, and the snapped position last handed back.
class TMoveSnapper {
public:
    void EnterSizeMove(TPoint topLeft);
    // The rectangle the window takes for the proposed rectangle P.
    TRect Moving(const TRect& P, const std::optional<TRect>& workArea, const std::vector<TRect>& windows, int t);

private:
    TPoint FpntMoveOrg;
    TPoint FpntMoveFit;
};

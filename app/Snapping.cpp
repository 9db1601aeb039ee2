#include "app/Snapping.h"

#include <cstdlib>

namespace {

bool Near(int a, int b, int t)
{
    return std::abs(static_cast<long long>(a) - b) <= t;
}

// The ranges [top, bottom] of the two rectangles meet within t.
bool VerticalMeet(const TRect& W, const TRect& R, int t)
{
    return static_cast<long long>(W.Bottom) + t >= R.Top && static_cast<long long>(R.Bottom) >= W.Top - static_cast<long long>(t);
}

bool HorizontalMeet(const TRect& W, const TRect& R, int t)
{
    return static_cast<long long>(W.Right) + t >= R.Left && static_cast<long long>(R.Right) >= W.Left - static_cast<long long>(t);
}

void Shift(TRect& M, int dx, int dy)
{
    M.Left += dx;
    M.Right += dx;
    M.Top += dy;
    M.Bottom += dy;
}

} // namespace

int8_t ValidFittingThreshold(int value)
{
    return static_cast<int8_t>(value >= 0 && value <= 20 ? value : 10);
}

std::vector<TRect> SnapCandidates(const std::optional<TRect>& workArea, const std::vector<TRect>& windows)
{
    std::vector<TRect> candidates;
    if (workArea)
        candidates.push_back(*workArea);
    candidates.insert(candidates.end(), windows.begin(), windows.end());
    return candidates;
}

void SnapRectEdges(TRect& W, const TRect& R, int t)
{
    if (VerticalMeet(W, R, t)) {
        if (Near(W.Left, R.Left, t))
            W.Left = R.Left;
        else if (Near(W.Left, R.Right, t))
            W.Left = R.Right;
        if (Near(W.Right, R.Right, t))
            W.Right = R.Right;
        else if (Near(W.Right, R.Left, t))
            W.Right = R.Left;
    }
    if (HorizontalMeet(W, R, t)) {
        if (Near(W.Top, R.Top, t))
            W.Top = R.Top;
        else if (Near(W.Top, R.Bottom, t))
            W.Top = R.Bottom;
        if (Near(W.Bottom, R.Bottom, t))
            W.Bottom = R.Bottom;
        else if (Near(W.Bottom, R.Top, t))
            W.Bottom = R.Top;
    }
}

TRect SnapEdges(const TRect& Rect, int Edge, const std::vector<TRect>& candidates, int t)
{
    TRect W = Rect;
    for (const TRect& R : candidates)
        SnapRectEdges(W, R, t);
    TRect result = Rect;
    if (Edge == WMSZ_LEFT || Edge == WMSZ_TOPLEFT || Edge == WMSZ_BOTTOMLEFT)
        result.Left = W.Left;
    if (Edge == WMSZ_RIGHT || Edge == WMSZ_TOPRIGHT || Edge == WMSZ_BOTTOMRIGHT)
        result.Right = W.Right;
    if (Edge == WMSZ_TOP || Edge == WMSZ_TOPLEFT || Edge == WMSZ_TOPRIGHT)
        result.Top = W.Top;
    if (Edge == WMSZ_BOTTOM || Edge == WMSZ_BOTTOMLEFT || Edge == WMSZ_BOTTOMRIGHT)
        result.Bottom = W.Bottom;
    return result;
}

bool SnapShiftX(TRect& M, const TRect& R, int t)
{
    if (!VerticalMeet(M, R, t))
        return false;
    int dx;
    if (Near(M.Left, R.Left, t))
        dx = R.Left - M.Left;
    else if (Near(M.Right, R.Right, t))
        dx = R.Right - M.Right;
    else if (Near(M.Left, R.Right, t))
        dx = R.Right - M.Left;
    else if (Near(M.Right, R.Left, t))
        dx = R.Left - M.Right;
    else
        return false;
    Shift(M, dx, 0);
    return true;
}

bool SnapShiftY(TRect& M, const TRect& R, int t)
{
    if (!HorizontalMeet(M, R, t))
        return false;
    int dy;
    if (Near(M.Top, R.Top, t))
        dy = R.Top - M.Top;
    else if (Near(M.Bottom, R.Bottom, t))
        dy = R.Bottom - M.Bottom;
    else if (Near(M.Top, R.Bottom, t))
        dy = R.Bottom - M.Top;
    else if (Near(M.Bottom, R.Top, t))
        dy = R.Top - M.Bottom;
    else
        return false;
    Shift(M, 0, dy);
    return true;
}

void SnapMove(TRect& M, const std::optional<TRect>& workArea, const std::vector<TRect>& windows, int t)
{
    if (!(workArea && SnapShiftX(M, *workArea, t)))
        for (const TRect& R : windows)
            if (SnapShiftX(M, R, t))
                break;
    if (!(workArea && SnapShiftY(M, *workArea, t)))
        for (const TRect& R : windows)
            if (SnapShiftY(M, R, t))
                break;
}

void TMoveSnapper::EnterSizeMove(TPoint topLeft)
{
    FpntMoveOrg = topLeft;
    FpntMoveFit = topLeft;
}

TRect TMoveSnapper::Moving(const TRect& P, const std::optional<TRect>& workArea, const std::vector<TRect>& windows,
                           int t)
{
    FpntMoveOrg.X += P.Left - FpntMoveFit.X;
    FpntMoveOrg.Y += P.Top - FpntMoveFit.Y;
    TRect M{FpntMoveOrg.X, FpntMoveOrg.Y, FpntMoveOrg.X + P.Width(), FpntMoveOrg.Y + P.Height()};
    SnapMove(M, workArea, windows, t);
    FpntMoveFit = {M.Left, M.Top};
    return M;
}

#include "platform/ui/Screens.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cstdint>

namespace {

TRect FromQRect(const QRect& r)
{
    return TRect{r.x(), r.y(), r.x() + r.width(), r.y() + r.height()};
}

// Distance along one axis between [a0, a1) and [b0, b1); 0 when they overlap.
int64_t Gap(int a0, int a1, int b0, int b1)
{
    if (a1 < b0)
        return int64_t{b0} - a1;
    if (b1 < a0)
        return int64_t{a0} - b1;
    return 0;
}

// The screens, the primary first.
std::vector<QScreen*> Monitors()
{
    std::vector<QScreen*> monitors;
    if (QScreen* primary = QGuiApplication::primaryScreen())
        monitors.push_back(primary);
    for (QScreen* screen : QGuiApplication::screens())
        if (screen != QGuiApplication::primaryScreen())
            monitors.push_back(screen);
    return monitors;
}

} // namespace

std::vector<TRect> MonitorRects()
{
    std::vector<TRect> rects;
    for (QScreen* screen : Monitors())
        rects.push_back(FromQRect(screen->geometry()));
    return rects;
}

std::vector<TRect> MonitorWorkAreas()
{
    std::vector<TRect> rects;
    for (QScreen* screen : Monitors())
        rects.push_back(FromQRect(screen->availableGeometry()));
    return rects;
}

std::optional<TRect> PrimaryWorkArea()
{
    if (QScreen* primary = QGuiApplication::primaryScreen())
        return FromQRect(primary->availableGeometry());
    return std::nullopt;
}

int NearestMonitor(const std::vector<TRect>& monitors, const TRect& rect)
{
    int best = -1;
    int64_t bestArea = 0;
    for (size_t i = 0; i < monitors.size(); ++i) {
        const TRect& m = monitors[i];
        const int64_t w = int64_t{std::min(m.Right, rect.Right)} - std::max(m.Left, rect.Left);
        const int64_t h = int64_t{std::min(m.Bottom, rect.Bottom)} - std::max(m.Top, rect.Top);
        if (w > 0 && h > 0 && w * h > bestArea) {
            bestArea = w * h;
            best = static_cast<int>(i);
        }
    }
    if (best >= 0)
        return best;
    // No overlap (or an empty rectangle): the closest monitor.
    int64_t bestDistance = INT64_MAX;
    for (size_t i = 0; i < monitors.size(); ++i) {
        const TRect& m = monitors[i];
        const int64_t dx = Gap(rect.Left, std::max(rect.Left, rect.Right), m.Left, m.Right);
        const int64_t dy = Gap(rect.Top, std::max(rect.Top, rect.Bottom), m.Top, m.Bottom);
        const int64_t distance = dx * dx + dy * dy;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<int>(i);
        }
    }
    return best;
}

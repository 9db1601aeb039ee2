// The screens of the desktop in the platform's terms: each monitor's whole
// rectangle and the primary display's work area, as screen rectangles whose
// right and bottom lie outside.
#pragma once

#include "platform/graphics/Types.h"

#include <optional>
#include <vector>

// Every monitor's whole rectangle (not its work area), the primary first.
std::vector<TRect> MonitorRects();

// Each monitor's work area (its rectangle less panels and docks), in the
// order of MonitorRects.
std::vector<TRect> MonitorWorkAreas();

// The work area of the primary display (the desktop less panels and docks);
// none when there is no screen.
std::optional<TRect> PrimaryWorkArea();

// The monitor nearest to rect, as the platform's MonitorFromRect with
// MONITOR_DEFAULTTONEAREST picks it: the one sharing the largest area with
// rect, else the one closest to it (the first on a tie). The index into
// monitors; -1 only for an empty list.
int NearestMonitor(const std::vector<TRect>& monitors, const TRect& rect);

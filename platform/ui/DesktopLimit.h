// The largest size of a sizeable window. The platform gave every sizeable
// top-level window a maximum tracking size, and clamped every size change to
// it, the program's own included. Here the whole window, frame included,
// fits the available desktop (the screens less panels and docks). On X11 the
// frame is the window manager's and known only once the window is framed, so
// the limit is taken again whenever the window is shown, moved or sized.
#pragma once

#include <QMargins>
#include <QSize>

class QWidget;

// The frame's margins once the window system has reported them; none before.
QMargins KnownFrameMargins(const QWidget& window);

// The largest outer size of window: the available desktop of its screens.
QSize MaxTrackSize(const QWidget& window);

// From now on window's maximum size keeps its outer size within
// MaxTrackSize; a window of fixed size (a dialog's) is left alone.
void LimitToDesktop(QWidget& window);

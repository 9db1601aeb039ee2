// The program's own icon, drawn from the picture in its resources.
#pragma once

#include <QIcon>

// Rendered at the sizes window systems and the about box ask for (33 x 33
// among them), so no size is scaled from another.
QIcon ProgramIcon();

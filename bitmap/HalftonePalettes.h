// The two process-wide palettes that halftoned drawing answers, made on first
// use and deleted when the program ends.
#pragma once

#include "platform/gdi/Gdi.h"

HPALETTE HalftonePalette();
HPALETTE HalftoneBWPalette();
void DeleteHalftonePalettes();

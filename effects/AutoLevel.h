// Stretches the luma range so that all but 1.5 per cent at either end span
// 0 .. 255, keeping every pixel's chroma.
#pragma once

class TFvDIB;

void AutoLevel(TFvDIB& Image);

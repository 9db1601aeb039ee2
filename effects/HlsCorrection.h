// Hue shift and lightness and saturation scaling through the HLS model.
#pragma once

class TFvDIB;

// Hue in degrees 0 .. 360; Lightness and Saturation in per cent -100 .. 100.
void HlsCorrection(TFvDIB& Image, int Hue, int Lightness, int Saturation);

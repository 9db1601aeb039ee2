// Mean of samples along a line through each pixel.
#pragma once

class TFvDIB;

// Size 1 to 20 pixels each way, Quality 1 to 10 samples per pixel of length
// (other values are clamped to those ranges), Angle in radians.
void MotionBlurFilter(TFvDIB& Image, int Size, int Quality, double Angle);

// Sharpening by a 3x3 weighted sum through the neighbourhood runner.
#pragma once

class TFvDIB;

// Mode 0 weighs the four side neighbours, 1 the four diagonal ones, 2 all
// eight (other values are taken as the nearest of these); Power 0.01 to 3.00.
void SharpenPower(TFvDIB& Image, int Mode, double Power);

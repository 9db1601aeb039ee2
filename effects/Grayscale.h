// Grey and tinted grey: every channel takes the luma of the old pixel, except
// the one channel that the tinted variants set to 255.
#pragma once

class TFvDIB;

void GrayscaleNormal(TFvDIB& Image);
void GrayscaleRed(TFvDIB& Image);
void GrayscaleGreen(TFvDIB& Image);
void GrayscaleBlue(TFvDIB& Image);

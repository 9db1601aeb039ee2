// Drawing a bitmap onto a canvas.
#include "bitmap/FvDIB.h"

void TFvDIB::Draw(TCanvas&, const TRect&)
{
    throw EInvalidGraphicOperation("TFvDIB.Draw: Drawing is not built yet");
}

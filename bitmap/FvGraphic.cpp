// The graphic base of the bitmap model.
#include "bitmap/FvGraph.h"

const TGraphicClassInfo TFvGraphic::ClassInfo = {"TFvGraphic", &TGraphic::ClassInfo, nullptr};

void TFvGraphic::Assign(TPersistent* Source)
{
    TGraphic::Assign(Source);
}

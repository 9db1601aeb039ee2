// A sharpen kernel: the chosen neighbours get -256 x Power and the centre
// makes the weights add up to one (plus the truncation's remainder).
#include "effects/Sharpen.h"

#include "effects/NeighbourhoodFilter.h"
#include "effects/Truncation.h"

#include <algorithm>

void SharpenPower(TFvDIB& Image, int Mode, double Power)
{
    Mode = std::clamp(Mode, 0, 2);
    const long double P = Power;
    const int32_t K = TruncSaturated<int32_t>(-256.0L * P);
    const int Neighbours = Mode == 2 ? 8 : 4;
    const int32_t Centre = TruncSaturated<int32_t>((Neighbours * P + 1.0L) * 256.0L);
    const int32_t Side = Mode == 1 ? 0 : K;
    const int32_t Diagonal = Mode == 0 ? 0 : K;
    const int32_t Weights[9] = {Diagonal, Side, Diagonal, Side, Centre, Side, Diagonal, Side, Diagonal};
    NeighbourhoodFilter(Image, PixelWeighted, Weights);
}

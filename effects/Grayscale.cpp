// Grey from the integer luma of the old pixel; a tinted variant keeps one
// channel at 255.
#include "effects/Grayscale.h"

#include "effects/PixelWalk.h"

namespace {

// Channel is the byte (0 = B, 1 = G, 2 = R) set to 255, or -1 for none.
template <int Channel>
void Grayscale(TFvDIB& Image)
{
    ForEachRow24(Image, [](uint8_t* Row, int Width) {
        for (int x = 0; x < Width; ++x) {
            uint8_t* p = Row + 3 * x;
            const uint8_t Y = static_cast<uint8_t>(LumaOfPixel(p));
            p[0] = Channel == 0 ? 255 : Y;
            p[1] = Channel == 1 ? 255 : Y;
            p[2] = Channel == 2 ? 255 : Y;
        }
    });
}

} // namespace

void GrayscaleNormal(TFvDIB& Image)
{
    Grayscale<-1>(Image);
}

void GrayscaleRed(TFvDIB& Image)
{
    Grayscale<2>(Image);
}

void GrayscaleGreen(TFvDIB& Image)
{
    Grayscale<1>(Image);
}

void GrayscaleBlue(TFvDIB& Image)
{
    Grayscale<0>(Image);
}

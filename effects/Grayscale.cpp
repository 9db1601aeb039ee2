// Grey from the integer luma of the old pixel; a tinted variant keeps one
// channel at 255.
#include "effects/Grayscale.h"

#include "effects/PixelWalk.h"
#include "effects/VectorClones.h"

namespace {

// Each channel becomes the luma, or 255 where its mask is 255.
FV_VECTOR_CLONES
void GreyRow(uint8_t* Row, int Width, uint8_t MaskB, uint8_t MaskG, uint8_t MaskR)
{
    for (int x = 0; x < Width; ++x) {
        uint8_t* p = Row + 3 * x;
        const uint8_t Y = static_cast<uint8_t>(LumaOfPixel(p));
        p[0] = Y | MaskB;
        p[1] = Y | MaskG;
        p[2] = Y | MaskR;
    }
}

void Grayscale(TFvDIB& Image, uint8_t MaskB, uint8_t MaskG, uint8_t MaskR)
{
    ForEachRow24(Image, [=](uint8_t* Row, int Width) { GreyRow(Row, Width, MaskB, MaskG, MaskR); });
}

} // namespace

void GrayscaleNormal(TFvDIB& Image)
{
    Grayscale(Image, 0, 0, 0);
}

void GrayscaleRed(TFvDIB& Image)
{
    Grayscale(Image, 0, 0, 255);
}

void GrayscaleGreen(TFvDIB& Image)
{
    Grayscale(Image, 0, 255, 0);
}

void GrayscaleBlue(TFvDIB& Image)
{
    Grayscale(Image, 255, 0, 0);
}

// The class library's GIF graphic over giflib, for reading: the file's first
// image on a canvas of the logical screen's size filled with the background
// colour, as an 8-bit picture with the image's colour table (its local table
// when it has one).
#pragma once

#include "platform/graphics/RasterGraphic.h"

class TGIFImage : public TRasterGraphic {
    FV_GRAPHIC_CLASS
public:
    TGIFImage();

    // Damaged or truncated files raise EInvalidGraphic with giflib's message.
    void LoadFromStream(TStream& Stream) override;
    // Writing GIF files is not supported: raises EInvalidGraphicOperation.
    void SaveToStream(TStream& Stream) override;
};

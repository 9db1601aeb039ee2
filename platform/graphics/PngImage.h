// The class library's PNG graphic over libpng: reading gives an indexed
// picture of 1, 4 or 8 bits with its palette for palette and grey files and a
// 24-bit picture for colour files (alpha dropped); writing gives a palette
// PNG of an indexed picture's depth or an 8-bit RGB PNG, at the compression
// level 0 to 9.
#pragma once

#include "platform/graphics/RasterGraphic.h"

class TPngImage : public TRasterGraphic {
    FV_GRAPHIC_CLASS
public:
    TPngImage();

    // zlib's level for the image data, 0 (stored) to 9 (smallest).
    int CompressionLevel() const { return FCompressionLevel; }
    // Values outside 0..9 raise EInvalidGraphicOperation.
    void SetCompressionLevel(int Value);

    // A TPngImage also gives its compression level.
    void Assign(TPersistent* Source) override;
    // Damaged or truncated files raise EInvalidGraphic with libpng's message;
    // a short stream raises the stream's error.
    void LoadFromStream(TStream& Stream) override;
    void SaveToStream(TStream& Stream) override;

private:
    int FCompressionLevel = 7;
};

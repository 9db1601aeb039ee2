// Feeds arbitrary header and pixel blocks through the plug-in decoding path:
// the echo test plug-in returns as its picture the blocks the input spells
// out (header length, header, pixels), so every header check, the BMP image
// written from the blocks, drawing and the bitmap model's reader all see it.
#include "platform/graphics/Bitmap.h"
#include "susie/SPIFvDIB.h"
#include "susie/SPIs.h"

#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::unique_ptr<TSPIs> plugins = [] {
        auto spis = std::make_unique<TSPIs>();
        spis->Search(FV_ECHO_PLUGIN);
        return spis;
    }();
    if (size > 65536)
        return 0;
    TMemoryStream input;
    input.Write("ECHO", 4);
    input.Write(data, static_cast<int64_t>(size));
    try {
        TSPIGraphic graphic;
        graphic.LoadFromStreamWithName(input, "fuzz.echo");
        TBitmap target;
        target.SetSize(7, 5);
        target.Canvas().StretchDraw(Rect(6, 4, -1, -2), graphic);
        TSPIFvDIB image;
        image.PaletteOption = sdpAllways;
        image.Assign(&graphic);
    } catch (const Exception&) {
    }
    return 0;
}

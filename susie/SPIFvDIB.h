// TSPIFvDIB: the program's bitmap, loading every picture its own BMP reader
// cannot read through the image plug-ins, and giving true-colour pictures a
// palette where the display needs one.
#pragma once

#include "bitmap/FvDIB.h"
#include "susie/SPIBmp.h"

enum TSPIFvDIBPaletteOption { sdpNone, sdpDev8bit, sdpAllways };

// True when the screen shows 8 bits per pixel or fewer; found once, at first use.
bool PaletteDevice();

class TSPIFvDIB : public TFvDIB {
    FV_GRAPHIC_CLASS
public:
    TSPIFvDIB() = default;

    // When a 16, 24 or 32-bit picture without a palette gets one.
    TSPIFvDIBPaletteOption PaletteOption = sdpDev8bit;

    // A TSPIGraphic is read from its BMP image (it stays loaded); a TSPIFvDIB
    // also hands over its PaletteOption.
    void Assign(TPersistent* Source) override;
    void Changed(TPersistent* Sender) override;
    // Raise EInvalidGraphic "Susie Plugins could not decode" when neither the
    // plug-ins nor the bitmap's own reader can read the picture; the bitmap
    // then keeps what it held.
    void LoadFromFile(const std::string& FileName) override;
    void LoadFromStream(TStream& Stream) override { LoadFromStreamWithName(Stream, {}); }
    virtual void AssignLoadedGraphic(std::unique_ptr<TGraphic> Graphic);
    virtual void LoadFromStreamWithName(TStream& Stream, const std::string& FileName);
};

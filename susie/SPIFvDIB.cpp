#include "susie/SPIFvDIB.h"

FV_DEFINE_GRAPHIC_CLASS(TSPIFvDIB, TFvDIB);

bool PaletteDevice()
{
    static const bool paletteDevice = [] {
        HDC dc = GetDC(nullptr);
        if (dc == nullptr)
            return false;
        const bool result = GetDeviceCaps(dc, PLANES) * GetDeviceCaps(dc, BITSPIXEL) < 9;
        ReleaseDC(nullptr, dc);
        return result;
    }();
    return paletteDevice;
}

void TSPIFvDIB::LoadFromFile(const std::string& FileName)
{
    LoadThroughPlugins(*this, FileName, nullptr,
                       [this](std::unique_ptr<TGraphic> graphic) { AssignLoadedGraphic(std::move(graphic)); });
}

void TSPIFvDIB::LoadFromStreamWithName(TStream& Stream, const std::string& FileName)
{
    LoadThroughPlugins(*this, FileName, &Stream,
                       [this](std::unique_ptr<TGraphic> graphic) { AssignLoadedGraphic(std::move(graphic)); });
}

void TSPIFvDIB::AssignLoadedGraphic(std::unique_ptr<TGraphic> Graphic)
{
    if (!Graphic)
        throw EInvalidGraphic("Susie Plugins could not decode");
    if (auto* loaded = dynamic_cast<TSPIGraphic*>(Graphic.get())) {
        const std::unique_ptr<TGraphic> converted = loaded->CreateAndConvertToDIBFileReadableGraphic(ClassType()->Parent);
        TFvDIB::Assign(converted.get());
    } else {
        TFvDIB::Assign(Graphic.get());
    }
}

void TSPIFvDIB::Assign(TPersistent* Source)
{
    if (auto* graphic = dynamic_cast<TSPIGraphic*>(Source)) {
        const std::unique_ptr<TGraphic> converted = graphic->CreateAndAssignToDIBFileReadableGraphic(ClassType()->Parent);
        TFvDIB::Assign(converted.get());
        return;
    }
    if (auto* other = dynamic_cast<TSPIFvDIB*>(Source))
        PaletteOption = other->PaletteOption;
    TFvDIB::Assign(Source);
}

void TSPIFvDIB::Changed(TPersistent* Sender)
{
    const int bits = BitCount();
    if ((bits == 16 || bits == 24 || bits == 32) && GetPalette() == nullptr &&
        (PaletteOption == sdpAllways || (PaletteOption == sdpDev8bit && PaletteDevice())))
        CreateTrueColorPalette();
    TFvDIB::Changed(Sender);
}

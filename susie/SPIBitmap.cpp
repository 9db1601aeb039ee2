#include "susie/SPIBmp.h"

FV_DEFINE_GRAPHIC_CLASS(TSPIBitmap, TBitmap);

namespace {

// A 4-bit picture keeps the colours of its own table as the bitmap's palette.
HPALETTE FourBitPalette(TSPIGraphic& graphic)
{
    return graphic.PixelFormatIs4bit() ? CopyPalette(graphic.GetPalette()) : nullptr;
}

} // namespace

void TSPIBitmap::LoadFromFile(const std::string& FileName)
{
    LoadThroughPlugins(*this, FileName, nullptr,
                       [this](std::unique_ptr<TGraphic> graphic) { AssignLoadedGraphic(std::move(graphic)); });
}

void TSPIBitmap::LoadFromStreamWithName(TStream& Stream, const std::string& FileName)
{
    LoadThroughPlugins(*this, FileName, &Stream,
                       [this](std::unique_ptr<TGraphic> graphic) { AssignLoadedGraphic(std::move(graphic)); });
}

void TSPIBitmap::AssignLoadedGraphic(std::unique_ptr<TGraphic> Graphic)
{
    if (!Graphic)
        throw EInvalidGraphic("Susie Plugins could not decode");
    auto* loaded = dynamic_cast<TSPIGraphic*>(Graphic.get());
    if (loaded == nullptr) {
        TBitmap::Assign(Graphic.get());
        return;
    }
    HPALETTE palette = FourBitPalette(*loaded);
    try {
        const std::unique_ptr<TGraphic> converted = loaded->CreateAndConvertToDIBFileReadableGraphic(ClassType()->Parent);
        TBitmap::Assign(converted.get());
    } catch (...) {
        if (palette != nullptr)
            DeleteObject(palette);
        throw;
    }
    if (palette != nullptr)
        SetPalette(palette);
}

void TSPIBitmap::Assign(TPersistent* Source)
{
    auto* graphic = dynamic_cast<TSPIGraphic*>(Source);
    if (graphic == nullptr) {
        TBitmap::Assign(Source);
        return;
    }
    const std::unique_ptr<TGraphic> converted = graphic->CreateAndAssignToDIBFileReadableGraphic(ClassType()->Parent);
    TBitmap::Assign(converted.get());
    if (graphic->PixelFormatIs4bit())
        SetPalette(CopyPalette(graphic->GetPalette()));
}

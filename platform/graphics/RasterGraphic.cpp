#include "platform/graphics/RasterGraphic.h"

TRasterGraphic::TRasterGraphic() : FBitmap(std::make_unique<TBitmap>()) {}

TRasterGraphic::~TRasterGraphic() = default;

void TRasterGraphic::Assign(TPersistent* Source)
{
    auto* raster = dynamic_cast<TRasterGraphic*>(Source);
    auto* bitmap = dynamic_cast<TBitmap*>(Source);
    if (raster && raster->ClassType() == ClassType())
        bitmap = raster->FBitmap.get();
    if (!bitmap) {
        TGraphic::Assign(Source);
        return;
    }
    if (bitmap != FBitmap.get()) {
        FBitmap->Assign(bitmap);
        Changed(this);
    }
}

void TRasterGraphic::Draw(TCanvas& ACanvas, const TRect& Rect)
{
    FBitmap->Draw(ACanvas, Rect);
}

bool TRasterGraphic::GetEmpty() const
{
    return FBitmap->Empty();
}

int TRasterGraphic::GetHeight() const
{
    return FBitmap->Height();
}

int TRasterGraphic::GetWidth() const
{
    return FBitmap->Width();
}

HPALETTE TRasterGraphic::GetPalette() const
{
    return FBitmap->Palette();
}

void TRasterGraphic::SetHeight(int Value)
{
    FBitmap->SetHeight(Value);
    Changed(this);
}

void TRasterGraphic::SetPalette(HPALETTE Value)
{
    FBitmap->SetPalette(Value);
    Changed(this);
}

void TRasterGraphic::SetWidth(int Value)
{
    FBitmap->SetWidth(Value);
    Changed(this);
}

void TRasterGraphic::LoadFromClipboardFormat(unsigned AFormat, HGLOBAL AData, HPALETTE APalette)
{
    FBitmap->LoadFromClipboardFormat(AFormat, AData, APalette);
    Changed(this);
}

void TRasterGraphic::SaveToClipboardFormat(unsigned& AFormat, HGLOBAL& AData, HPALETTE& APalette)
{
    FBitmap->SaveToClipboardFormat(AFormat, AData, APalette);
}

void TRasterGraphic::AssignTo(TPersistent* Dest)
{
    if (auto* bitmap = dynamic_cast<TBitmap*>(Dest))
        bitmap->Assign(FBitmap.get());
    else
        TGraphic::AssignTo(Dest);
}

void TRasterGraphic::TakeBitmap(std::unique_ptr<TBitmap> bitmap)
{
    FBitmap = std::move(bitmap);
    SetPaletteModified(FBitmap->Palette() != nullptr);
    Changed(this);
}

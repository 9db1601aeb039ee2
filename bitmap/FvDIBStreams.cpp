// The bitmap's BMP streams and CF_DIB blocks. Loading builds a new storage
// and takes it only when reading succeeded.
#include "bitmap/FvDIB.h"

void TFvDIB::LoadFromStream(TStream& Stream)
{
    auto fresh = std::make_unique<TFvInternalDIB>(UseFMO());
    fresh->LoadFromStream(Stream);
    ReplaceInternalDIB(std::move(fresh));
    SyncPaletteModified();
    SetModified(true);
}

void TFvDIB::SaveToStream(TStream& Stream)
{
    FInternalDIB->SaveToStream(Stream);
}

void TFvDIB::LoadFromClipboardFormat(unsigned AFormat, HGLOBAL AData, HPALETTE)
{
    if (AFormat != CF_DIB || !AData)
        throw EInvalidGraphic("TFvDIB.LoadFromClipboardFormat: Invalid Clipboard Format or No Data");
    auto fresh = std::make_unique<TFvInternalDIB>(UseFMO());
    fresh->LoadFromClipboardFormat(AData);
    ReplaceInternalDIB(std::move(fresh));
    SyncPaletteModified();
    SetModified(true);
}

void TFvDIB::SaveToClipboardFormat(unsigned& AFormat, HGLOBAL& AData, HPALETTE& APalette)
{
    AData = FInternalDIB->SaveToClipboardFormat();
    AFormat = CF_DIB;
    APalette = nullptr;
}

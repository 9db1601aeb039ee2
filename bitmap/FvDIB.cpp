// TFvDIB: construction, sharing and copy on write, size and depth, palette
// size, resolution, memory kind, assignment, and the unit's registration with
// the picture registry.
#include "bitmap/FvDIB.h"

#include "bitmap/HalftonePalettes.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Picture.h"


bool DefaultUseFMO = true;

FV_DEFINE_GRAPHIC_CLASS(TFvDIB, TFvGraphic);

namespace {

struct Registration {
    Registration()
    {
        TPicture::RegisterClipboardFormat(CF_DIB, &TFvDIB::ClassInfo);
        TPicture::RegisterFileFormat("dib", "Device Independent Bitmap", &TFvDIB::ClassInfo);
    }
    ~Registration()
    {
        DeleteHalftonePalettes();
        TPicture::UnregisterGraphicClass(&TFvDIB::ClassInfo);
    }
    Registration(const Registration&) = delete;
    Registration& operator=(const Registration&) = delete;
};

const Registration registration;

} // namespace

TFvDIB::TFvDIB() : FInternalDIB(new TFvInternalDIB(DefaultUseFMO))
{
    SyncPaletteModified();
}

TFvDIB::~TFvDIB()
{
    ReleaseInternalDIB();
}

void TFvDIB::ReleaseInternalDIB()
{
    if (FInternalDIB && --FInternalDIB->RefCount == 0)
        delete FInternalDIB;
    FInternalDIB = nullptr;
}

void TFvDIB::ReplaceInternalDIB(std::unique_ptr<TFvInternalDIB> Fresh)
{
    ReleaseInternalDIB();
    FInternalDIB = Fresh.release();
}

std::unique_ptr<TFvInternalDIB> TFvDIB::NewEmptyStorage() const
{
    auto fresh = std::make_unique<TFvInternalDIB>(UseFMO());
    fresh->FreeDIB();
    return fresh;
}

void TFvDIB::Unshare()
{
    if (FInternalDIB->RefCount > 1) {
        ReplaceInternalDIB(FInternalDIB->Clone(FInternalDIB->UseFMO));
        SyncPaletteModified();
    }
}

bool TFvDIB::UnshareBlank(TFvDIB& Previous)
{
    if (FInternalDIB->RefCount <= 1)
        return false;
    auto blank = FInternalDIB->Clone(FInternalDIB->UseFMO, false);
    Previous.Assign(this);
    ReplaceInternalDIB(std::move(blank));
    SyncPaletteModified();
    return true;
}

void TFvDIB::SyncPaletteModified()
{
    if (FInternalDIB->PaletteModified) {
        FInternalDIB->PaletteModified = false;
        SetPaletteModified(true);
    }
}

int TFvDIB::GetWidth() const
{
    return FInternalDIB->Width;
}

int TFvDIB::GetHeight() const
{
    return FInternalDIB->Height;
}

int TFvDIB::BitCount() const
{
    return FInternalDIB->DIBInfos.W3Head().biBitCount;
}

TFvPixelFormat TFvDIB::PixelFormat() const
{
    return FInternalDIB->GetPixelFormat();
}

int TFvDIB::PaletteSize() const
{
    return static_cast<int>(FInternalDIB->DIBInfos.W3Head().biClrUsed);
}

void TFvDIB::SetWidth(int Value)
{
    if (Value <= 0)
        throw EFvDIBInvalidDIBPara("TFvDIB.SetWidth: Invalid Width");
    if (Value == Width())
        return;
    auto fresh = NewEmptyStorage();
    fresh->CreateDIB(Value, Height(), PaletteSize(), BitCount());
    ReplaceInternalDIB(std::move(fresh));
    SyncPaletteModified();
    SetModified(true);
}

void TFvDIB::SetHeight(int Value)
{
    if (Value == 0)
        throw EFvDIBInvalidDIBPara("TFvDIB.SetHeight: Invalid Height");
    if (Value == Height())
        return;
    auto fresh = NewEmptyStorage();
    fresh->CreateDIB(Width(), Value, PaletteSize(), BitCount());
    ReplaceInternalDIB(std::move(fresh));
    SyncPaletteModified();
    SetModified(true);
}

void TFvDIB::SetBitCount(int Value)
{
    if (Value != 1 && Value != 4 && Value != 8 && Value != 24)
        throw EFvDIBInvalidDIBPara("TFvDIB.SetBitCount: Invalid BitCount");
    if (Value == BitCount())
        return;
    auto fresh = NewEmptyStorage();
    fresh->CreateDIB(Width(), Height(), NumColorsOf(Value), Value);
    ReplaceInternalDIB(std::move(fresh));
    SyncPaletteModified();
    SetModified(true);
}

void TFvDIB::SetPaletteSize(int Value)
{
    if (BitCount() == 24) {
        if (Value < 0 || Value > 256)
            throw EFvDIBPaletteIndexRange("TFvDIB.SetPaletteSize: Palette Index is Out of Range 1");
    } else if (Value < 1 || Value > 256) {
        throw EFvDIBPaletteIndexRange("TFvDIB.SetPaletteSize: Palette Index is Out of Range 2");
    }
    if (Value == PaletteSize())
        return;
    Unshare();
    BITMAPINFOHEADER& head = FInternalDIB->DIBInfos.W3Head();
    head.biClrUsed = static_cast<DWORD>(Value);
    head.biClrImportant = 0;
    FInternalDIB->ReleasePalette();
    SyncPaletteModified();
    SetModified(true);
}

void TFvDIB::SetHalftoneMode(TFvHalftoneMode Value)
{
    if (Value == FHalftoneMode)
        return;
    FHalftoneMode = Value;
    SetPaletteModified(true);
    SetModified(true);
}

int TFvDIB::XPelsPerMeter() const
{
    return FInternalDIB->DIBInfos.W3Head().biXPelsPerMeter;
}

void TFvDIB::SetXPelsPerMeter(int Value)
{
    Unshare();
    FInternalDIB->DIBInfos.W3Head().biXPelsPerMeter = Value;
    SetModified(true);
}

int TFvDIB::YPelsPerMeter() const
{
    return FInternalDIB->DIBInfos.W3Head().biYPelsPerMeter;
}

void TFvDIB::SetYPelsPerMeter(int Value)
{
    Unshare();
    FInternalDIB->DIBInfos.W3Head().biYPelsPerMeter = Value;
    SetModified(true);
}

bool TFvDIB::UseFMO() const
{
    return FInternalDIB->UseFMO;
}

void TFvDIB::SetUseFMO(bool Value)
{
    if (Value == UseFMO())
        return;
    ReplaceInternalDIB(FInternalDIB->Clone(Value));
    SyncPaletteModified();
}

void TFvDIB::Assign(TPersistent* Source)
{
    if (!Source) {
        ReplaceInternalDIB(std::make_unique<TFvInternalDIB>(UseFMO()));
        SyncPaletteModified();
        SetModified(true);
        return;
    }
    if (auto* dib = dynamic_cast<TFvDIB*>(Source)) {
        if (dib == this)
            return;
        // Take the new reference first: both may already share one storage.
        ++dib->FInternalDIB->RefCount;
        ReleaseInternalDIB();
        FInternalDIB = dib->FInternalDIB;
        FBGColor = dib->FBGColor;
        FConvertMode = dib->FConvertMode;
        FHalftoneMode = dib->FHalftoneMode;
        SetPaletteModified(true);
        SetModified(true);
        return;
    }
    if (auto* bitmap = dynamic_cast<TBitmap*>(Source)) {
        AssignFromBitmap(*bitmap);
        return;
    }
    TFvGraphic::Assign(Source);
}

void TFvDIB::AssignTo(TPersistent* Dest)
{
    if (auto* dib = dynamic_cast<TFvDIB*>(Dest)) {
        dib->Assign(this);
        return;
    }
    if (auto* bitmap = dynamic_cast<TBitmap*>(Dest)) {
        AssignToBitmap(*bitmap);
        return;
    }
    TFvGraphic::AssignTo(Dest);
}

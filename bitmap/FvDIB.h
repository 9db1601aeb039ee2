// TFvDIB, the device-independent bitmap that every part of the program works
// on: shared storage with copy on write, pixel formats from 1 to 24 bits with
// RLE variants, palettes, scan-line and pixel access, conversions with
// progress, drawing with optional halftoning, BMP streams and CF_DIB blocks.
#pragma once

#include "bitmap/FvGraph.h"
#include "bitmap/InternalDIB.h"
#include "platform/graphics/Color.h"

#include <memory>
#include <string>

class TBitmap;

// Every new bitmap takes its UseFMO from here.
extern bool DefaultUseFMO;

class TFvDIB : public TFvGraphic {
    FV_GRAPHIC_CLASS
public:
    TFvDIB();
    ~TFvDIB() override;
    TFvDIB(const TFvDIB&) = delete;
    TFvDIB& operator=(const TFvDIB&) = delete;

    // Properties.
    int PaletteSize() const;
    void SetPaletteSize(int Value);
    int BitCount() const;
    void SetBitCount(int Value);
    TColor BGColor() const { return FBGColor; }
    void SetBGColor(TColor Value) { FBGColor = Value; }
    TFvConvertMode ConvertMode() const { return FConvertMode; }
    void SetConvertMode(TFvConvertMode Value) { FConvertMode = Value; }
    TFvHalftoneMode HalftoneMode() const { return FHalftoneMode; }
    void SetHalftoneMode(TFvHalftoneMode Value);
    TFvPixelFormat PixelFormat() const;
    void SetPixelFormat(TFvPixelFormat Value);
    int XPelsPerMeter() const;
    void SetXPelsPerMeter(int Value);
    int YPelsPerMeter() const;
    void SetYPelsPerMeter(int Value);
    bool UseFMO() const;
    void SetUseFMO(bool Value);
    TColor GetColors(int Index) const;
    void SetColors(int Index, TColor Value);
    // A palette index, or a TColor for 24 bits.
    uint32_t GetPixels(int X, int Y) const;
    void SetPixels(int X, int Y, uint32_t Value);
    // Row Y from the top; un-shares a shared storage first.
    uint8_t* ScanLine(int Y) { return GetScanLine(Y); }
    uint8_t* GetScanLine(int Y);
    void CreateTrueColorPalette();
    // Assign from a bitmap that is given up: a 24-bit or 8-bit picture
    // becomes this bitmap's storage without its pixels being copied, and
    // Source is left empty; other pictures are assigned.
    void TakeBitmap(TBitmap& Source);

    // TPersistent / TGraphic.
    void Assign(TPersistent* Source) override;
    void Draw(TCanvas& ACanvas, const TRect& Rect) override;
    bool GetEmpty() const override { return false; }
    int GetHeight() const override;
    int GetWidth() const override;
    HPALETTE GetPalette() const override;
    void SetHeight(int Value) override;
    void SetPalette(HPALETTE Value) override;
    void SetWidth(int Value) override;
    void LoadFromStream(TStream& Stream) override;
    void SaveToStream(TStream& Stream) override;
    void LoadFromClipboardFormat(unsigned AFormat, HGLOBAL AData, HPALETTE APalette) override;
    void SaveToClipboardFormat(unsigned& AFormat, HGLOBAL& AData, HPALETTE& APalette) override;
    unsigned GetClipboardFormat() const override { return CF_DIB; }

    // For the bitmap model itself (canvas, conversions, tests).
    TFvInternalDIB& InternalDIB() const { return *FInternalDIB; }
    void Unshare();
    // For an operation that rewrites every pixel from the old ones: a shared
    // storage is un-shared without copying its pixels (the new ones are
    // zero) and Previous is made to share the old storage, to be read from.
    // False, with nothing changed, when the storage is not shared.
    bool UnshareBlank(TFvDIB& Previous);
    void SyncPaletteModified();

protected:
    void AssignTo(TPersistent* Dest) override;

private:
    // Drops this bitmap's reference; the last one destroys the storage.
    void ReleaseInternalDIB();
    // Gives up the old storage for a fully built new one.
    void ReplaceInternalDIB(std::unique_ptr<TFvInternalDIB> Fresh);
    // A new storage of this bitmap's memory kind with its default content freed.
    std::unique_ptr<TFvInternalDIB> NewEmptyStorage() const;
    void AssignFromBitmap(TBitmap& Source);
    void AssignToBitmap(TBitmap& Dest);
    void DrawHalftoned(TCanvas& ACanvas, const TRect& Rect);
    void InitProgress(int Max, const std::string& Text);
    void BeginProgress();
    void StepProgress();
    void EndProgress();

    TFvInternalDIB* FInternalDIB = nullptr;
    TFvConvertMode FConvertMode = fvCmNormal;
    TColor FBGColor = clWhite;
    TFvHalftoneMode FHalftoneMode = fvHtNoHalftone;
    int NumberOfProgresses = 0;
    int MaxNumberOfProgresses = 0;
    std::string ProgressString;
};

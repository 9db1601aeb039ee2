// The pixel storage behind every TFvDIB: a BITMAPINFOHEADER, a colour table
// of 256 entries and the pixel bytes, on the heap or in a page-file-backed
// section, shared between bitmaps by a reference count.
#pragma once

#include "platform/core/FileMapping.h"
#include "platform/core/GlobalMemory.h"
#include "platform/core/Streams.h"
#include "platform/gdi/Gdi.h"

#include <cstdint>
#include <functional>
#include <memory>

enum TFvPixelFormat {
    fvPf1Bit,
    fvPf4Bit,
    fvPf4BitRLE,
    fvPf8Bit,
    fvPf8BitRLE,
    fvPf24Bit,
    fvPfHalftone,
    fvPfHalftoneBW
};
enum TFvConvertMode { fvCmNormal, fvCmFine };
enum TFvHalftoneMode { fvHtNoHalftone, fvHtHalftone, fvHtHalftoneBW };

// One progress step of a running conversion (the bitmap's StepProgress).
using TFvProgressStep = std::function<void()>;

// Header, colour table and pixel memory; copied by value whenever a storage
// is cloned or a reader or converter hands over its result.
struct TFvDIBInfos {
    int32_t BitsSize = 0;
    HFILEMAPPING hFile = nullptr;
    uint8_t* pBits = nullptr;
    // The stored header views; the core views are used only while a 12-byte
    // header is read. Dummy reserves the header, three masks and 256 entries.
    union {
        BITMAPINFO W3HeadInfo;
        BITMAPCOREINFO PMHeadInfo;
        uint8_t Dummy[40 + 12 + 256 * 4] = {};
    };

    BITMAPINFOHEADER& W3Head() { return W3HeadInfo.bmiHeader; }
    const BITMAPINFOHEADER& W3Head() const { return W3HeadInfo.bmiHeader; }
};

// Zeroed pixel memory: a view of a new section with UseFMO, else a heap block.
// Sizes above 2^31 - 1 are refused as the platform refuses them.
void GetMemory(int64_t Size, HFILEMAPPING& hFile, uint8_t*& pBits, bool UseFMO);
void ReleaseMemory(HFILEMAPPING hFile, uint8_t* pBits, bool UseFMO);
// 2, 16 or 256 for 1, 4 or 8 bits; 0 otherwise.
int NumColorsOf(int BitCount);
// The palette of the colour table's biClrUsed entries, or null when there are none.
HPALETTE GetPaletteFromDIBInfos(const TFvDIBInfos& DIBInfos);
// Bytes per uncompressed row, padded to 4 bytes, in 64 bits.
int64_t DIBStride(int64_t Width, int BitCount);

class TFvInternalDIB {
public:
    // A 1 x 1, 8-bit storage with 256 black entries.
    explicit TFvInternalDIB(bool UseFMO);
    ~TFvInternalDIB();
    TFvInternalDIB(const TFvInternalDIB&) = delete;
    TFvInternalDIB& operator=(const TFvInternalDIB&) = delete;

    int RefCount = 1;
    int Width = 0;
    int Height = 0;
    HPALETTE Palette = nullptr;
    TFvDIBInfos DIBInfos;
    bool PaletteModified = false;
    bool UseFMO;

    // Blank content in a storage whose old content was freed.
    void CreateDIB(int Width, int Height, int ColorCount, int BitCount);
    // The same over the bytes of Section, which must hold exactly the pixels
    // (the storage then holds the handle and a view); UseFMO storages only.
    void CreateDIBOver(HFILEMAPPING Section, int Width, int Height, int BitCount);
    void FreeDIB();
    void ReleasePalette();
    // The palette handle, made from the colour table on demand; null without entries.
    HPALETTE GetPalette();
    // A private copy with its own pixel memory of the requested kind; without
    // CopyPixels that memory is left zero for the caller to fill.
    std::unique_ptr<TFvInternalDIB> Clone(bool CloneUseFMO, bool CopyPixels = true) const;

    // BMP files and CF_DIB blocks.
    void LoadFromStream(TStream& Stream);
    void SaveToStream(TStream& Stream) const;
    void LoadFromClipboardFormat(HGLOBAL Block);
    HGLOBAL SaveToClipboardFormat() const;

    // Pixel formats, conversions and the true-colour palette.
    TFvPixelFormat GetPixelFormat() const;
    // Only once every step is done does the storage change.
    void SetPixelFormat(TFvPixelFormat Target, TFvConvertMode Mode, const TFvProgressStep& Progress,
                        uint32_t BGColor);
    // The content in another format, in new memory of this storage's kind
    // that the caller owns; the storage is left as it is. Target must differ
    // from the current format.
    TFvDIBInfos ConvertedDIBInfos(TFvPixelFormat Target, TFvConvertMode Mode, const TFvProgressStep& Progress,
                                  uint32_t BGColor) const;
    void CreateTrueColorPalette(TFvConvertMode Mode, const TFvProgressStep& Progress);
    // This record with the palette CreateTrueColorPalette would store; the
    // storage is left as it is.
    TFvDIBInfos WithTrueColorPalette(TFvConvertMode Mode, const TFvProgressStep& Progress) const;

    // Takes over a fully built record (after FreeDIB of the old one).
    void TakeDIBInfos(const TFvDIBInfos& Infos);

    // The pixels of an RLE picture as drawing expands them (uncompressed rows
    // of the same depth, bottom-up), made by the first call, so that a paint
    // in strips does not expand the whole picture for every strip. Only
    // indices are kept: the colour table is read when drawing. Null for an
    // uncompressed picture and one that cannot be drawn. Every change of the
    // pixels or the palette drops it.
    const uint8_t* RleExpansion();
    bool HoldsRleExpansion() const { return FExpansion != nullptr; }
    void DropRleExpansion();

private:
    uint8_t* FExpansion = nullptr;
    size_t FExpansionSize = 0;
    // The picture could not be expanded; not tried again until it changes.
    bool FExpansionRefused = false;

    // The header of a blank storage over memory already got.
    void UseDIBMemory(int Width, int Height, int ColorCount, int BitCount, HFILEMAPPING hFile, uint8_t* pBits,
                      int64_t Size);
};

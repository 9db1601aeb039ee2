// The storage's pixel format, the conversion worker that changes it through
// a chain of converters, and the palette computed for true-colour pictures.
#include "bitmap/ColorReduction.h"
#include "bitmap/Converters.h"
#include "bitmap/FvGraph.h"
#include "bitmap/InternalDIB.h"

TFvPixelFormat TFvInternalDIB::GetPixelFormat() const
{
    const BITMAPINFOHEADER& head = DIBInfos.W3Head();
    switch (head.biBitCount) {
    case 1:
        if (head.biCompression == BI_RGB)
            return fvPf1Bit;
        throw EFvDIBInvalidDIB("TFvInternalDIB.GetPixelFormat: Invalid DIB(1Bit)");
    case 4:
        if (head.biCompression == BI_RGB)
            return fvPf4Bit;
        if (head.biCompression == BI_RLE4)
            return fvPf4BitRLE;
        throw EFvDIBInvalidDIB("TFvInternalDIB.GetPixelFormat: Invalid DIB(4Bit)");
    case 8:
        if (head.biCompression == BI_RGB)
            return fvPf8Bit;
        if (head.biCompression == BI_RLE8)
            return fvPf8BitRLE;
        throw EFvDIBInvalidDIB("TFvInternalDIB.GetPixelFormat: Invalid DIB(8Bit)");
    case 24:
        if (head.biCompression == BI_RGB)
            return fvPf24Bit;
        throw EFvDIBInvalidDIB("TFvInternalDIB.GetPixelFormat: Invalid DIB(24Bit)");
    default:
        throw EFvDIBInvalidDIB("TFvInternalDIB.GetPixelFormat: Invalid DIB(Illegal BitCount)");
    }
}

int BitsOfFormat(TFvPixelFormat Format)
{
    switch (Format) {
    case fvPf1Bit:
        return 1;
    case fvPf4Bit:
    case fvPf4BitRLE:
        return 4;
    case fvPf8Bit:
    case fvPf8BitRLE:
        return 8;
    default:
        return 24;
    }
}

namespace {

// The results of a chain of at most three steps; each step reads the one
// before it. Results that were not installed are released when it goes.
class TConversionChain {
public:
    TConversionChain(const TFvDIBInfos& Source, bool UseFMO) : FSource(Source), FUseFMO(UseFMO) {}
    ~TConversionChain()
    {
        for (int i = 0; i < FCount; ++i)
            if (i != FInstalled)
                ReleaseMemory(FResults[i].hFile, FResults[i].pBits, FUseFMO);
    }
    TConversionChain(const TConversionChain&) = delete;
    TConversionChain& operator=(const TConversionChain&) = delete;

    template <typename Converter, typename... Extra>
    void Run(Converter Convert, const Extra&... Args)
    {
        const TFvDIBInfos& input = FCount == 0 ? FSource : FResults[FCount - 1];
        Convert(input, FResults[FCount], FUseFMO, Args...);
        ++FCount;
    }

    // The last result; the chain no longer releases it.
    const TFvDIBInfos& TakeLast()
    {
        FInstalled = FCount - 1;
        return FResults[FInstalled];
    }

private:
    const TFvDIBInfos& FSource;
    bool FUseFMO;
    TFvDIBInfos FResults[3];
    int FCount = 0;
    int FInstalled = -1;
};

} // namespace

void TFvInternalDIB::SetPixelFormat(TFvPixelFormat Target, TFvConvertMode Mode, const TFvProgressStep& Progress,
                                    uint32_t BGColor)
{
    if (Target == GetPixelFormat())
        return;
    const TFvDIBInfos result = ConvertedDIBInfos(Target, Mode, Progress, BGColor);
    if (DIBInfos.pBits != nullptr)
        ReleaseMemory(DIBInfos.hFile, DIBInfos.pBits, UseFMO);
    DIBInfos = result;
    ReleasePalette();
}

TFvDIBInfos TFvInternalDIB::ConvertedDIBInfos(TFvPixelFormat Target, TFvConvertMode Mode,
                                              const TFvProgressStep& Progress, uint32_t BGColor) const
{
    const TFvPixelFormat current = GetPixelFormat();
    TConversionChain chain(DIBInfos, UseFMO);
    if (current == fvPf8BitRLE)
        chain.Run(Convert8BitRLETo8BitRGB);
    else if (current == fvPf4BitRLE)
        chain.Run(Convert4BitRLETo4BitRGB);

    if (Target == fvPfHalftone) {
        chain.Run(ConvertToHalftone);
    } else if (Target == fvPfHalftoneBW) {
        chain.Run(ConvertToHalftoneBW);
    } else {
        const int from = BitsOfFormat(current), to = BitsOfFormat(Target);
        const bool fine = Mode == fvCmFine;
        if (from == 1 && to == 4)
            chain.Run(Convert1BitRGBTo4BitRGB);
        else if (from == 1 && to == 8)
            chain.Run(Convert1BitRGBTo8BitRGB);
        else if (from == 1 && to == 24)
            chain.Run(Convert1BitRGBToTrueColor);
        else if (from == 4 && to == 1)
            chain.Run(Convert4BitRGBTo1BitRGB, BGColor);
        else if (from == 4 && to == 8)
            chain.Run(Convert4BitRGBTo8BitRGB);
        else if (from == 4 && to == 24)
            chain.Run(Convert4BitRGBToTrueColor);
        else if (from == 8 && to == 1)
            chain.Run(Convert8BitTo1BitRGB, BGColor);
        else if (from == 8 && to == 4)
            chain.Run(Convert8BitRGBTo4BitRGB, Progress);
        else if (from == 8 && to == 24)
            chain.Run(Convert8BitRGBToTrueColor);
        else if (from == 24 && to == 1)
            chain.Run(ConvertTrueColorTo1BitRGB, BGColor);
        else if (from == 24 && to == 4)
            chain.Run(fine ? ConvertTrueColorTo4BitRGBHigh : ConvertTrueColorTo4BitRGBLow, Progress);
        else if (from == 24 && to == 8)
            chain.Run(fine ? ConvertTrueColorTo8BitRGBHigh : ConvertTrueColorTo8BitRGBLow, Progress);

        if (Target == fvPf8BitRLE)
            chain.Run(Convert8BitRGBTo8BitRLE);
        else if (Target == fvPf4BitRLE)
            chain.Run(Convert4BitRGBTo4BitRLE);
    }

    return chain.TakeLast();
}

void TFvInternalDIB::CreateTrueColorPalette(TFvConvertMode Mode, const TFvProgressStep& Progress)
{
    DIBInfos = WithTrueColorPalette(Mode, Progress);
    ReleasePalette();
}

TFvDIBInfos TFvInternalDIB::WithTrueColorPalette(TFvConvertMode Mode, const TFvProgressStep& Progress) const
{
    if (DIBInfos.W3Head().biBitCount != 24 || DIBInfos.W3Head().biCompression != BI_RGB)
        throw EFvDIBBadDIBType("TFvInternalDIB.CreateTrueColorPalette: Bad DIB Type");
    const TFvSourceRows rows = UncompressedRows(DIBInfos, "TFvInternalDIB.CreateTrueColorPalette");
    TFvPaletteBuffer palette;
    if (Mode == fvCmNormal) {
        std::vector<uint8_t> keys;
        CreateHistogramPalette(rows, 8, Progress, palette, keys);
    } else {
        const auto tree = std::make_unique<TFvSplitTree>();
        CreateSamplePalette(rows, 8, Progress, palette, *tree);
    }
    TFvDIBInfos result = DIBInfos;
    StorePalette(palette, result);
    return result;
}

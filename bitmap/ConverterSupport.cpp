#include "bitmap/ConverterSupport.h"

#include "bitmap/FvGraph.h"

void RequireFormat(const TFvDIBInfos& Source, int BitCount, uint32_t Compression, const char* Message)
{
    const BITMAPINFOHEADER& head = Source.W3Head();
    if (head.biBitCount != BitCount || head.biCompression != Compression)
        throw EFvDIBBadDIBType(Message);
}

int64_t AbsHeight(const TFvDIBInfos& Infos)
{
    const int64_t height = Infos.W3Head().biHeight;
    return height < 0 ? -height : height;
}

void RequirePictureSize(const TFvDIBInfos& Source, const std::string& Operation)
{
    if (Source.W3Head().biWidth <= 0 || Source.W3Head().biHeight == 0)
        throw EFvDIBInvalidDIB(Operation + ": Invalid DIB Size");
}

TFvSourceRows UncompressedRows(const TFvDIBInfos& Source, const std::string& Operation)
{
    RequirePictureSize(Source, Operation);
    const TFvSourceRows rows{Source.pBits, Source.W3Head().biWidth, AbsHeight(Source),
                             DIBStride(Source.W3Head().biWidth, Source.W3Head().biBitCount)};
    // Both factors are below 2^32, so the product cannot overflow.
    if (rows.Bits == nullptr || rows.Stride * rows.Height > Source.BitsSize)
        throw EFvDIBInvalidDIB(Operation + ": Invalid DIB Size");
    return rows;
}

TFvOwnedBits::TFvOwnedBits(int64_t Size, bool UseFMO) : FSize(Size), FUseFMO(UseFMO)
{
    GetMemory(Size, FFile, FBits, UseFMO);
}

TFvOwnedBits::~TFvOwnedBits()
{
    if (FBits != nullptr)
        ReleaseMemory(FFile, FBits, FUseFMO);
}

void TFvOwnedBits::HandOver(TFvDIBInfos& Record)
{
    // GetMemory refuses sizes beyond the 32-bit range, so the size fits.
    Record.BitsSize = static_cast<int32_t>(FSize);
    Record.hFile = FFile;
    Record.pBits = FBits;
    FFile = nullptr;
    FBits = nullptr;
}

TFvResultRows::TFvResultRows(const TFvDIBInfos& Source, int BitCount, bool UseFMO)
    : TFvOwnedBits(DIBStride(Source.W3Head().biWidth, BitCount) * AbsHeight(Source), UseFMO),
      Stride(DIBStride(Source.W3Head().biWidth, BitCount)), BitCount(BitCount)
{
}

TFvDIBInfos TFvResultRows::HandOverAsResult(const TFvDIBInfos& Source)
{
    TFvDIBInfos result = Source;
    result.W3Head().biBitCount = static_cast<WORD>(BitCount);
    result.W3Head().biCompression = BI_RGB;
    result.W3Head().biSizeImage = 0;
    HandOver(result);
    return result;
}

void SetBlackAndWhiteTable(TFvDIBInfos& Infos)
{
    Infos.W3HeadInfo.bmiColors[0] = RGBQUAD{0, 0, 0, 0};
    Infos.W3HeadInfo.bmiColors[1] = RGBQUAD{255, 255, 255, 0};
    Infos.W3Head().biClrUsed = 2;
}

#include "effects/ResizeFrame.h"

#include "effects/ScanLineTable.h"
#include "platform/core/Exceptions.h"

void MakeTrueColorTarget(TFvDIB& Target, int Width, int Height)
{
    Target.SetPixelFormat(fvPf24Bit);
    Target.SetWidth(Width);
    Target.SetHeight(Height > 0 ? Height : 0);
}

void MakeTrueColorSource(TFvDIB& Source, TFvDIB& Image)
{
    Source.Assign(&Image);
    Source.SetPixelFormat(fvPf24Bit);
}

std::vector<const uint8_t*> ReadOnlyRows(const TFvDIB& Bitmap)
{
    const TFvDIBInfos& Infos = Bitmap.InternalDIB().DIBInfos;
    const BITMAPINFOHEADER& Header = Infos.W3Head();
    if (Header.biBitCount != 24 || Header.biCompression != BI_RGB || Infos.pBits == nullptr)
        throw EInvalidGraphicOperation("ビットマップが不正です。");
    const int Width = Bitmap.Width();
    const int Height = Bitmap.Height();
    const int64_t Stride = DIBStride(Width, 24);
    const bool BottomUp = Header.biHeight > 0;
    std::vector<const uint8_t*> Rows(static_cast<size_t>(Height));
    for (int y = 0; y < Height; ++y)
        Rows[y] = Infos.pBits + Stride * (BottomUp ? Height - 1 - y : y);
    return Rows;
}

TResizeFrame::TResizeFrame(TFvDIB& Image, int Width, int Height)
{
    MakeTrueColorTarget(Target, Width, Height);
    MakeTrueColorSource(Source, Image);
    OldWidth = Source.Width();
    OldHeight = Source.Height();
    RatioX = static_cast<double>(static_cast<long double>(OldWidth) / Width);
    RatioY = static_cast<double>(static_cast<long double>(OldHeight) / Height);
    SourceRows = ReadOnlyRows(Source);
    TargetRows = GetScanLineTable(&Target);
}

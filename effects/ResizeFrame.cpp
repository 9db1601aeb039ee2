#include "effects/ResizeFrame.h"

#include "effects/ScanLineTable.h"

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

TResizeFrame::TResizeFrame(TFvDIB& Image, int Width, int Height)
{
    MakeTrueColorTarget(Target, Width, Height);
    MakeTrueColorSource(Source, Image);
    OldWidth = Source.Width();
    OldHeight = Source.Height();
    RatioX = static_cast<double>(static_cast<long double>(OldWidth) / Width);
    RatioY = static_cast<double>(static_cast<long double>(OldHeight) / Height);
    SourceRows = Get24BitRowsToRead(Source);
    TargetRows = GetScanLineTable(&Target);
}

#include "app/PreviewImages.h"

#include "app/main.h"
#include "effects/Thumbnail.h"
#include "platform/ui/Image.h"

#include <algorithm>

int ThumbnailFactor(int W, int H)
{
    int c = 0;
    if (W >= 256)
        c = W / 256;
    if (H > 128)
        c = H / 128;
    return c;
}

void MakePreviewImages(TPreviewImages& Images, TFvDIB& Source)
{
    auto Temp = std::make_unique<TFvDIB>();
    Temp->SetPixelFormat(fvPf24Bit);
    Temp->Assign(&Source);
    auto Dest = std::make_unique<TFvDIB>();
    Dest->SetPixelFormat(fvPf24Bit);
    const int W = Source.Width();
    const int H = Source.Height();
    if (const int c = ThumbnailFactor(W, H); c > 0) {
        Temp->SetWidth(std::max(1, W / c));
        Temp->SetHeight(std::max(1, H / c));
        MakeThumbnail(Source, *Temp);
    }
    Images.Temp = std::move(Temp);
    Images.Dest = std::move(Dest);
}

void FreePreviewImages(TPreviewImages& Images)
{
    Images.Dest.reset();
    Images.Temp.reset();
}

void ShowThumbnail(TPreviewImages& Images, TImage& View)
{
    MakePreviewImages(Images, *CurrentImage);
    View.SetGraphic(*Images.Temp);
}

TFvDIB& FreshDest(TPreviewImages& Images)
{
    if (!Images.Temp || !Images.Dest)
        MakePreviewImages(Images, *CurrentImage);
    Images.Dest->Assign(Images.Temp.get());
    return *Images.Dest;
}

void ShowDest(TPreviewImages& Images, TImage& View)
{
    View.SetGraphic(*Images.Dest);
}

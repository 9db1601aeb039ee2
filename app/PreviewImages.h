// The two images a correction dialog previews with: the thumbnail, a reduced
// copy of the document made when the dialog becomes active and never changed
// after, and the display copy, a fresh copy of the thumbnail with the
// correction applied on every scroll change. Starting each preview from the
// thumbnail keeps corrections from accumulating and the work per step small.
#pragma once

#include "bitmap/FvDIB.h"

#include <memory>

class TImage;

// The reduction factor of a W x H image: W div 256 when W >= 256, replaced
// by H div 128 whenever H > 128 (also when smaller); 0 keeps the full size.
int ThumbnailFactor(int W, int H);

struct TPreviewImages {
    std::unique_ptr<TFvDIB> Temp;
    std::unique_ptr<TFvDIB> Dest;
};

// Makes Temp from Source reduced by its factor, and an empty 24-bit Dest.
// A side that the factor would make 0 becomes 1, so a very long, thin
// document still has a thumbnail.
void MakePreviewImages(TPreviewImages& Images, TFvDIB& Source);
// Frees Dest, then Temp.
void FreePreviewImages(TPreviewImages& Images);
// Activation: new images from the document, the uncorrected thumbnail on show.
void ShowThumbnail(TPreviewImages& Images, TImage& View);
// Dest := a copy of Temp, ready to be corrected. Change handlers can run
// before the dialog was ever activated, so the images are made when missing.
TFvDIB& FreshDest(TPreviewImages& Images);
// View's picture := Dest.
void ShowDest(TPreviewImages& Images, TImage& View);

#include "platform/graphics/PngImage.h"

#include "platform/core/Exceptions.h"
#include "platform/graphics/PngCodec.h"
#include "platform/graphics/Picture.h"

FV_DEFINE_GRAPHIC_CLASS(TPngImage, TGraphic);

TPngImage::TPngImage() = default;

void TPngImage::SetCompressionLevel(int Value)
{
    if (Value < 0 || Value > 9)
        throw EInvalidGraphicOperation("Invalid PNG compression level");
    FCompressionLevel = Value;
}

void TPngImage::Assign(TPersistent* Source)
{
    TRasterGraphic::Assign(Source);
    if (auto* png = dynamic_cast<TPngImage*>(Source))
        FCompressionLevel = png->FCompressionLevel;
}

void TPngImage::LoadFromStream(TStream& Stream)
{
    TakeBitmap(ReadPng(Stream));
}

void TPngImage::SaveToStream(TStream& Stream)
{
    if (!Empty())
        WritePng(Bitmap(), Stream, FCompressionLevel);
}

namespace {

const TFileFormatRegistration Registration("png", "Portable Network Graphics", &TPngImage::ClassInfo);

} // namespace

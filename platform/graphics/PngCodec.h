// PNG decoding and encoding through libpng, between a stream and a TBitmap.
// Private to the platform layer's graphic classes.
#pragma once

#include "platform/core/Streams.h"
#include "platform/graphics/Bitmap.h"

#include <memory>

// Reads one PNG file from the stream's position.
std::unique_ptr<TBitmap> ReadPng(TStream& stream);
// Writes the picture with the chunks IHDR, PLTE (indexed pictures), IDAT and IEND.
void WritePng(TBitmap& picture, TStream& stream, int compressionLevel);

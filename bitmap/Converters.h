// The pixel-format converters of the storage. Each reads a source record,
// which it never changes, and fills Result with a copy of the source in which
// only the pixel memory, the size and format fields and, for a new palette,
// biClrUsed and the first colour-table entries differ. Result is written only
// when the conversion succeeded; on failure its memory is released and the
// exception passes on. Pixel memory comes from GetMemory with UseFMO.
#pragma once

#include "bitmap/InternalDIB.h"

#include <cstdint>

// Bits per pixel of a format (24 for the conversion-only targets).
int BitsOfFormat(TFvPixelFormat Format);

// Widening: every pixel keeps its index; the colour table goes along.
void Convert1BitRGBTo4BitRGB(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO);
void Convert1BitRGBTo8BitRGB(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO);
void Convert4BitRGBTo8BitRGB(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO);
void Convert1BitRGBToTrueColor(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO);
void Convert4BitRGBToTrueColor(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO);
void Convert8BitRGBToTrueColor(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO);

// To black and white: pixels of the background colour (0x00BBGGRR) become
// white (index 1), all others black (index 0).
void ConvertTrueColorTo1BitRGB(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO,
                               uint32_t BGColor);
void Convert8BitTo1BitRGB(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO, uint32_t BGColor);
void Convert4BitRGBTo1BitRGB(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO,
                             uint32_t BGColor);

// Median-cut colour reduction; Progress is called 16 or 256 times.
void Convert8BitRGBTo4BitRGB(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO,
                             const TFvProgressStep& Progress);
void ConvertTrueColorTo8BitRGBLow(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO,
                                  const TFvProgressStep& Progress);
void ConvertTrueColorTo4BitRGBLow(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO,
                                  const TFvProgressStep& Progress);
void ConvertTrueColorTo8BitRGBHigh(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO,
                                   const TFvProgressStep& Progress);
void ConvertTrueColorTo4BitRGBHigh(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO,
                                   const TFvProgressStep& Progress);

// Serpentine error diffusion onto the fixed 215-colour cube, or onto black
// and white, from any uncompressed 1, 4, 8 or 24-bit source.
void ConvertToHalftone(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO);
void ConvertToHalftoneBW(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO);

// Run-length coding. Decoders read no byte past BitsSize; encoders fail with
// EFvDIBCompressionFailed when the stream would not be smaller than the
// uncompressed rows, and always write a bottom-up stream.
void Convert8BitRLETo8BitRGB(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO);
void Convert4BitRLETo4BitRGB(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO);
void Convert8BitRGBTo8BitRLE(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO);
void Convert4BitRGBTo4BitRLE(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO);

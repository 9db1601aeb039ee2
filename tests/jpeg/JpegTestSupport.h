// Fixtures and small helpers shared by the JPEG tests.
#pragma once

#include "jpeg/jpegSIMD.h"
#include "platform/core/Streams.h"
#include "platform/graphics/Bitmap.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

inline std::string JpegFixture(const std::string& name)
{
    return std::string(FV_TEST_DATA) + "/jpeg/" + name;
}

inline std::vector<uint8_t> ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A binary PPM (P6, 3 bytes per pixel R, G, B) or PGM (P5, grey) as written by djpeg.
struct Pnm {
    int width = 0;
    int height = 0;
    int channels = 0;
    std::vector<uint8_t> pixels;
    const uint8_t* Row(int y) const { return pixels.data() + static_cast<size_t>(y) * width * channels; }
};

inline Pnm ReadPnm(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    Pnm pnm;
    in >> magic >> pnm.width >> pnm.height >> maxValue;
    in.get();
    pnm.channels = magic == "P6" ? 3 : 1;
    pnm.pixels.resize(static_cast<size_t>(pnm.width) * pnm.height * pnm.channels);
    in.read(reinterpret_cast<char*>(pnm.pixels.data()), static_cast<std::streamsize>(pnm.pixels.size()));
    return pnm;
}

inline void LoadJpeg(TJPEGImage& jpeg, const std::vector<uint8_t>& bytes)
{
    TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.SetPosition(0);
    jpeg.LoadFromStream(stream);
}

inline void LoadJpegFixture(TJPEGImage& jpeg, const std::string& name)
{
    LoadJpeg(jpeg, ReadFileBytes(JpegFixture(name)));
}

inline std::vector<uint8_t> SavedBytes(TJPEGImage& jpeg)
{
    TMemoryStream stream;
    jpeg.SaveToStream(stream);
    return std::vector<uint8_t>(stream.Memory(), stream.Memory() + stream.Size());
}

// The colour of pixel (x, y) of a 24-bit or 8-bit bitmap as R, G, B.
struct Rgb {
    int r, g, b;
};

inline Rgb PixelOf(TBitmap& bitmap, int x, int y)
{
    const uint8_t* row = bitmap.ScanLine(y);
    if (bitmap.PixelFormat() == pf24bit)
        return Rgb{row[3 * x + 2], row[3 * x + 1], row[3 * x]};
    PALETTEENTRY entry{};
    GetPaletteEntries(bitmap.Palette(), row[x], 1, &entry);
    return Rgb{entry.peRed, entry.peGreen, entry.peBlue};
}

// A deterministic 24-bit test picture: smooth gradients with a few edges.
inline void PaintTestPicture(TBitmap& bitmap, int width, int height)
{
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(width, height);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = static_cast<uint8_t>(x * 255 / (width > 1 ? width - 1 : 1));
            row[3 * x + 1] = static_cast<uint8_t>(y * 255 / (height > 1 ? height - 1 : 1));
            row[3 * x + 2] = static_cast<uint8_t>((x / 8 + y / 8) % 2 ? 200 : 40);
        }
    }
}

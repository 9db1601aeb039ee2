#include "platform/core/Exceptions.h"
#include "platform/gdi/DibLayout.h"
#include "platform/gdi/RleDecode.h"
#include "platform/graphics/BitmapPicture.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

[[noreturn]] void Invalid()
{
    throw EInvalidGraphic("Bitmap image is not valid");
}

// Header sizes of the versions of the BMP header, beginning with the 12-byte core header.
bool KnownHeaderSize(DWORD size)
{
    return size == 12 || size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

struct Source {
    BITMAPINFOHEADER header{};
    DWORD masks[3]{};
    RGBQUAD table[256]{};
    unsigned tableCount = 0; // entries kept
};

Source ReadHeaders(TStream& stream)
{
    Source s;
    DWORD size = 0;
    stream.ReadBuffer(&size, 4);
    if (!KnownHeaderSize(size))
        Invalid();
    BITMAPINFOHEADER& h = s.header;
    unsigned stored = 0; // colour-table entries in the stream
    int entryBytes = 4;
    if (size == 12) {
        BITMAPCOREHEADER core{};
        core.bcSize = size;
        stream.ReadBuffer(reinterpret_cast<uint8_t*>(&core) + 4, 8);
        h = BITMAPINFOHEADER{40, core.bcWidth, core.bcHeight, core.bcPlanes, core.bcBitCount, BI_RGB, 0, 0, 0, 0, 0};
        stored = core.bcBitCount <= 8 ? 1u << core.bcBitCount : 0;
        entryBytes = 3;
    } else {
        h.biSize = size;
        stream.ReadBuffer(reinterpret_cast<uint8_t*>(&h) + 4, 36);
        uint8_t extra[124 - 40];
        stream.ReadBuffer(extra, size - 40);
        if (h.biCompression == BI_BITFIELDS) {
            if (size >= 52)
                std::memcpy(s.masks, extra, sizeof s.masks);
            else
                stream.ReadBuffer(s.masks, sizeof s.masks);
        }
        if (h.biBitCount <= 8)
            stored = h.biClrUsed ? h.biClrUsed : 1u << h.biBitCount;
        else
            stored = h.biClrUsed;
        h.biSize = 40;
    }
    if (h.biBitCount != 1 && h.biBitCount != 4 && h.biBitCount != 8 && h.biBitCount != 16 && h.biBitCount != 24
        && h.biBitCount != 32)
        Invalid();
    const unsigned keep = h.biBitCount <= 8 ? std::min(stored, 1u << h.biBitCount) : 0;
    for (unsigned i = 0; i < keep; ++i) {
        uint8_t entry[4]{};
        stream.ReadBuffer(entry, entryBytes);
        s.table[i] = RGBQUAD{entry[0], entry[1], entry[2], 0};
    }
    // Entries past what the depth can use, and the optional table of deeper pictures, are skipped.
    const int64_t skip = static_cast<int64_t>(stored - keep) * entryBytes;
    if (skip > stream.Size() - stream.Position())
        throw EReadError("Stream read error");
    stream.Seek(skip, TSeekOrigin::soCurrent);
    s.tableCount = keep;
    return s;
}

// The header of the top-down DIB section the picture is kept in.
BITMAPINFO TargetHeader(const Source& s)
{
    const BITMAPINFOHEADER& h = s.header;
    BITMAPINFO info{};
    info.bmiHeader = h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biHeight = h.biHeight < 0 ? h.biHeight : -h.biHeight;
    info.bmiHeader.biClrImportant = 0;
    switch (h.biCompression) {
    case BI_RGB:
        break;
    case BI_RLE8:
    case BI_RLE4:
        if (h.biHeight < 0 || h.biBitCount != (h.biCompression == BI_RLE8 ? 8 : 4))
            Invalid();
        info.bmiHeader.biCompression = BI_RGB;
        break;
    case BI_BITFIELDS:
        if (h.biBitCount != 16 && h.biBitCount != 32)
            Invalid();
        std::memcpy(info.bmiColors, s.masks, sizeof s.masks);
        break;
    default:
        Invalid();
    }
    if (h.biBitCount <= 8) {
        std::copy_n(s.table, s.tableCount, info.bmiColors);
        info.bmiHeader.biClrUsed = s.tableCount;
    } else {
        info.bmiHeader.biClrUsed = 0;
    }
    DibLayout layout;
    if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN || !ReadDibLayout(info, layout, false))
        Invalid();
    return info;
}

void ReadRle(TStream& stream, int64_t dataEnd, const BITMAPINFOHEADER& h, BitmapPicture& picture)
{
    const int width = picture.width;
    const int height = picture.height;
    int64_t available = std::max<int64_t>(0, dataEnd - stream.Position());
    if (h.biSizeImage != 0)
        available = std::min<int64_t>(available, h.biSizeImage);
    std::vector<uint8_t> data(static_cast<size_t>(available));
    stream.ReadBuffer(data.data(), available);
    if (h.biCompression == BI_RLE8) {
        DecodeRle(data.data(), data.size(), false, width, height, picture.bits, picture.Stride());
        return;
    }
    const uint64_t indexStride = DibStride(width, 8);
    if (indexStride * static_cast<uint64_t>(height) > MaxImageBytes)
        Invalid();
    std::vector<uint8_t> indices(static_cast<size_t>(indexStride * static_cast<uint64_t>(height)));
    DecodeRle(data.data(), data.size(), true, width, height, indices.data(), indexStride);
    for (int y = 0; y < height; ++y) {
        const uint8_t* from = indices.data() + indexStride * static_cast<uint64_t>(y);
        uint8_t* to = picture.Row(y);
        for (int x = 0; x < width; x += 2)
            to[x / 2] = static_cast<uint8_t>(from[x] << 4 | (x + 1 < width ? from[x + 1] & 0x0F : 0));
    }
}

} // namespace

BitmapPicture ReadBmp(TStream& stream, bool fileHeader)
{
    const int64_t start = stream.Position();
    const int64_t end = stream.Size();
    BITMAPFILEHEADER file{};
    if (fileHeader) {
        stream.ReadBuffer(&file, sizeof file);
        if (file.bfType != BFT_BITMAP)
            Invalid();
    }
    const Source source = ReadHeaders(stream);
    const BITMAPINFO info = TargetHeader(source);
    const BITMAPINFOHEADER& h = source.header;
    const int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;

    // The pixels start where the file header says, when that lies past the headers read.
    if (fileHeader && file.bfOffBits != 0) {
        const int64_t offset = start + file.bfOffBits;
        if (offset < stream.Position() || offset > end)
            Invalid();
        stream.SetPosition(offset);
    }
    const bool rle = h.biCompression == BI_RLE4 || h.biCompression == BI_RLE8;
    const uint64_t fileStride = DibStride(h.biWidth, h.biBitCount);
    // Uncompressed data must all be there before anything is allocated for it.
    if (!rle && static_cast<uint64_t>(end - stream.Position()) < fileStride * static_cast<uint64_t>(height))
        throw EReadError("Stream read error");

    BitmapPicture picture;
    MakeHandle(picture, info);
    if (rle) {
        ReadRle(stream, end, h, picture);
    } else {
        for (int row = 0; row < height; ++row) {
            const int y = h.biHeight < 0 ? row : height - 1 - row;
            stream.ReadBuffer(picture.Row(y), static_cast<int64_t>(fileStride));
        }
    }
    if (h.biBitCount <= 8)
        picture.palette = PaletteOfTable(picture.info);
    return picture;
}

std::vector<uint8_t> DibHeader(const BitmapPicture& picture)
{
    BITMAPINFOHEADER h = picture.info.bmiHeader;
    h.biHeight = picture.height;
    h.biSizeImage = picture.ImageSize();
    const unsigned colours = h.biBitCount <= 8 ? (h.biClrUsed ? h.biClrUsed : 1u << h.biBitCount) : 0;
    h.biClrUsed = colours;
    const size_t masks = h.biCompression == BI_BITFIELDS ? 12 : 0;
    std::vector<uint8_t> out(sizeof h + masks + 4 * size_t{colours});
    std::memcpy(out.data(), &h, sizeof h);
    std::memcpy(out.data() + sizeof h, picture.info.bmiColors, masks + 4 * size_t{colours});
    return out;
}

std::vector<uint8_t> DibBytes(const BitmapPicture& picture)
{
    std::vector<uint8_t> out = DibHeader(picture);
    const size_t headerBytes = out.size();
    const uint32_t stride = picture.Stride();
    out.resize(headerBytes + picture.ImageSize());
    for (int y = 0; y < picture.height; ++y)
        std::memcpy(out.data() + headerBytes + static_cast<size_t>(stride) * static_cast<size_t>(picture.height - 1 - y),
                    picture.Row(y), stride);
    return out;
}

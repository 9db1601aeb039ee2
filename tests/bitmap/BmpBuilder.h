// Builds BMP files and CF_DIB blocks byte by byte for the reader tests.
#pragma once

#include <cstdint>
#include <vector>

struct DibFields {
    uint32_t HeaderSize = 40;
    int32_t Width = 1;
    int32_t Height = 1;
    uint16_t BitCount = 24;
    uint32_t Compression = 0;
    int32_t XPels = 3780;
    int32_t YPels = 3780;
    uint32_t ClrUsed = 0;
    std::vector<uint32_t> Masks;   // written after the header when not empty
    std::vector<uint32_t> Colours; // RGBQUADs ($00RRGGBB) or triples for a 12-byte header
    std::vector<uint8_t> Gap;      // bytes between the table and the pixels
    std::vector<uint8_t> Pixels;
};

inline void Put(std::vector<uint8_t>& out, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// The header, masks, colour table, gap and pixels: a CF_DIB block.
inline std::vector<uint8_t> DibBlock(const DibFields& fields)
{
    std::vector<uint8_t> out;
    Put(out, fields.HeaderSize, 4);
    if (fields.HeaderSize == 12) {
        Put(out, static_cast<uint16_t>(fields.Width), 2);
        Put(out, static_cast<uint16_t>(fields.Height), 2);
        Put(out, 1, 2);
        Put(out, fields.BitCount, 2);
    } else {
        Put(out, static_cast<uint32_t>(fields.Width), 4);
        Put(out, static_cast<uint32_t>(fields.Height), 4);
        Put(out, 1, 2);
        Put(out, fields.BitCount, 2);
        Put(out, fields.Compression, 4);
        Put(out, 0, 4);
        Put(out, static_cast<uint32_t>(fields.XPels), 4);
        Put(out, static_cast<uint32_t>(fields.YPels), 4);
        Put(out, fields.ClrUsed, 4);
        Put(out, 0, 4);
        for (uint32_t i = 40; i < fields.HeaderSize; ++i)
            out.push_back(0);
    }
    for (uint32_t mask : fields.Masks)
        Put(out, mask, 4);
    for (uint32_t colour : fields.Colours)
        Put(out, colour, fields.HeaderSize == 12 ? 3 : 4);
    out.insert(out.end(), fields.Gap.begin(), fields.Gap.end());
    out.insert(out.end(), fields.Pixels.begin(), fields.Pixels.end());
    return out;
}

// A BMP file around the block; bfOffBits points at the pixels unless given.
inline std::vector<uint8_t> BmpFile(const DibFields& fields, int64_t offBits = -1, int64_t fileSize = -1)
{
    const std::vector<uint8_t> block = DibBlock(fields);
    const int64_t headerPart = static_cast<int64_t>(block.size() - fields.Pixels.size());
    std::vector<uint8_t> out;
    Put(out, 0x4D42, 2);
    Put(out, static_cast<uint32_t>(fileSize >= 0 ? fileSize : 14 + static_cast<int64_t>(block.size())), 4);
    Put(out, 0, 4);
    Put(out, static_cast<uint32_t>(offBits >= 0 ? offBits : 14 + headerPart), 4);
    out.insert(out.end(), block.begin(), block.end());
    return out;
}

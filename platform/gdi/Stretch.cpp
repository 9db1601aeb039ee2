#include "platform/gdi/Stretch.h"

#include "platform/gdi/PixelAccess.h"

#include <algorithm>
#include <array>
#include <cstring>

AxisMap MapAxis(int64_t destOrigin, int64_t destExtent, int64_t srcOrigin, int64_t srcExtent, int64_t destLimit,
                int64_t srcLimit)
{
    AxisMap map;
    const int64_t d = destExtent < 0 ? -destExtent : destExtent;
    const int64_t s = srcExtent < 0 ? -srcExtent : srcExtent;
    if (d == 0 || s == 0)
        return map;
    const int64_t destStart = destExtent < 0 ? destOrigin + destExtent : destOrigin;
    const int64_t srcStart = srcExtent < 0 ? srcOrigin + srcExtent : srcOrigin;
    const bool mirror = (destExtent < 0) != (srcExtent < 0);
    const int64_t lo = std::max<int64_t>(0, -destStart);
    const int64_t hi = std::min<int64_t>(d, destLimit - destStart);
    if (lo >= hi)
        return map;
    // Extents come from 32-bit values, so (2i + 1) * s stays below 2^63.
    auto sourceOf = [&](int64_t i) {
        const int64_t k = static_cast<int64_t>((2 * static_cast<uint64_t>(i) + 1) * static_cast<uint64_t>(s)
                                               / (2 * static_cast<uint64_t>(d)));
        return srcStart + (mirror ? s - 1 - k : k);
    };
    int64_t first = lo;
    int64_t last = hi;
    if (srcLimit >= 0) {
        auto inside = [&](int64_t i) {
            const int64_t v = sourceOf(i);
            return v >= 0 && v < srcLimit;
        };
        // The map is monotonic, so the indices with a source inside form one run.
        while (first < last && !inside(first))
            ++first;
        while (last > first && !inside(last - 1))
            --last;
    }
    map.first = destStart + first;
    map.source.resize(static_cast<size_t>(last - first));
    for (int64_t i = first; i < last; ++i)
        map.source[static_cast<size_t>(i - first)] = static_cast<int32_t>(sourceOf(i));
    return map;
}

bool SupportedRop(DWORD rop)
{
    switch (rop) {
    case SRCCOPY:
    case SRCPAINT:
    case SRCAND:
    case SRCINVERT:
    case SRCERASE:
    case NOTSRCCOPY:
    case NOTSRCERASE:
    case MERGEPAINT:
    case DSTINVERT:
    case BLACKNESS:
    case WHITENESS:
        return true;
    default:
        return false;
    }
}

bool RopUsesSource(DWORD rop)
{
    return rop != DSTINVERT && rop != BLACKNESS && rop != WHITENESS;
}

namespace {

uint32_t ApplyRop(DWORD rop, uint32_t s, uint32_t d)
{
    switch (rop) {
    case SRCPAINT:
        return s | d;
    case SRCAND:
        return s & d;
    case SRCINVERT:
        return s ^ d;
    case SRCERASE:
        return s & ~d;
    case NOTSRCCOPY:
        return ~s;
    case NOTSRCERASE:
        return ~(s | d);
    case MERGEPAINT:
        return ~s | d;
    case DSTINVERT:
        return ~d;
    default: // SRCCOPY, and BLACKNESS and WHITENESS whose values come in as the source
        return s;
    }
}

bool SameTables(const DibSurface& a, const DibSurface& b)
{
    if (a.layout.colours != b.layout.colours)
        return false;
    for (unsigned i = 0; i < a.layout.colours; ++i)
        if (QuadToRgb(a.table[i]) != QuadToRgb(b.table[i]))
            return false;
    return true;
}

bool SameMasks(const DibLayout& a, const DibLayout& b)
{
    return a.red.mask == b.red.mask && a.green.mask == b.green.mask && a.blue.mask == b.blue.mask;
}

// Pixels of the destination's format are "direct" when a 0x00RRGGBB colour is already the pixel value.
bool Direct(const DibLayout& l)
{
    return l.bitCount == 24 || l.plainRgb32;
}

template <int Bits>
void ReadIndices(const uint8_t* row, const int32_t* cols, size_t n, const uint32_t* lut, uint32_t* out)
{
    for (size_t i = 0; i < n; ++i) {
        const uint32_t x = static_cast<uint32_t>(cols[i]);
        uint32_t index;
        if constexpr (Bits == 1)
            index = row[x >> 3] >> (7 - (x & 7)) & 1;
        else if constexpr (Bits == 4)
            index = (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
        else
            index = row[x];
        out[i] = lut[index];
    }
}

void ReadColours(const DibLayout& l, const uint8_t* row, const int32_t* cols, size_t n, uint32_t* out)
{
    if (l.bitCount == 24) {
        for (size_t i = 0; i < n; ++i) {
            const uint8_t* p = row + 3 * static_cast<size_t>(cols[i]);
            out[i] = uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16;
        }
    } else if (l.plainRgb32) {
        for (size_t i = 0; i < n; ++i) {
            const uint8_t* p = row + 4 * static_cast<size_t>(cols[i]);
            out[i] = uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16;
        }
    } else {
        for (size_t i = 0; i < n; ++i)
            out[i] = PixelToRgb(l, nullptr, LoadPixel(l.bitCount, row, cols[i]));
    }
}

// Stores values at columns [x0, x0 + n) of a row, combined with what is there.
void WriteRow(const DibLayout& l, uint8_t* row, size_t x0, size_t n, const uint32_t* values, DWORD rop)
{
    const uint32_t mask = l.bitCount >= 32 ? (l.plainRgb32 ? 0xFFFFFF : 0xFFFFFFFF) : (1u << l.bitCount) - 1;
    if (rop == SRCCOPY || rop == BLACKNESS || rop == WHITENESS) {
        switch (l.bitCount) {
        case 8:
            for (size_t i = 0; i < n; ++i)
                row[x0 + i] = static_cast<uint8_t>(values[i]);
            return;
        case 24:
            for (size_t i = 0; i < n; ++i) {
                uint8_t* p = row + 3 * (x0 + i);
                p[0] = static_cast<uint8_t>(values[i]);
                p[1] = static_cast<uint8_t>(values[i] >> 8);
                p[2] = static_cast<uint8_t>(values[i] >> 16);
            }
            return;
        case 32:
            std::memcpy(row + 4 * x0, values, 4 * n);
            return;
        default:
            for (size_t i = 0; i < n; ++i)
                StorePixel(l.bitCount, row, static_cast<int>(x0 + i), values[i]);
            return;
        }
    }
    for (size_t i = 0; i < n; ++i) {
        const int x = static_cast<int>(x0 + i);
        const uint32_t d = LoadPixel(l.bitCount, row, x);
        StorePixel(l.bitCount, row, x, ApplyRop(rop, values[i], d) & mask);
    }
}

// Turns the source's pixels of one row into destination pixel values.
class RowConverter {
public:
    RowConverter(const DibSurface& dest, const DibSurface& source) : FDest(dest), FSource(source)
    {
        const DibLayout& s = source.layout;
        const DibLayout& d = dest.layout;
        if (s.Indexed()) {
            // Every source index gets its destination value once.
            const bool keep = d.Indexed() && SameTables(source, dest);
            for (uint32_t i = 0; i < (1u << s.bitCount); ++i)
                FLut[i] = keep ? i : RgbToPixel(d, dest.table, PixelToRgb(s, source.table, i));
        } else if (d.Indexed()) {
            FCache.emplace_back(dest.table, d.colours);
        }
        FRaw32 = s.plainRgb32 && d.plainRgb32;
        FSameFormat = s.bitCount == d.bitCount && s.bitCount >= 8
                      && (s.Indexed() ? SameTables(source, dest) : (s.bitCount == 24 || SameMasks(s, d)));
    }

    // True when source and destination pixels are the same bytes.
    bool SameFormat() const { return FSameFormat; }

    void Convert(const uint8_t* row, const int32_t* cols, size_t n, uint32_t* out)
    {
        const DibLayout& s = FSource.layout;
        switch (s.bitCount) {
        case 1:
            ReadIndices<1>(row, cols, n, FLut.data(), out);
            return;
        case 4:
            ReadIndices<4>(row, cols, n, FLut.data(), out);
            return;
        case 8:
            ReadIndices<8>(row, cols, n, FLut.data(), out);
            return;
        default:
            break;
        }
        if (FRaw32) {
            for (size_t i = 0; i < n; ++i)
                std::memcpy(out + i, row + 4 * static_cast<size_t>(cols[i]), 4);
            return;
        }
        ReadColours(s, row, cols, n, out);
        const DibLayout& d = FDest.layout;
        if (Direct(d))
            return;
        if (d.Indexed()) {
            for (size_t i = 0; i < n; ++i)
                out[i] = FCache.front().Find(out[i]);
        } else {
            for (size_t i = 0; i < n; ++i)
                out[i] = RgbToPixel(d, nullptr, out[i]);
        }
    }

private:
    const DibSurface& FDest;
    const DibSurface& FSource;
    std::array<uint32_t, 256> FLut{};
    std::vector<NearestCache> FCache;
    bool FRaw32 = false;
    bool FSameFormat = false;
};

// The copies between 24 and 32-bit pictures that whole-picture drawing makes,
// in one pass per row. False when the formats are not such a pair.
bool CopyTrueColour(const DibLayout& s, const DibLayout& d, const uint8_t* from, uint8_t* to, size_t x0,
                    const int32_t* cols, size_t n, bool contiguous)
{
    const int fromBytes = s.bitCount == 24 ? 3 : (s.plainRgb32 ? 4 : 0);
    const int toBytes = d.bitCount == 24 ? 3 : (d.plainRgb32 ? 4 : 0);
    if (fromBytes == 0 || toBytes == 0)
        return false;
    uint8_t* out = to + static_cast<size_t>(toBytes) * x0;
    if (fromBytes == 3 && toBytes == 4 && contiguous) {
        // An unscaled row: four bytes read at once, the fourth masked off (the last pixel alone reads three).
        const uint8_t* p = from + 3 * static_cast<size_t>(cols[0]);
        for (size_t i = 0; i + 1 < n; ++i, p += 3, out += 4) {
            uint32_t v;
            std::memcpy(&v, p, 4);
            v &= 0x00FFFFFFu;
            std::memcpy(out, &v, 4);
        }
        if (n > 0) {
            out[0] = p[0];
            out[1] = p[1];
            out[2] = p[2];
            out[3] = 0;
        }
    } else if (fromBytes == 3 && toBytes == 4) {
        for (size_t i = 0; i < n; ++i, out += 4) {
            const uint8_t* p = from + 3 * static_cast<size_t>(cols[i]);
            out[0] = p[0];
            out[1] = p[1];
            out[2] = p[2];
            out[3] = 0;
        }
    } else if (fromBytes == 4 && toBytes == 3) {
        for (size_t i = 0; i < n; ++i, out += 3) {
            const uint8_t* p = from + 4 * static_cast<size_t>(cols[i]);
            out[0] = p[0];
            out[1] = p[1];
            out[2] = p[2];
        }
    } else if (fromBytes == 3) {
        for (size_t i = 0; i < n; ++i, out += 3) {
            const uint8_t* p = from + 3 * static_cast<size_t>(cols[i]);
            out[0] = p[0];
            out[1] = p[1];
            out[2] = p[2];
        }
    } else {
        for (size_t i = 0; i < n; ++i, out += 4)
            std::memcpy(out, from + 4 * static_cast<size_t>(cols[i]), 4);
    }
    return true;
}

// An 8-bit or 24-bit pixel value whose stored bytes are all the same.
bool SingleBytePixel(int bitCount, uint32_t value)
{
    const uint32_t low = value & 0xFF;
    return bitCount == 8 || (bitCount == 24 && ((value >> 8) & 0xFF) == low && ((value >> 16) & 0xFF) == low);
}

bool Contiguous(const std::vector<int32_t>& cols)
{
    for (size_t i = 1; i < cols.size(); ++i)
        if (cols[i] != cols[0] + static_cast<int32_t>(i))
            return false;
    return true;
}

} // namespace

void StretchSurface(const DibSurface& dest, int64_t xDest, int64_t yDest, int64_t wDest, int64_t hDest,
                    const DibSurface* source, int64_t xSrc, int64_t ySrc, int64_t wSrc, int64_t hSrc, DWORD rop)
{
    const bool usesSource = RopUsesSource(rop);
    if (usesSource && !source)
        return;
    const int64_t srcWidth = usesSource ? source->layout.width : -1;
    const int64_t srcHeight = usesSource ? source->layout.height : -1;
    const AxisMap columns = MapAxis(xDest, wDest, xSrc, wSrc, dest.layout.width, srcWidth);
    const AxisMap rows = MapAxis(yDest, hDest, ySrc, hSrc, dest.layout.height, srcHeight);
    const size_t n = columns.source.size();
    if (n == 0 || rows.source.empty())
        return;
    const size_t x0 = static_cast<size_t>(columns.first);
    std::vector<uint32_t> values(n);

    if (!usesSource) {
        if (rop != DSTINVERT) {
            const uint32_t colour = rop == WHITENESS ? 0xFFFFFF : 0;
            const uint32_t value = RgbToPixel(dest.layout, dest.table, colour);
            if (SingleBytePixel(dest.layout.bitCount, value)) {
                // A new bitmap's white is such a fill: whole rows of one byte.
                const size_t bytes = static_cast<size_t>(dest.layout.bitCount / 8);
                for (size_t j = 0; j < rows.source.size(); ++j)
                    std::memset(dest.Row(static_cast<int>(rows.first + static_cast<int64_t>(j))) + bytes * x0,
                                static_cast<int>(value & 0xFF), bytes * n);
                return;
            }
            std::fill(values.begin(), values.end(), value);
        }
        for (size_t j = 0; j < rows.source.size(); ++j)
            WriteRow(dest.layout, dest.Row(static_cast<int>(rows.first + static_cast<int64_t>(j))), x0, n,
                     values.data(), rop);
        return;
    }

    // Copying within one bitmap reads from a snapshot, so no row is read after it was overwritten.
    std::vector<uint8_t> snapshot;
    DibSurface unaliased{};
    if (source->bits == dest.bits) {
        const uint8_t* bytes = source->bits;
        snapshot.assign(bytes, bytes + static_cast<size_t>(source->layout.stride) * source->layout.height);
        unaliased = DibSurface{source->layout, snapshot.data(), source->table};
        source = &unaliased;
    }
    RowConverter converter(dest, *source);
    const bool contiguous = Contiguous(columns.source);
    const bool copyBytes = rop == SRCCOPY && converter.SameFormat() && contiguous;
    const size_t bytesPerPixel = static_cast<size_t>(dest.layout.bitCount / 8);
    for (size_t j = 0; j < rows.source.size(); ++j) {
        const uint8_t* srcRow = source->Row(rows.source[j]);
        uint8_t* destRow = dest.Row(static_cast<int>(rows.first + static_cast<int64_t>(j)));
        if (copyBytes) {
            std::memmove(destRow + bytesPerPixel * x0,
                         srcRow + bytesPerPixel * static_cast<size_t>(columns.source[0]), bytesPerPixel * n);
            continue;
        }
        if (rop == SRCCOPY
            && CopyTrueColour(source->layout, dest.layout, srcRow, destRow, x0, columns.source.data(), n, contiguous))
            continue;
        converter.Convert(srcRow, columns.source.data(), n, values.data());
        WriteRow(dest.layout, destRow, x0, n, values.data(), rop);
    }
}

#include "platform/ui/ClipboardBmp.h"

#include <cstdint>

namespace {

uint32_t ReadU32(const unsigned char* p)
{
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

uint16_t ReadU16(const unsigned char* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

void PutU32(QByteArray& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.append(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// The bytes of header and colour table at the start of a DIB, or 0 when the
// header is not one this knows.
uint64_t HeaderAndColours(const unsigned char* dib, size_t size)
{
    if (size < 12)
        return 0;
    const uint32_t headerSize = ReadU32(dib);
    if (headerSize == 12) {
        const uint16_t bits = ReadU16(dib + 10);
        return 12 + (bits <= 8 ? (uint64_t{1} << bits) * 3 : 0);
    }
    if (headerSize < 40 || size < 40)
        return 0;
    const uint16_t bits = ReadU16(dib + 14);
    const uint32_t compression = ReadU32(dib + 16);
    const uint32_t used = ReadU32(dib + 32);
    // The table holds as many entries as the header counts, even past what the
    // depth can use, as the readers of the block take it.
    const uint64_t colours = used != 0 ? used : (bits <= 8 ? uint64_t{1} << bits : 0);
    uint64_t masks = (compression == 3 && headerSize == 40) ? 12 : 0;
    return headerSize + masks + colours * 4;
}

} // namespace

std::vector<unsigned char> DibFromBmpFile(const QByteArray& file)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(file.constData());
    const size_t size = static_cast<size_t>(file.size());
    if (size < 14 + 12 || bytes[0] != 'B' || bytes[1] != 'M')
        return {};
    const uint64_t offBits = ReadU32(bytes + 10);
    const uint64_t front = HeaderAndColours(bytes + 14, size - 14);
    if (front == 0 || 14 + front > size || offBits < 14 + front || offBits > size)
        return {};
    // Header and colour table, then the pixels from wherever the file keeps them.
    std::vector<unsigned char> dib(bytes + 14, bytes + 14 + front);
    dib.insert(dib.end(), bytes + offBits, bytes + size);
    return dib;
}

QByteArray BmpFileFromDib(const unsigned char* dib, size_t size)
{
    const uint64_t front = HeaderAndColours(dib, size);
    if (front == 0 || front > size || size > 0xFFFFFFFFu - 14)
        return {};
    QByteArray file;
    file.append("BM", 2);
    PutU32(file, static_cast<uint32_t>(14 + size));
    PutU32(file, 0);
    PutU32(file, static_cast<uint32_t>(14 + front));
    file.append(reinterpret_cast<const char*>(dib), static_cast<qsizetype>(size));
    return file;
}


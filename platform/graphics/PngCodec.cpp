#include "platform/graphics/PngCodec.h"

#include "platform/core/Exceptions.h"
#include "platform/core/JumpGuard.h"
#include "platform/gdi/DibLayout.h"

#include <png.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

namespace {

// libpng is C: its error handler must not return, and a C++ exception must
// not unwind through its frames. The handlers below jump back to the guard
// that made the call, and the guard raises the failure on our side.
struct PngSession {
    png_structp png = nullptr;
    png_infop info = nullptr;
    TStream* stream = nullptr;
    std::exception_ptr pending; // a stream failure inside a callback
    std::string message;        // libpng's own complaint
};

void PngError(png_structp png, png_const_charp message)
{
    static_cast<PngSession*>(png_get_error_ptr(png))->message = message ? message : "";
    png_longjmp(png, 1);
}

// Warnings (bad ancillary chunks, which libpng skips) are silent.
void PngWarning(png_structp, png_const_charp) {}

// One transfer on the session's stream; a failure is kept for the guard.
template <class Transfer>
void StreamTransfer(png_structp png, Transfer transfer)
{
    auto* session = static_cast<PngSession*>(png_get_io_ptr(png));
    try {
        transfer(*session->stream);
        return;
    } catch (...) {
        session->pending = std::current_exception();
    }
    png_longjmp(png, 1);
}

void PngRead(png_structp png, png_bytep data, size_t length)
{
    StreamTransfer(png, [&](TStream& stream) { stream.ReadBuffer(data, static_cast<int64_t>(length)); });
}

void PngWrite(png_structp png, png_bytep data, size_t length)
{
    StreamTransfer(png, [&](TStream& stream) { stream.WriteBuffer(data, static_cast<int64_t>(length)); });
}

void PngFlush(png_structp) {}

[[noreturn]] void RaiseFailure(PngSession& session)
{
    if (session.pending)
        std::rethrow_exception(session.pending);
    throw EInvalidGraphic("PNG: " + (session.message.empty() ? std::string("invalid image") : session.message));
}

template <typename Call>
void PngCall(PngSession& session, Call call)
{
    if (!JumpGuarded(png_jmpbuf(session.png), call))
        RaiseFailure(session);
}

class PngReader : public PngSession {
public:
    explicit PngReader(TStream& source)
    {
        stream = &source;
        png = png_create_read_struct(PNG_LIBPNG_VER_STRING, this, PngError, PngWarning);
        if (png)
            info = png_create_info_struct(png);
        if (!png || !info)
            throw EOutOfMemory();
        png_set_read_fn(png, this, PngRead);
        // Ancillary chunks (gamma, profiles, text) are skipped unread, so a
        // declared length never turns into an allocation.
        png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
        png_set_chunk_malloc_max(png, 8'000'000);
    }
    ~PngReader() { png_destroy_read_struct(&png, &info, nullptr); }
    PngReader(const PngReader&) = delete;
    PngReader& operator=(const PngReader&) = delete;
};

class PngWriter : public PngSession {
public:
    explicit PngWriter(TStream& target)
    {
        stream = &target;
        png = png_create_write_struct(PNG_LIBPNG_VER_STRING, this, PngError, PngWarning);
        if (png)
            info = png_create_info_struct(png);
        if (!png || !info)
            throw EOutOfMemory();
        png_set_write_fn(png, this, PngWrite, PngFlush);
    }
    ~PngWriter() { png_destroy_write_struct(&png, &info); }
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;
};

struct PngHeader {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colourType = 0;
};

// What a PNG of some colour type and depth becomes: the picture's depth and
// whether its rows are libpng's rows as they stand.
struct PictureShape {
    TPixelFormat format;
    int bitCount;
    bool indexed;
};

PictureShape ShapeOf(const PngHeader& h)
{
    if (h.colourType == PNG_COLOR_TYPE_PALETTE || h.colourType == PNG_COLOR_TYPE_GRAY) {
        const int depth = h.bitDepth > 8 ? 8 : h.bitDepth;
        if (depth == 1)
            return {pf1bit, 1, true};
        if (depth <= 4)
            return {pf4bit, 4, true};
        return {pf8bit, 8, true};
    }
    return {pf24bit, 24, false};
}

// A palette of the file's PLTE, or a grey ramp for grey files of depth bits.
HPALETTE MakePalette(PngSession& session, const PngHeader& h)
{
    LOGPALETTE log{};
    log.palVersion = 0x300;
    if (h.colourType == PNG_COLOR_TYPE_PALETTE) {
        png_colorp entries = nullptr;
        int count = 0;
        png_get_PLTE(session.png, session.info, &entries, &count);
        if (count <= 0 || count > 256)
            throw EInvalidGraphic("PNG: invalid palette");
        log.palNumEntries = static_cast<WORD>(count);
        for (int i = 0; i < count; ++i)
            log.palPalEntry[i] = PALETTEENTRY{entries[i].red, entries[i].green, entries[i].blue, 0};
    } else {
        const int depth = h.bitDepth > 8 ? 8 : h.bitDepth;
        const int count = 1 << depth;
        log.palNumEntries = static_cast<WORD>(count);
        for (int i = 0; i < count; ++i) {
            const auto grey = static_cast<BYTE>(i * 255 / (count - 1));
            log.palPalEntry[i] = PALETTEENTRY{grey, grey, grey, 0};
        }
    }
    HPALETTE palette = CreatePalette(&log);
    if (!palette)
        throw EOutOfResources("Out of system resources");
    return palette;
}

// 2-bit rows widen to 4-bit rows: each index moves into its own nibble.
void WidenTwoBitRow(const uint8_t* from, uint8_t* to, png_uint_32 width)
{
    for (png_uint_32 x = 0; x < width; x += 2) {
        const unsigned byte = from[x / 4];
        const unsigned shift = 6 - 2 * (x % 4);
        const unsigned first = (byte >> shift) & 3;
        const unsigned second = x + 1 < width ? (byte >> (shift - 2)) & 3 : 0;
        to[x / 2] = static_cast<uint8_t>(first << 4 | second);
    }
}

} // namespace

std::unique_ptr<TBitmap> ReadPng(TStream& stream)
{
    PngReader reader(stream);
    PngHeader h;
    PngCall(reader, [&] {
        png_read_info(reader.png, reader.info);
        png_get_IHDR(reader.png, reader.info, &h.width, &h.height, &h.bitDepth, &h.colourType, nullptr, nullptr,
                     nullptr);
    });
    // Checked before libpng sets up its rows, so a refused picture costs nothing.
    const PictureShape shape = ShapeOf(h);
    if (!BitmapSizeFits(h.width, h.height, shape.bitCount))
        throw EInvalidGraphic("PNG: image too large");
    const uint64_t stride = DibStride(h.width, shape.bitCount);
    PngCall(reader, [&] {
        if (h.bitDepth == 16)
            png_set_strip_16(reader.png);
        if (h.colourType & PNG_COLOR_MASK_ALPHA)
            png_set_strip_alpha(reader.png);
        if (h.colourType == PNG_COLOR_TYPE_GRAY_ALPHA)
            png_set_gray_to_rgb(reader.png);
        if (h.colourType & PNG_COLOR_MASK_COLOR)
            png_set_bgr(reader.png);
        png_set_interlace_handling(reader.png);
        png_read_update_info(reader.png, reader.info);
    });
    const size_t rowBytes = png_get_rowbytes(reader.png, reader.info);
    const bool twoBit = shape.indexed && h.bitDepth == 2;
    if (!twoBit && rowBytes > stride)
        throw EInvalidGraphic("PNG: unexpected row size");

    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(shape.format);
    if (shape.indexed)
        bitmap->SetPalette(MakePalette(reader, h));
    bitmap->SetSize(static_cast<int>(h.width), static_cast<int>(h.height));

    // Interlaced files need every row at once; libpng fills them in place.
    std::vector<uint8_t> narrow(twoBit ? rowBytes * h.height : 0);
    std::vector<png_bytep> rows(h.height);
    for (png_uint_32 y = 0; y < h.height; ++y)
        rows[y] = twoBit ? narrow.data() + rowBytes * y : bitmap->ScanLine(static_cast<int>(y));
    png_bytepp rowTable = rows.data();
    PngCall(reader, [&] {
        png_read_image(reader.png, rowTable);
        png_read_end(reader.png, nullptr);
    });
    if (twoBit)
        for (png_uint_32 y = 0; y < h.height; ++y)
            WidenTwoBitRow(rows[y], bitmap->ScanLine(static_cast<int>(y)), h.width);
    return bitmap;
}

void WritePng(TBitmap& picture, TStream& stream, int compressionLevel)
{
    const TPixelFormat format = picture.PixelFormat();
    const bool indexed = format == pf1bit || format == pf4bit || format == pf8bit;
    // Other true-colour layouts go out through a 24-bit copy.
    std::unique_ptr<TBitmap> converted;
    TBitmap* source = &picture;
    if (!indexed && format != pf24bit) {
        converted = std::make_unique<TBitmap>();
        converted->Assign(&picture);
        converted->SetPixelFormat(pf24bit);
        source = converted.get();
    }
    const int depth = format == pf1bit ? 1 : format == pf4bit ? 4 : 8;
    const int maxColours = 1 << depth;

    std::array<png_color, 256> plte{};
    int plteCount = 0;
    if (indexed) {
        std::array<PALETTEENTRY, 256> entries{};
        HPALETTE palette = source->Palette();
        const unsigned count = palette ? GetPaletteEntries(palette, 0, 0, nullptr) : 0;
        plteCount = static_cast<int>(count == 0 ? maxColours : count > unsigned(maxColours) ? maxColours : count);
        if (palette)
            GetPaletteEntries(palette, 0, static_cast<unsigned>(plteCount), entries.data());
        for (int i = 0; i < plteCount; ++i)
            plte[i] = png_color{entries[i].peRed, entries[i].peGreen, entries[i].peBlue};
    }

    const auto width = static_cast<png_uint_32>(source->Width());
    const auto height = static_cast<png_uint_32>(source->Height());
    std::vector<png_bytep> rows(height);
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = source->ScanLine(static_cast<int>(y));
    png_bytepp rowTable = rows.data();
    png_colorp plteData = plte.data();

    PngWriter writer(stream);
    PngCall(writer, [&] {
        png_set_IHDR(writer.png, writer.info, width, height, depth,
                     indexed ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        if (indexed)
            png_set_PLTE(writer.png, writer.info, plteData, plteCount);
        png_set_compression_level(writer.png, compressionLevel);
        png_write_info(writer.png, writer.info);
        if (!indexed)
            png_set_bgr(writer.png);
        png_write_image(writer.png, rowTable);
        png_write_end(writer.png, nullptr);
    });
}

// Reads arbitrary bytes as a BMP file and as a CF_DIB block into a TBitmap.
// Whatever is accepted must draw, and must write a file that reads back to
// the same bytes.
#include "platform/core/Exceptions.h"
#include "platform/graphics/Bitmap.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// RLE pictures may declare up to 2 GB of pixels from a few bytes; the fuzzer's
// memory limit is not what is being tested, so such inputs are skipped.
bool TooLarge(const uint8_t* data, size_t size, size_t headerAt)
{
    if (size < headerAt + 12)
        return false;
    uint32_t headerSize;
    std::memcpy(&headerSize, data + headerAt, 4);
    int64_t width, height;
    if (headerSize == 12) {
        uint16_t w, h;
        std::memcpy(&w, data + headerAt + 4, 2);
        std::memcpy(&h, data + headerAt + 6, 2);
        width = w;
        height = h;
    } else {
        int32_t w, h;
        std::memcpy(&w, data + headerAt + 4, 4);
        std::memcpy(&h, data + headerAt + 8, 4);
        width = w;
        height = h < 0 ? -int64_t{h} : h;
    }
    return width * height > (int64_t{1} << 22);
}

void Exercise(TBitmap& bitmap)
{
    TMemoryStream saved;
    bitmap.SaveToStream(saved);
    TBitmap again;
    saved.SetPosition(0);
    again.LoadFromStream(saved);
    TMemoryStream resaved;
    again.SaveToStream(resaved);
    if (resaved.Size() != saved.Size() || std::memcmp(resaved.Memory(), saved.Memory(), saved.Size()) != 0)
        std::abort();

    TBitmap target;
    target.SetSize(7, 5);
    target.Canvas().StretchDraw(Rect(6, 4, -1, -2), bitmap);
    target.SetPixelFormat(pf4bit);
    target.Canvas().StretchDraw(Rect(0, 0, 3, 9), bitmap);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 65536 || TooLarge(data, size, 14) || TooLarge(data, size, 0))
        return 0;
    TMemoryStream input;
    input.Write(data, static_cast<int64_t>(size));
    input.SetPosition(0);
    try {
        TBitmap bitmap;
        bitmap.LoadFromStream(input);
        Exercise(bitmap);
    } catch (const Exception&) {
    }
    HGLOBAL block = GlobalAllocCopy(data, size);
    try {
        TBitmap bitmap;
        bitmap.LoadFromClipboardFormat(CF_DIB, block, nullptr);
        Exercise(bitmap);
    } catch (const Exception&) {
    }
    GlobalFree(block);
    return 0;
}

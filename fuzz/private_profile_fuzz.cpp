// Reads and rewrites arbitrary settings text: no input may crash the reader,
// and a written key must read back as written while the rest stays readable.
#include "platform/system/PrivateProfile.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 65536)
        return 0;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    static const char* const sections[] = {"Set", "Form", "Size", "Option", "OptiPNG", ""};
    static const char* const keys[] = {"FittingThreshold", "Top", "maximized", "Mode", "Path", ""};
    for (const char* section : sections)
        for (const char* key : keys)
            if (const auto value = ProfileFindValue(text, section, key))
                ProfileParseInt(*value);

    const std::string before = ProfileFindValue(text, "Size", "Mode").value_or("<none>");
    const std::string written = ProfileSetValue(text, "Form", "Maximized", "Yes");
    if (ProfileFindValue(written, "form", "MAXIMIZED") != "Yes")
        std::abort();
    // Writing one key never disturbs another section's value.
    if (ProfileFindValue(written, "Size", "Mode").value_or("<none>") != before)
        std::abort();
    return 0;
}

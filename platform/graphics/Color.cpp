#include "platform/graphics/Color.h"

namespace {

constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b)
{
    return r | g << 8 | b << 16;
}

// The classic standard colour scheme, indexed by system colour number.
constexpr uint32_t SystemColours[] = {
    Rgb(192, 192, 192), // scroll bar
    Rgb(0, 128, 128),   // desktop
    Rgb(0, 0, 128),     // active caption
    Rgb(128, 128, 128), // inactive caption
    Rgb(192, 192, 192), // menu
    Rgb(255, 255, 255), // window
    Rgb(0, 0, 0),       // window frame
    Rgb(0, 0, 0),       // menu text
    Rgb(0, 0, 0),       // window text
    Rgb(255, 255, 255), // caption text
    Rgb(192, 192, 192), // active border
    Rgb(192, 192, 192), // inactive border
    Rgb(128, 128, 128), // application workspace
    Rgb(0, 0, 128),     // highlight
    Rgb(255, 255, 255), // highlight text
    Rgb(192, 192, 192), // button face
    Rgb(128, 128, 128), // button shadow
    Rgb(128, 128, 128), // grey text
    Rgb(0, 0, 0),       // button text
    Rgb(192, 192, 192), // inactive caption text
    Rgb(255, 255, 255), // button highlight
    Rgb(0, 0, 0),       // 3-D dark shadow
    Rgb(192, 192, 192), // 3-D light
    Rgb(0, 0, 0),       // tooltip text
    Rgb(255, 255, 225), // tooltip background
};

} // namespace

uint32_t ColorToRGB(TColor colour)
{
    if (colour >= 0)
        return static_cast<uint32_t>(colour);
    const uint32_t index = static_cast<uint32_t>(colour) & 0xFF;
    return index < sizeof SystemColours / sizeof SystemColours[0] ? SystemColours[index] : 0;
}

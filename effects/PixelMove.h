// Moving one 3-byte pixel. Four-byte moves are cheaper than three one-byte
// ones; the fourth byte belongs to a neighbour that is read from, or written
// next, so only a pixel at the end of a row or buffer needs the three-byte move.
#pragma once

#include <cstdint>
#include <cstring>

inline void MovePixel4(uint8_t* d, const uint8_t* s)
{
    uint32_t v;
    std::memcpy(&v, s, 4);
    std::memcpy(d, &v, 4);
}

inline void MovePixel3(uint8_t* d, const uint8_t* s)
{
    d[0] = s[0];
    d[1] = s[1];
    d[2] = s[2];
}

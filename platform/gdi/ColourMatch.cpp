#include "platform/gdi/ColourMatch.h"

unsigned NearestIndex(const RGBQUAD* table, unsigned count, uint32_t rgb)
{
    const int r = static_cast<int>(rgb >> 16 & 0xFF);
    const int g = static_cast<int>(rgb >> 8 & 0xFF);
    const int b = static_cast<int>(rgb & 0xFF);
    unsigned best = 0;
    int bestDistance = 0x7FFFFFFF;
    for (unsigned i = 0; i < count; ++i) {
        const int dr = table[i].rgbRed - r;
        const int dg = table[i].rgbGreen - g;
        const int db = table[i].rgbBlue - b;
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
            if (distance == 0)
                break;
        }
    }
    return best;
}

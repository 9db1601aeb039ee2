// Helpers shared by the bitmap model's tests.
#pragma once

#include "bitmap/FvDIB.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

template <class E, class F>
void ExpectError(F&& action, const std::string& message)
{
    try {
        action();
        ADD_FAILURE() << "no exception, expected: " << message;
    } catch (const E& e) {
        EXPECT_EQ(e.Message(), message);
    }
}

// Counts the change notifications of a graphic.
struct ChangeCounter {
    int Count = 0;
    void Attach(TGraphic& graphic)
    {
        graphic.OnChange = [this](TPersistent*) { ++Count; };
    }
};

// Every byte of the bitmap's rows, top row first.
inline std::vector<uint8_t> RowBytes(TFvDIB& dib)
{
    std::vector<uint8_t> bytes;
    const int64_t stride = DIBStride(dib.Width(), dib.BitCount());
    for (int y = 0; y < dib.Height(); ++y) {
        const uint8_t* row = dib.ScanLine(y);
        bytes.insert(bytes.end(), row, row + stride);
    }
    return bytes;
}

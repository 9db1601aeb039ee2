// Shared by the menu and dialog-command tests: documents with known pixels
// and the items of the real menu bar found by their captions.
#pragma once

#include "app/main.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <cstdint>
#include <initializer_list>
#include <vector>

// A bitmap of the given depth with pseudo-random pixels (palette indices below 16).
inline void FillImage(TFvDIB& image, int width, int height, TFvPixelFormat format = fvPf24Bit)
{
    image.SetPixelFormat(format);
    image.SetSize(width, height);
    uint32_t seed = 12345;
    const int rowBytes = (width * image.BitCount() + 7) / 8;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = image.ScanLine(y);
        for (int x = 0; x < rowBytes; ++x) {
            seed = seed * 1103515245u + 12345u;
            row[x] = static_cast<uint8_t>(seed >> 16);
            if (image.BitCount() == 8)
                row[x] &= 15;
        }
    }
}

// Every row of the picture, without padding, and the size.
inline std::vector<uint8_t> PixelBytes(TFvDIB& image)
{
    std::vector<uint8_t> bytes{static_cast<uint8_t>(image.Width()), static_cast<uint8_t>(image.Height()),
                               static_cast<uint8_t>(image.BitCount())};
    const int rowBytes = (image.Width() * image.BitCount() + 7) / 8;
    for (int y = 0; y < image.Height(); ++y) {
        const uint8_t* row = image.ScanLine(y);
        bytes.insert(bytes.end(), row, row + rowBytes);
    }
    return bytes;
}

// Opens image in the window as a load does.
inline void OpenDocument(TMainForm& form, TFvDIB& image)
{
    form.Document().Loaded(image);
    form.FormSizeChange();
    form.Work();
    form.ImageView(*CurrentImage);
}

// The item reached through the captions, from the menu bar down; null when missing.
inline QAction* MenuItem(TMainForm& form, std::initializer_list<const char*> path)
{
    QList<QAction*> actions = form.menuBar()->actions();
    QAction* found = nullptr;
    for (const char* caption : path) {
        found = nullptr;
        for (QAction* action : actions)
            if (action->text() == QString::fromUtf8(caption))
                found = action;
        if (found == nullptr)
            return nullptr;
        actions = found->menu() != nullptr ? found->menu()->actions() : QList<QAction*>{};
    }
    return found;
}

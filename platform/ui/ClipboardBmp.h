// Device-independent bitmaps as other programs exchange them on the desktop
// clipboard: BMP file data, that is the DIB with a file header in front.
#pragma once

#include <QByteArray>

#include <cstddef>
#include <vector>

// A BMP file's bytes without the file header: the header, colour table and
// pixels of a CF_DIB block. Empty when the data is no BMP file this can cut.
std::vector<unsigned char> DibFromBmpFile(const QByteArray& file);
// The BMP file of a CF_DIB block; empty when the block's header is unusable.
QByteArray BmpFileFromDib(const unsigned char* dib, size_t size);

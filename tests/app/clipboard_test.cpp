#include "AppTestSupport.h"
#include "platform/graphics/Clipboard.h"
#include "platform/ui/ClipboardBmp.h"
#include "platform/ui/QtClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

#include <gtest/gtest.h>

#include <cstring>

#include <sys/mman.h>

namespace {

// A 2 x 1 8-bit DIB with a 2-entry colour table.
std::vector<unsigned char> SmallDib()
{
    BITMAPINFOHEADER header{};
    header.biSize = 40;
    header.biWidth = 2;
    header.biHeight = 1;
    header.biPlanes = 1;
    header.biBitCount = 8;
    header.biClrUsed = 2;
    const unsigned char colours[8] = {0, 0, 255, 0, 255, 0, 0, 0};
    const unsigned char pixels[4] = {0, 1, 0, 0};
    std::vector<unsigned char> dib(sizeof header + sizeof colours + sizeof pixels);
    std::memcpy(dib.data(), &header, sizeof header);
    std::memcpy(dib.data() + sizeof header, colours, sizeof colours);
    std::memcpy(dib.data() + sizeof header + sizeof colours, pixels, sizeof pixels);
    return dib;
}

TEST(ClipboardBmp, FileHeaderIsAddedAndCutAgain)
{
    // Pixel 0 red, pixel 1 blue; the pixels follow the header and the colour table.
    const auto roundTrip = [](const std::vector<unsigned char>& dib, int pixelOffset) {
        const QByteArray file = BmpFileFromDib(dib.data(), dib.size());
        ASSERT_EQ(static_cast<size_t>(file.size()), dib.size() + 14);
        EXPECT_EQ(file.left(2), QByteArray("BM"));
        EXPECT_EQ(static_cast<unsigned char>(file[10]) | static_cast<unsigned char>(file[11]) << 8, pixelOffset);
        EXPECT_EQ(static_cast<unsigned char>(file[2]) | static_cast<unsigned char>(file[3]) << 8, file.size());
        EXPECT_EQ(DibFromBmpFile(file), dib);
        const QImage image = QImage::fromData(file, "BMP");
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
        EXPECT_EQ(image.pixel(1, 0), qRgb(0, 0, 255));
    };
    roundTrip(SmallDib(), 14 + 40 + 8);
    // A 1-bit picture that counts no colours still has its two.
    std::vector<unsigned char> one = SmallDib();
    one[14] = 1;
    one[32] = 0;
    one[48] = 0x40;
    one[49] = 0;
    roundTrip(one, 14 + 40 + 8);
    // An 8-bit picture that counts no colours has all 256.
    std::vector<unsigned char> full = SmallDib();
    full[32] = 0;
    full.insert(full.begin() + 48, 254 * 4, 0);
    roundTrip(full, 14 + 40 + 1024);
    // One that counts more than 256 has them all before its pixels (no
    // viewer of ours shows it, but its bytes come through whole).
    std::vector<unsigned char> more = full;
    more[32] = 44;
    more[33] = 1;
    more.insert(more.begin() + 48, 44 * 4, 0);
    const QByteArray longTable = BmpFileFromDib(more.data(), more.size());
    EXPECT_EQ(static_cast<unsigned char>(longTable[10]) | static_cast<unsigned char>(longTable[11]) << 8,
              14 + 40 + 300 * 4);
    EXPECT_EQ(DibFromBmpFile(longTable), more);
    // A short (12-byte) header has three-byte colour entries: red, blue, then pixels 0 and 1.
    roundTrip({12, 0, 0, 0, 2, 0, 1, 0, 1, 0, 1, 0, 0, 0, 255, 255, 0, 0, 0x40, 0, 0, 0}, 14 + 12 + 6);
    // At 8 bits the short header's table has all 256 entries.
    std::vector<unsigned char> eight = {12, 0, 0, 0, 2, 0, 1, 0, 1, 0, 8, 0, 0, 0, 255, 255, 0, 0};
    eight.resize(12 + 3 * 256);
    eight.insert(eight.end(), {0, 1, 0, 0});
    roundTrip(eight, 14 + 12 + 3 * 256);
    // Masks follow a 40-byte header with bit fields: red, then blue.
    std::vector<unsigned char> masks = SmallDib();
    masks[14] = 32;
    masks[16] = 3;
    masks[32] = 0;
    masks.resize(40);
    masks.insert(masks.end(), {0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0, 0, 0, 0xFF, 0, 0xFF, 0, 0, 0});
    roundTrip(masks, 14 + 40 + 12);
}

TEST(ClipboardBmp, PixelsAfterAGapAreMovedUpAndBadFilesRefused)
{
    const std::vector<unsigned char> dib = SmallDib();
    QByteArray file = BmpFileFromDib(dib.data(), dib.size());
    // 64 KiB and 4 spare bytes between the colour table and the pixels.
    file.insert(14 + 48, QByteArray(0x10004, 'x'));
    file[10] = static_cast<char>((14 + 48 + 4) & 0xFF);
    file[12] = 1;
    EXPECT_EQ(DibFromBmpFile(file), dib);

    EXPECT_TRUE(DibFromBmpFile(QByteArray("BM")).empty());
    // The shortest file there can be: a core header and nothing after it.
    const QByteArray shortest("BM\x1A\0\0\0\0\0\0\0\x1A\0\0\0\x0C\0\0\0\x01\0\x01\0\x01\0\x18\0", 26);
    EXPECT_EQ(DibFromBmpFile(shortest).size(), 12u);
    QByteArray pastEnd = BmpFileFromDib(dib.data(), dib.size());
    pastEnd[10] = static_cast<char>(200);
    EXPECT_TRUE(DibFromBmpFile(pastEnd).empty());
    // A header of a size no BMP has.
    QByteArray unknown = BmpFileFromDib(dib.data(), dib.size());
    unknown[14] = 20;
    EXPECT_TRUE(DibFromBmpFile(unknown).empty());
    // Far past it, with low bytes that would point to the pixels.
    QByteArray farPast = BmpFileFromDib(dib.data(), dib.size());
    farPast[13] = static_cast<char>(0x80);
    EXPECT_TRUE(DibFromBmpFile(farPast).empty());
    QByteArray inTable = BmpFileFromDib(dib.data(), dib.size());
    inTable[10] = static_cast<char>(14 + 48 - 1);
    EXPECT_TRUE(DibFromBmpFile(inTable).empty());
    QByteArray hugeTable = BmpFileFromDib(dib.data(), dib.size());
    hugeTable[14 + 32] = static_cast<char>(0xFF);
    hugeTable[14 + 33] = static_cast<char>(0xFF);
    EXPECT_TRUE(DibFromBmpFile(hugeTable).empty());
    EXPECT_TRUE(BmpFileFromDib(dib.data(), 10).isEmpty());

    // A block whose file would pass 4 GiB is refused before a byte is copied.
    const size_t past = 0xFFFFFFFFu - 13;
    void* block = mmap(nullptr, past, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    ASSERT_NE(block, MAP_FAILED);
    std::memcpy(block, dib.data(), dib.size());
    EXPECT_TRUE(BmpFileFromDib(static_cast<const unsigned char*>(block), past).isEmpty());
    munmap(block, past);
}

TEST(QtClipboard, DibsTravelAsBmpDataAndOtherImagesAreTakenAsDibs)
{
    InstallQtClipboard();
    const std::vector<unsigned char> dib = SmallDib();
    {
        TClipboard clipboard;
        clipboard.Open();
        clipboard.Clear();
        clipboard.SetAsHandle(CF_DIB, GlobalAllocCopy(dib.data(), dib.size()));
        clipboard.Close();
    }
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(mime, nullptr);
    EXPECT_TRUE(mime->hasFormat("image/bmp"));
    EXPECT_TRUE(mime->hasImage());
    {
        TClipboard clipboard;
        ASSERT_TRUE(clipboard.HasFormat(CF_DIB));
        clipboard.Open();
        HGLOBAL block = clipboard.GetAsHandle(CF_DIB);
        ASSERT_NE(block, nullptr);
        ASSERT_EQ(GlobalSize(block), dib.size());
        EXPECT_EQ(std::memcmp(GlobalLock(block), dib.data(), dib.size()), 0);
        GlobalUnlock(block);
        clipboard.Close();
    }

    QImage picture(3, 2, QImage::Format_RGB32);
    picture.fill(qRgb(10, 20, 30));
    QGuiApplication::clipboard()->setImage(picture);
    {
        TClipboard clipboard;
        ASSERT_TRUE(clipboard.HasFormat(CF_DIB));
        EXPECT_FALSE(clipboard.HasFormat(CF_BITMAP));
        clipboard.Open();
        HGLOBAL block = clipboard.GetAsHandle(CF_DIB);
        ASSERT_NE(block, nullptr);
        BITMAPINFOHEADER header{};
        std::memcpy(&header, GlobalLock(block), sizeof header);
        GlobalUnlock(block);
        EXPECT_EQ(header.biWidth, 3);
        EXPECT_EQ(std::abs(header.biHeight), 2);
        clipboard.Close();
    }
    QGuiApplication::clipboard()->clear();
    EXPECT_FALSE(TClipboard().HasFormat(CF_DIB));
    SetClipboardBackend(nullptr);
}

} // namespace

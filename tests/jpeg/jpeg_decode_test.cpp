#include "JpegTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <ostream>
#include <jerror.h>
#include <jpeglib.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void ExpectSameAsReference(TBitmap& bitmap, const Pnm& reference)
{
    ASSERT_EQ(bitmap.PixelFormat(), pf24bit);
    ASSERT_EQ(bitmap.Width(), reference.width);
    ASSERT_EQ(bitmap.Height(), reference.height);
    for (int y = 0; y < reference.height; ++y) {
        const uint8_t* bgr = bitmap.ScanLine(y);
        const uint8_t* rgb = reference.Row(y);
        for (int x = 0; x < reference.width; ++x)
            ASSERT_TRUE(bgr[3 * x] == rgb[3 * x + 2] && bgr[3 * x + 1] == rgb[3 * x + 1] && bgr[3 * x + 2] == rgb[3 * x])
                << "pixel " << x << ", " << y;
    }
}

struct ReferenceCase {
    const char* jpeg;
    const char* reference;
    TJPEGScale scale;
    bool progressiveDisplay;
};

void PrintTo(const ReferenceCase& c, std::ostream* out)
{
    *out << c.jpeg << " scale " << int(c.scale) << (c.progressiveDisplay ? " progressive display" : "");
}

class DecodeMatchesDjpeg : public testing::TestWithParam<ReferenceCase> {};

TEST_P(DecodeMatchesDjpeg, ByteForByte)
{
    const ReferenceCase& c = GetParam();
    const Pnm reference = ReadPnm(JpegFixture(c.reference));
    TJPEGImage jpeg;
    jpeg.SetScale(c.scale);
    jpeg.SetProgressiveDisplay(c.progressiveDisplay);
    // Behind a segment the decoder skips, longer than one read of the stream.
    std::vector<uint8_t> bytes = ReadFileBytes(JpegFixture(c.jpeg));
    std::vector<uint8_t> skipped = {0xFF, 0xE1, 0x23, 0x2A};
    skipped.resize(0x232A + 2, 0x5A);
    bytes.insert(bytes.begin() + 2, skipped.begin(), skipped.end());
    LoadJpeg(jpeg, bytes);
    // The scaled size is known before anything is decoded.
    EXPECT_EQ(jpeg.Width(), reference.width);
    EXPECT_EQ(jpeg.Height(), reference.height);
    TBitmap bitmap;
    bitmap.Assign(&jpeg);
    ExpectSameAsReference(bitmap, reference);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, DecodeMatchesDjpeg,
                         testing::Values(ReferenceCase{"baseline420.jpg", "baseline420.ppm", jsFullSize, false},
                                         ReferenceCase{"baseline444.jpg", "baseline444.ppm", jsFullSize, false},
                                         ReferenceCase{"restart.jpg", "baseline420.ppm", jsFullSize, false},
                                         ReferenceCase{"progressive.jpg", "progressive.ppm", jsFullSize, false},
                                         ReferenceCase{"progressive.jpg", "progressive.ppm", jsFullSize, true},
                                         ReferenceCase{"baseline420.jpg", "baseline420_half.ppm", jsHalf, false}));

TEST(JpegHeader, LoadingReadsOnlyTheHeader)
{
    TJPEGImage baseline;
    LoadJpegFixture(baseline, "baseline420.jpg");
    EXPECT_EQ(baseline.Width(), 61);
    EXPECT_EQ(baseline.Height(), 47);
    EXPECT_FALSE(baseline.Empty());
    EXPECT_FALSE(baseline.Grayscale());
    EXPECT_FALSE(baseline.ProgressiveEncoding());

    TJPEGImage progressive;
    LoadJpegFixture(progressive, "progressive.jpg");
    EXPECT_TRUE(progressive.ProgressiveEncoding());

    TJPEGImage grey;
    LoadJpegFixture(grey, "grey.jpg");
    EXPECT_TRUE(grey.Grayscale());
}

TEST(JpegDecode, GreyFileGivesEightBitsWithAGreyPaletteEvenAt24Bits)
{
    const Pnm reference = ReadPnm(JpegFixture("grey.pgm"));
    TJPEGImage jpeg;
    jpeg.SetPixelFormat(jf24Bit);
    LoadJpegFixture(jpeg, "grey.jpg");
    TBitmap bitmap;
    bitmap.Assign(&jpeg);
    ASSERT_EQ(bitmap.PixelFormat(), pf8bit);
    const unsigned entries = GetPaletteEntries(bitmap.Palette(), 0, 0, nullptr);
    EXPECT_GT(entries, 200u);
    EXPECT_LE(entries, 236u);
    for (int y = 0; y < reference.height; ++y)
        for (int x = 0; x < reference.width; ++x) {
            const Rgb pixel = PixelOf(bitmap, x, y);
            ASSERT_TRUE(pixel.r == pixel.g && pixel.g == pixel.b);
            ASSERT_NEAR(pixel.r, reference.Row(y)[x], 2) << x << ", " << y;
        }
}

// Best speed takes the fast transform: close to the exact decode, not the same.
TEST(JpegDecode, BestSpeedTakesTheFastTransform)
{
    TJPEGImage exact, fast;
    fast.SetPerformance(jpBestSpeed);
    LoadJpegFixture(exact, "baseline420.jpg");
    LoadJpegFixture(fast, "baseline420.jpg");
    TBitmap a, b;
    a.Assign(&exact);
    b.Assign(&fast);
    ASSERT_EQ(b.PixelFormat(), pf24bit);
    long differ = 0, error = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) {
            const Rgb p = PixelOf(a, x, y), q = PixelOf(b, x, y);
            differ += p.r != q.r || p.g != q.g || p.b != q.b;
            error += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b);
        }
    EXPECT_GT(differ, 0);
    EXPECT_LT(error, 3L * a.Width() * a.Height());
}

TEST(JpegDecode, GreyscaleOptionMakesAColourFileGrey)
{
    TJPEGImage jpeg;
    jpeg.SetGrayscale(true);
    LoadJpegFixture(jpeg, "baseline420.jpg");
    TBitmap bitmap;
    bitmap.Assign(&jpeg);
    ASSERT_EQ(bitmap.PixelFormat(), pf8bit);
    const Rgb pixel = PixelOf(bitmap, 30, 20);
    EXPECT_TRUE(pixel.r == pixel.g && pixel.g == pixel.b);
}

// Every way of quantising gives an 8-bit picture of at most 236 colours
// that stays close to the exact decode.
struct QuantiseCase {
    const char* jpeg;
    TJPEGPerformance performance;
    bool progressiveDisplay;
    long meanError; // per channel; ordered dither over a fixed colour cube is coarser
};

void PrintTo(const QuantiseCase& c, std::ostream* out)
{
    *out << c.jpeg << (c.performance == jpBestSpeed ? " best speed" : " best quality")
         << (c.progressiveDisplay ? " progressive display" : "");
}

class EightBitDecode : public testing::TestWithParam<QuantiseCase> {};

TEST_P(EightBitDecode, StaysCloseToTheExactPicture)
{
    const QuantiseCase& c = GetParam();
    TJPEGImage exact;
    LoadJpegFixture(exact, c.jpeg);
    TBitmap reference;
    reference.Assign(&exact);

    TJPEGImage jpeg;
    jpeg.SetPixelFormat(jf8Bit);
    jpeg.SetPerformance(c.performance);
    jpeg.SetProgressiveDisplay(c.progressiveDisplay);
    LoadJpegFixture(jpeg, c.jpeg);
    jpeg.SetPaletteModified(false);
    TBitmap bitmap;
    bitmap.Assign(&jpeg);
    ASSERT_EQ(bitmap.PixelFormat(), pf8bit);
    // Best speed's fixed cube has 6 levels a channel; best quality picks up to 236 colours.
    const unsigned entries = GetPaletteEntries(bitmap.Palette(), 0, 0, nullptr);
    if (c.performance == jpBestSpeed)
        EXPECT_EQ(entries, 216u);
    else
        EXPECT_TRUE(entries > 216u && entries <= 236u) << entries;
    EXPECT_TRUE(jpeg.PaletteModified()) << "the decode's own palette is new";
    long error = 0;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) {
            const Rgb a = PixelOf(bitmap, x, y);
            const Rgb b = PixelOf(reference, x, y);
            error += std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
        }
    const long mean = error / (3L * bitmap.Width() * bitmap.Height());
    EXPECT_LT(mean, c.meanError);
}

INSTANTIATE_TEST_SUITE_P(Options, EightBitDecode,
                         testing::Values(QuantiseCase{"baseline420.jpg", jpBestQuality, false, 8},
                                         QuantiseCase{"baseline420.jpg", jpBestSpeed, false, 24},
                                         QuantiseCase{"progressive.jpg", jpBestQuality, true, 8},
                                         QuantiseCase{"progressive.jpg", jpBestSpeed, true, 24}));

// The inverted CMYK samples as the library gives them, converted by the rule
// R = max(0, C + K - 255) and so on.
TEST(JpegDecode, CmykConvertsByTheInvertedRule)
{
    const std::vector<uint8_t> bytes = ReadFileBytes(JpegFixture("cmyk.jpg"));
    jpeg_decompress_struct d{};
    jpeg_error_mgr err{};
    d.err = jpeg_std_error(&err);
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, bytes.data(), bytes.size());
    jpeg_read_header(&d, TRUE);
    ASSERT_EQ(d.out_color_space, JCS_CMYK);
    jpeg_start_decompress(&d);
    std::vector<uint8_t> cmyk(static_cast<size_t>(d.output_width) * d.output_height * 4);
    while (d.output_scanline < d.output_height) {
        JSAMPROW row = cmyk.data() + static_cast<size_t>(d.output_scanline) * d.output_width * 4;
        jpeg_read_scanlines(&d, &row, 1);
    }
    const int width = static_cast<int>(d.output_width);
    const int height = static_cast<int>(d.output_height);
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);

    // CMYK is never quantised, whatever the pixel format asks for.
    for (TJPEGPixelFormat format : {jf24Bit, jf8Bit}) {
        TJPEGImage jpeg;
        jpeg.SetPixelFormat(format);
        LoadJpeg(jpeg, bytes);
        TBitmap bitmap;
        bitmap.Assign(&jpeg);
        ASSERT_EQ(bitmap.PixelFormat(), pf24bit);
        ASSERT_EQ(bitmap.Width(), width);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const uint8_t* s = &cmyk[(static_cast<size_t>(y) * width + x) * 4];
                const Rgb pixel = PixelOf(bitmap, x, y);
                ASSERT_EQ(pixel.r, std::max(0, s[0] + s[3] - 255));
                ASSERT_EQ(pixel.g, std::max(0, s[1] + s[3] - 255));
                ASSERT_EQ(pixel.b, std::max(0, s[2] + s[3] - 255));
            }
    }
}

TEST(JpegDecode, TruncatedFileDecodesWhatIsThere)
{
    TJPEGImage jpeg;
    LoadJpegFixture(jpeg, "truncated.jpg");
    TBitmap bitmap;
    bitmap.Assign(&jpeg);
    EXPECT_EQ(bitmap.Width(), 61);
    EXPECT_EQ(bitmap.Height(), 47);

    // A progressive file cut after its first scan lacks every AC coefficient: only with
    // smoothing asked for are its blocks smoothed.
    std::vector<uint8_t> cut = ReadFileBytes(JpegFixture("progressive.jpg"));
    const uint8_t scan[] = {0xFF, 0xDA}, table[] = {0xFF, 0xC4};
    const auto first = std::search(cut.begin(), cut.end(), scan, scan + 2);
    cut.erase(std::search(first, cut.end(), table, table + 2), cut.end());
    std::vector<std::vector<uint8_t>> rows;
    for (bool smoothing : {false, true}) {
        TJPEGImage progressive;
        progressive.SetSmoothing(smoothing);
        LoadJpeg(progressive, cut);
        TBitmap decoded;
        decoded.Assign(&progressive);
        rows.emplace_back(decoded.ScanLine(20), decoded.ScanLine(20) + 3 * decoded.Width());
    }
    EXPECT_NE(rows[0], rows[1]);
}

TEST(JpegDecode, GarbageAfterTheHeaderRaisesAndKeepsThePartialPicture)
{
    TJPEGImage jpeg;
    LoadJpegFixture(jpeg, "garbage.jpg");
    TBitmap bitmap;
    try {
        jpeg.DIBNeeded();
        FAIL() << "no error";
    } catch (const EJPEG& e) {
        EXPECT_EQ(e.Message(), "JPEG エラー #68");
    }
    // The partial picture stays cached and is handed out without a new error.
    bitmap.Assign(&jpeg);
    EXPECT_EQ(bitmap.Width(), 61);
}

TEST(JpegDecode, BadDataRaisesWithTheLibraryCode)
{
    TJPEGImage jpeg;
    try {
        LoadJpeg(jpeg, {'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'e', 'g'});
        FAIL() << "no error";
    } catch (const EJPEG& e) {
        EXPECT_EQ(e.Message(), "JPEG エラー #53");
    }
    EXPECT_THROW(jpeg.DIBNeeded(), EJPEG);
}

TEST(JpegDecode, OneRowPicture)
{
    TBitmap source;
    PaintTestPicture(source, 37, 1);
    TJPEGImage encoder;
    encoder.Assign(&source);
    const std::vector<uint8_t> bytes = SavedBytes(encoder);
    TJPEGImage jpeg;
    LoadJpeg(jpeg, bytes);
    TBitmap bitmap;
    bitmap.Assign(&jpeg);
    EXPECT_EQ(bitmap.Width(), 37);
    EXPECT_EQ(bitmap.Height(), 1);
}

TEST(JpegDecode, QuarterScaleRoundsUp)
{
    TBitmap source;
    PaintTestPicture(source, 1000, 750);
    TJPEGImage encoder;
    encoder.SetCompressionQuality(20);
    encoder.Assign(&source);
    const std::vector<uint8_t> bytes = SavedBytes(encoder);

    TJPEGImage jpeg;
    jpeg.SetScale(jsQuarter);
    LoadJpeg(jpeg, bytes);
    EXPECT_EQ(jpeg.Width(), 250);
    EXPECT_EQ(jpeg.Height(), 188);
    TBitmap bitmap;
    bitmap.Assign(&jpeg);
    EXPECT_EQ(bitmap.Width(), 250);
    EXPECT_EQ(bitmap.Height(), 188);

    // Emptied, it measures nothing at any scale.
    TJPEGImage empty;
    jpeg.Assign(&empty);
    jpeg.SetScale(jsHalf);
    EXPECT_EQ(jpeg.Width(), 0);
    EXPECT_EQ(jpeg.Height(), 0);
}

TEST(JpegDecode, ProgressStartsAndEnds_AndAnAbortKeepsThePicture)
{
    TJPEGImage jpeg;
    LoadJpegFixture(jpeg, "baseline420.jpg");
    std::vector<TProgressStage> stages;
    jpeg.OnProgress = [&](TPersistent*, TProgressStage stage, uint8_t percent, bool, const TRect&, const std::string&) {
        stages.push_back(stage);
        if (stage != TProgressStage::psRunning) {
            EXPECT_EQ(percent, stage == TProgressStage::psEnding ? 100 : 0);
        }
    };
    jpeg.DIBNeeded();
    ASSERT_FALSE(stages.empty());
    EXPECT_EQ(stages.front(), TProgressStage::psStarting);
    EXPECT_EQ(stages.back(), TProgressStage::psEnding);

    TJPEGImage aborted;
    LoadJpegFixture(aborted, "baseline420.jpg");
    int endingPercent = -1;
    aborted.OnProgress = [&](TPersistent*, TProgressStage stage, uint8_t percent, bool, const TRect&, const std::string&) {
        if (stage == TProgressStage::psStarting)
            throw EAbort();
        endingPercent = percent;
    };
    EXPECT_NO_THROW(aborted.DIBNeeded());
    EXPECT_EQ(endingPercent, 0);
}

// A copy of a fixture whose frame header claims another size.
std::vector<uint8_t> WithFrameSize(std::vector<uint8_t> bytes, int width, int height)
{
    size_t at = 0;
    while (!(bytes[at] == 0xFF && (bytes[at + 1] == 0xC0 || bytes[at + 1] == 0xC2)))
        ++at;
    const uint8_t size[4] = {uint8_t(height >> 8), uint8_t(height), uint8_t(width >> 8), uint8_t(width)};
    std::copy(size, size + 4, bytes.begin() + static_cast<ptrdiff_t>(at) + 5);
    return bytes;
}

// Runs check in a child whose address space may grow by at most extra bytes,
// so a decoder that allocates for the picture fails there and not the machine.
bool HoldsWithinMemory(uint64_t extra, const std::function<bool()>& check)
{
    const pid_t child = ::fork();
    if (child == 0) {
        uint64_t pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        rlimit limit{};
        ::getrlimit(RLIMIT_AS, &limit);
        limit.rlim_cur = pages * static_cast<uint64_t>(::sysconf(_SC_PAGESIZE)) + extra;
        ::setrlimit(RLIMIT_AS, &limit);
        bool held = false;
        try {
            held = check();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s\n", e.what());
        }
        ::_exit(held ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A few kilobytes describing a picture no bitmap can hold are refused before
// anything is allocated for it: the output at its scale and depth, and for a
// progressive file its full-size picture, whose coefficients libjpeg keeps.
// Pictures just inside at their depth are not refused (and fail later, for
// want of memory).
TEST(JpegDecode, PictureNoBitmapCouldHoldIsRefusedBeforeAnythingLargeIsAllocated)
{
    TBitmap grey;
    PaintTestPicture(grey, 16, 8);
    TJPEGImage greyEncoder;
    greyEncoder.SetGrayscale(true);
    greyEncoder.SetProgressiveEncoding(true);
    greyEncoder.Assign(&grey);
    const std::vector<uint8_t> progressive = ReadFileBytes(JpegFixture("progressive.jpg"));
    const std::vector<uint8_t> baseline = ReadFileBytes(JpegFixture("baseline420.jpg"));
    const std::vector<uint8_t> greyProgressive = SavedBytes(greyEncoder);
    // 65500 x 10928 at 24 bits and 65500 x 32786 at 8 bits are the tallest
    // that fit 2^31 - 1 bytes.
    const struct {
        const std::vector<uint8_t>& file;
        int width, height;
        TJPEGScale scale;
        TJPEGPixelFormat format;
        bool refused;
    } cases[] = {{progressive, 65500, 65500, jsFullSize, jf24Bit, true},
                 {progressive, 65500, 65500, jsEighth, jf24Bit, true}, // the output would fit
                 {baseline, 65500, 10928, jsFullSize, jf24Bit, false},
                 {baseline, 65500, 10929, jsFullSize, jf24Bit, true},
                 {baseline, 65500, 32786, jsFullSize, jf8Bit, false},
                 {baseline, 65500, 32787, jsFullSize, jf8Bit, true},
                 {progressive, 65500, 10928, jsFullSize, jf8Bit, false},
                 {progressive, 65500, 10929, jsFullSize, jf8Bit, true}, // so would an 8-bit one
                 {greyProgressive, 65500, 32786, jsFullSize, jf24Bit, false},
                 {greyProgressive, 65500, 32787, jsFullSize, jf24Bit, true}};
    for (const auto& c : cases) {
#if defined(__SANITIZE_ADDRESS__)
        // The sanitizer's allocator aborts on the failed allocation that follows.
        if (!c.refused)
            continue;
#endif
        const bool held = HoldsWithinMemory(64 << 20, [&] {
            TJPEGImage jpeg;
            jpeg.SetScale(c.scale);
            jpeg.SetPixelFormat(c.format);
            LoadJpeg(jpeg, WithFrameSize(c.file, c.width, c.height));
            try {
                jpeg.DIBNeeded();
            } catch (const EJPEG& e) {
                return (e.Message() == "JPEG エラー #" + std::to_string(JERR_IMAGE_TOO_BIG)) == c.refused;
            } catch (...) {
            }
            return !c.refused;
        });
        EXPECT_TRUE(held) << c.width << " x " << c.height << ", scale " << int(c.scale) << ", refused " << c.refused;
    }
}

// The cap on libjpeg's memory holds what a real picture needs: a progressive
// 4:4:4 file's coefficients and the two-pass quantiser's copy of it, and a
// single-scan file's quantiser copy larger than the working rows' allowance.
TEST(JpegDecode, LargePicturesStillDecodeAtEightBitsUnderTheLibraryCap)
{
    for (const bool progressive : {true, false}) {
        const int width = progressive ? 2000 : 3000, height = progressive ? 1500 : 2000;
        TBitmap source;
        PaintTestPicture(source, width, height);
        TJPEGImage encoder;
        encoder.SetProgressiveEncoding(progressive);
        encoder.SetDownSampling(!progressive);
        encoder.Assign(&source);
        TJPEGImage jpeg;
        jpeg.SetPixelFormat(jf8Bit);
        LoadJpeg(jpeg, SavedBytes(encoder));
        TBitmap bitmap;
        EXPECT_NO_THROW(bitmap.Assign(&jpeg)) << width;
        EXPECT_EQ(bitmap.Height(), height);
    }
}

TEST(JpegDecode, ImpossibleLengthInStoredDataIsAReadError)
{
    TMemoryStream stream;
    const uint8_t length[4] = {0xF0, 0xFF, 0xFF, 0x7F};
    stream.WriteBuffer(length, 4);
    stream.WriteBuffer("abc", 3);
    stream.SetPosition(0);
    TJPEGImage jpeg;
    EXPECT_THROW(jpeg.ReadData(stream), EReadError);
}

} // namespace

// Reading JPEG data: the header on load, the scaled size, and the decoding
// into the cached bitmap (with quantisation to 8 bits, grey output,
// progressive display and CMYK conversion).
#include "jpeg/JPEGLibraryRecord.h"
#include "jpeg/jpegSIMD.h"

#include <algorithm>
#include <string>
#include <vector>

#include <jerror.h>

namespace {

// Where the rows of a bitmap lie and how many go to the library per call.
struct TRowWalk {
    uint8_t* first;
    ptrdiff_t pitch;
    int batch;
};

TRowWalk WalkRows(TBitmap& bitmap, int height, int batch)
{
    uint8_t* first = bitmap.ScanLine(0);
    const ptrdiff_t pitch = height > 1 ? bitmap.ScanLine(1) - first : 0;
    const bool topDown = pitch > 0 && pitch % 4 == 0;
    return TRowWalk{first, pitch, topDown ? batch : 1};
}

// Inverted CMYK (as Adobe writes it) to B, G, R.
void ConvertCMYKRow(const uint8_t* cmyk, uint8_t* bgr, JDIMENSION width)
{
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        const int k = cmyk[3];
        bgr[0] = static_cast<uint8_t>(std::max(0, cmyk[2] + k - 255));
        bgr[1] = static_cast<uint8_t>(std::max(0, cmyk[1] + k - 255));
        bgr[2] = static_cast<uint8_t>(std::max(0, cmyk[0] + k - 255));
    }
}

// Reads the rest of the current output pass into the bitmap from its top
// row. The rows are looked up afresh: setting a palette moves them.
void ReadRows(TJPEGLibraryRecord& record, TBitmap& bitmap)
{
    jpeg_decompress_struct& d = record.d;
    const TRowWalk walk = WalkRows(bitmap, static_cast<int>(d.output_height), d.rec_outbuf_height);
    uint8_t* row = walk.first;
    if (d.out_color_space == JCS_CMYK) {
        std::vector<uint8_t> buffer(static_cast<size_t>(d.output_width) * 4);
        JSAMPROW line = buffer.data();
        while (d.output_scanline < d.output_height) {
            JDIMENSION n = 0;
            JPEGCall(record, [&] { n = jpeg_read_scanlines(&d, &line, 1); });
            if (n == 0)
                break;
            ConvertCMYKRow(buffer.data(), row, d.output_width);
            row += walk.pitch;
        }
        return;
    }
    std::vector<JSAMPROW> rows(static_cast<size_t>(walk.batch));
    while (d.output_scanline < d.output_height) {
        const auto count = std::min<JDIMENSION>(static_cast<JDIMENSION>(walk.batch), d.output_height - d.output_scanline);
        for (JDIMENSION i = 0; i < count; ++i)
            rows[i] = row + static_cast<ptrdiff_t>(i) * walk.pitch;
        JDIMENSION n = 0;
        JPEGCall(record, [&] { n = jpeg_read_scanlines(&d, rows.data(), count); });
        if (n == 0)
            break;
        row += static_cast<ptrdiff_t>(n) * walk.pitch;
    }
}

// A palette of the library's colour map: grey entries from its one row, or
// colours from its rows in B, G, R order.
HPALETTE PaletteFromColormap(const jpeg_decompress_struct& d)
{
    LOGPALETTE palette{};
    palette.palVersion = 0x300;
    const int count = std::clamp(d.actual_number_of_colors, 0, 256);
    palette.palNumEntries = static_cast<WORD>(count);
    const bool grey = d.out_color_components == 1;
    for (int i = 0; i < count; ++i) {
        PALETTEENTRY& entry = palette.palPalEntry[i];
        if (grey) {
            entry.peRed = entry.peGreen = entry.peBlue = d.colormap[0][i];
        } else {
            entry.peRed = d.colormap[2][i];
            entry.peGreen = d.colormap[1][i];
            entry.peBlue = d.colormap[0][i];
        }
    }
    return CreatePalette(&palette);
}

// Hands the entries of palette to the library as its colour map.
void UsePaletteAsColormap(TJPEGLibraryRecord& record, HPALETTE palette, unsigned count)
{
    PALETTEENTRY entries[256];
    GetPaletteEntries(palette, 0, count, entries);
    jpeg_decompress_struct& d = record.d;
    JPEGCall(record, [&] {
        d.colormap = d.mem->alloc_sarray(record.Common(), JPOOL_IMAGE, count, 3);
    });
    for (unsigned i = 0; i < count; ++i) {
        d.colormap[0][i] = entries[i].peBlue;
        d.colormap[1][i] = entries[i].peGreen;
        d.colormap[2][i] = entries[i].peRed;
    }
    d.actual_number_of_colors = static_cast<int>(count);
}

// Refuses a picture that no bitmap could hold before libjpeg allocates
// anything for it. A file of several scans keeps the coefficients of its
// full-size picture whatever the scale and output depth, so that picture, one
// byte a sample as the file holds it, must fit a bitmap too.
void RefuseOversizedPicture(jpeg_decompress_struct& d)
{
    const bool outputFits = BitmapSizeFits(d.output_width, d.output_height, d.quantize_colors ? 8 : 24);
    const bool fileFits = !jpeg_has_multiple_scans(&d)
                          || BitmapSizeFits(d.image_width, d.image_height, d.num_components == 1 ? 8 : 24);
    if (!outputFits || !fileFits)
        throw EJPEG("JPEG エラー #" + std::to_string(JERR_IMAGE_TOO_BIG));
}

// The most libjpeg may give its whole-image buffers for this picture: the
// coefficients of a file of several scans (blocks padded to whole MCUs), the
// two-pass quantiser's copy of the output, and room for the working rows of
// the widest picture. Past it libjpeg refuses (it has no backing store)
// instead of allocating.
long LibraryMemoryCap(jpeg_decompress_struct& d)
{
    constexpr int64_t workingRows = int64_t{16} << 20;
    int64_t cap = workingRows;
    if (jpeg_has_multiple_scans(&d)) {
        auto roundUp = [](int64_t blocks, int64_t factor) { return (blocks + factor - 1) / factor * factor; };
        for (int i = 0; i < d.num_components; ++i) {
            const jpeg_component_info& c = d.comp_info[i];
            cap += roundUp(c.width_in_blocks, c.h_samp_factor) * roundUp(c.height_in_blocks, c.v_samp_factor)
                   * static_cast<int64_t>(sizeof(JBLOCK));
        }
    }
    if (d.quantize_colors)
        cap += static_cast<int64_t>(d.output_width) * d.out_color_components * d.output_height;
    return static_cast<long>(cap);
}

} // namespace

void TJPEGImage::ReadJPEGStream(int64_t Count, TStream& Stream)
{
    ResetData();
    DropBitmap();
    // A length beyond the stream's end is a short read, found before allocating it.
    if (Count < 0 || Count > Stream.Size() - Stream.Position())
        throw EReadError("Stream read error");
    auto data = std::make_unique<TMemoryStream>();
    data->SetSize(Count);
    Stream.ReadBuffer(data->Memory(), Count);
    FImage->FData = std::move(data);
    if (Count > 0) {
        TJPEGLibraryRecord record;
        CreateDecompress(record, nullptr);
        FImage->FData->SetPosition(0);
        jpeg_stdio_src(record, *FImage->FData);
        jpeg_decompress_struct& d = record.d;
        JPEGCall(record, [&] { jpeg_read_header(&d, TRUE); });
        FImage->FWidth = static_cast<int>(d.image_width);
        FImage->FHeight = static_cast<int>(d.image_height);
        FImage->FGrayscale = d.jpeg_color_space == JCS_GRAYSCALE;
        FProgressiveEncoding = jpeg_has_multiple_scans(&d);
    }
    SetPaletteModified(true);
    Changed(this);
}

void TJPEGImage::SetupDecompress(TJPEGLibraryRecord& Record)
{
    try {
        CreateDecompress(Record, this);
        jpeg_decompress_struct& d = Record.d;
        FImage->FData->SetPosition(0);
        jpeg_stdio_src(Record, *FImage->FData);
        JPEGCall(Record, [&] { jpeg_read_header(&d, TRUE); });

        d.scale_num = 1;
        d.scale_denom = 1u << FScale;
        d.do_block_smoothing = FSmoothing;
        if (FGrayscale)
            d.out_color_space = JCS_GRAYSCALE;
        // Everything that is neither grey nor CMYK comes out as B, G, R, the
        // order of a 24-bit bitmap row; the library refuses conversions it lacks.
        if (d.out_color_space != JCS_GRAYSCALE && d.out_color_space != JCS_CMYK)
            d.out_color_space = JCS_EXT_BGR;
        // CMYK rows are converted to 24 bits here, never quantised: the
        // library's colour map would hold CMYK values.
        if ((FPixelFormat == jf8Bit || d.out_color_space == JCS_GRAYSCALE) && d.out_color_space != JCS_CMYK) {
            d.quantize_colors = TRUE;
            d.desired_number_of_colors = 236;
        }
        if (FPerformance == jpBestSpeed) {
            d.dct_method = JDCT_IFAST;
            d.two_pass_quantize = FALSE;
            d.dither_mode = JDITHER_ORDERED;
        }
        Record.FinalDCT = d.dct_method;
        Record.FinalTwoPassQuant = d.two_pass_quantize;
        Record.FinalDitherMode = d.dither_mode;
        if (FProgressiveDisplay && jpeg_has_multiple_scans(&d)) {
            d.enable_2pass_quant = d.two_pass_quantize;
            d.dct_method = JDCT_IFAST;
            d.two_pass_quantize = FALSE;
            d.dither_mode = JDITHER_ORDERED;
            d.buffered_image = TRUE;
        }
    } catch (...) {
        Record.Release();
        throw;
    }
}

void TJPEGImage::CalcScaledSize() const
{
    if (!FNeedRecalc)
        return;
    if (!HasData()) {
        FScaledWidth = 0;
        FScaledHeight = 0;
        return;
    }
    auto* self = const_cast<TJPEGImage*>(this);
    TJPEGLibraryRecord record;
    self->SetupDecompress(record);
    record.d.progress = nullptr;
    JPEGCall(record, [&] { jpeg_calc_output_dimensions(&record.d); });
    FScaledWidth = static_cast<int>(record.d.output_width);
    FScaledHeight = static_cast<int>(record.d.output_height);
    FProgressiveEncoding = jpeg_has_multiple_scans(&record.d);
}

TBitmap& TJPEGImage::DecodeBitmap()
{
    if (FBitmap)
        return *FBitmap;
    ResetBitmap();
    TBitmap& bitmap = *FBitmap;
    if (!HasData())
        return bitmap;
    TJPEGLibraryRecord record;
    SetupDecompress(record);
    std::exception_ptr failure;
    try {
        DecodeInto(record, bitmap);
    } catch (...) {
        failure = std::current_exception();
    }
    record.Release();
    Progress(this, TProgressStage::psEnding, failure ? 0 : 100, PaletteModified(), TRect{}, std::string());
    if (PaletteModified())
        Changed(this);
    if (failure) {
        try {
            std::rethrow_exception(failure);
        } catch (const EAbort&) {
            // Cancelled from the progress handler: keep what was decoded.
        }
    }
    return bitmap;
}

void TJPEGImage::DecodeInto(TJPEGLibraryRecord& Record, TBitmap& Bitmap)
{
    jpeg_decompress_struct& d = Record.d;
    const bool eightBit = d.quantize_colors;
    Bitmap.FreeImage();
    Bitmap.SetPixelFormat(eightBit ? pf8bit : pf24bit);
    Progress(this, TProgressStage::psStarting, 0, false, TRect{}, std::string());

    // A palette of the caller's is used as the colour map for colour output;
    // the library makes its own for grey output, which ignores one given.
    bool paletteFromLibrary = true;
    if (FTempPal != nullptr) {
        const unsigned count = std::min(GetPaletteEntries(FTempPal, 0, 0, nullptr), 256u);
        if (FPixelFormat == jf8Bit && eightBit && d.out_color_space != JCS_GRAYSCALE && count > 0) {
            UsePaletteAsColormap(Record, FTempPal, count);
            paletteFromLibrary = false;
        } else if (FPixelFormat == jf24Bit) {
            DeleteObject(FTempPal);
            FTempPal = nullptr;
        }
    }

    JPEGCall(Record, [&] { jpeg_calc_output_dimensions(&d); });
    RefuseOversizedPicture(d);
    d.mem->max_memory_to_use = LibraryMemoryCap(d);
    JPEGCall(Record, [&] { jpeg_start_decompress(&d); });
    Bitmap.FreeImage();
    Bitmap.SetSize(static_cast<int>(d.output_width), static_cast<int>(d.output_height));
    if (!paletteFromLibrary)
        Bitmap.SetPalette(CopyPalette(FTempPal));
    const bool expected = eightBit ? d.output_components == 1
                                   : d.output_components == (d.out_color_space == JCS_CMYK ? 4 : 3);
    if (!expected)
        throw EJPEG("JPEG エラー #" + std::to_string(JERR_CONVERSION_NOTIMPL));

    if (d.buffered_image) {
        bool firstPass = true;
        for (;;) {
            int status = 0;
            JPEGCall(Record, [&] { status = jpeg_consume_input(&d); });
            if (status == JPEG_REACHED_EOI || status == JPEG_SUSPENDED)
                break;
            JPEGCall(Record, [&] { jpeg_start_output(&d, d.input_scan_number); });
            if (firstPass && d.colormap != nullptr && eightBit && paletteFromLibrary) {
                Bitmap.SetPalette(PaletteFromColormap(d));
                SetPaletteModified(true);
            }
            firstPass = false;
            ReadRows(Record, Bitmap);
            JPEGCall(Record, [&] { jpeg_finish_output(&d); });
        }
        d.dct_method = Record.FinalDCT;
        d.dither_mode = Record.FinalDitherMode;
        if (Record.FinalTwoPassQuant) {
            d.two_pass_quantize = TRUE;
            // A new colour map for the final pass, unless it is the caller's palette.
            if (paletteFromLibrary)
                d.colormap = nullptr;
        }
        JPEGCall(Record, [&] { jpeg_start_output(&d, d.input_scan_number); });
    }
    if ((!d.buffered_image || Record.FinalTwoPassQuant) && d.colormap != nullptr && paletteFromLibrary) {
        Bitmap.SetPalette(PaletteFromColormap(d));
        SetPaletteModified(true);
    }
    ReadRows(Record, Bitmap);
    if (d.buffered_image)
        JPEGCall(Record, [&] { jpeg_finish_output(&d); });
    JPEGCall(Record, [&] { jpeg_finish_decompress(&d); });
}

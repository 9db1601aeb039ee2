// Encoding the picture into new JPEG data.
#include "jpeg/JPEGLibraryRecord.h"
#include "jpeg/jpegSIMD.h"

#include <algorithm>
#include <vector>

void TJPEGImage::Compress()
{
    // With data but no picture, the data is decoded first so that
    // compressing again never loses the image.
    if ((!FBitmap || FBitmap->Empty()) && HasData())
        DecodeBitmap();
    TJPEGLibraryRecord record;
    try {
        ResetData();
        FImage->FData = std::make_unique<TMemoryStream>();
        if (!FBitmap || FBitmap->Width() == 0 || FBitmap->Height() == 0)
            return;

        CreateCompress(record, this);
        jpeg_compress_struct& c = record.c;
        jpeg_stdio_dest(record, *FImage->FData);
        FImage->FWidth = FBitmap->Width();
        FImage->FHeight = FBitmap->Height();
        c.image_width = static_cast<JDIMENSION>(FImage->FWidth);
        c.image_height = static_cast<JDIMENSION>(FImage->FHeight);
        c.input_components = 3;
        c.in_color_space = JCS_EXT_BGR;

        // The rows must be 24-bit; another depth is converted in a copy.
        std::unique_ptr<TBitmap> converted;
        TBitmap* source = FBitmap.get();
        if (source->PixelFormat() != pf24bit) {
            converted = std::make_unique<TBitmap>();
            converted->Assign(source);
            converted->SetPixelFormat(pf24bit);
            source = converted.get();
        }

        JPEGCall(record, [&] {
            jpeg_set_defaults(&c);
            jpeg_set_quality(&c, FQuality, TRUE);
        });
        c.comp_info[0].h_samp_factor = FDownSampling ? FhSamplingFactor : 1;
        c.comp_info[0].v_samp_factor = FDownSampling ? FvSamplingFactor : 1;
        if (FGrayscale) {
            FImage->FGrayscale = true;
            JPEGCall(record, [&] { jpeg_set_colorspace(&c, JCS_GRAYSCALE); });
        }
        if (FProgressiveEncoding)
            JPEGCall(record, [&] { jpeg_simple_progression(&c); });
        else
            c.optimize_coding = TRUE;

        // The whole picture goes to the library in one call when its rows
        // are evenly spaced top-down.
        const int height = FImage->FHeight;
        uint8_t* row = source->ScanLine(0);
        const ptrdiff_t pitch = height > 1 ? source->ScanLine(1) - row : 0;
        const int batch = pitch > 0 && pitch % 4 == 0 ? height : 1;
        std::vector<JSAMPROW> rows(static_cast<size_t>(batch));
        Progress(this, TProgressStage::psStarting, 0, false, TRect{}, std::string());
        JPEGCall(record, [&] { jpeg_start_compress(&c, TRUE); });
        while (c.next_scanline < c.image_height) {
            const auto count = std::min<JDIMENSION>(static_cast<JDIMENSION>(batch), c.image_height - c.next_scanline);
            for (JDIMENSION i = 0; i < count; ++i)
                rows[i] = row + static_cast<ptrdiff_t>(i) * pitch;
            JDIMENSION n = 0;
            JPEGCall(record, [&] { n = jpeg_write_scanlines(&c, rows.data(), count); });
            if (n == 0)
                break;
            row += static_cast<ptrdiff_t>(n) * pitch;
        }
        JPEGCall(record, [&] { jpeg_finish_compress(&c); });
        Progress(this, TProgressStage::psEnding, 100, false, TRect{}, std::string());
    } catch (const EAbort&) {
        ResetData();
    }
}

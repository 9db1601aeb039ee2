#include "jpeg/JPEGLibraryRecord.h"

#include "jpeg/jpegSIMD.h"
#include "platform/core/TickCount.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace {

// Leaves the library through the caller's jump point; never returns into it.
void JPEGErrorExit(j_common_ptr cinfo)
{
    std::longjmp(static_cast<TJPEGLibraryRecord*>(cinfo->client_data)->jump, 1);
}

// Warnings about corrupt but decodable data are silent.
void JPEGEmitMessage(j_common_ptr, int) {}
void JPEGOutputMessage(j_common_ptr) {}
void JPEGFormatMessage(j_common_ptr, char*) {}

void JPEGResetErrorMgr(j_common_ptr cinfo)
{
    cinfo->err->msg_code = 0;
    cinfo->err->num_warnings = 0;
}

void InstallErrorManager(TJPEGLibraryRecord& record)
{
    jpeg_std_error(&record.err);
    record.err.error_exit = JPEGErrorExit;
    record.err.emit_message = JPEGEmitMessage;
    record.err.output_message = JPEGOutputMessage;
    record.err.format_message = JPEGFormatMessage;
    record.err.reset_error_mgr = JPEGResetErrorMgr;
    record.d.err = &record.err;
    record.d.client_data = &record;
}

void InstallProgress(TJPEGLibraryRecord& record, TJPEGImage* progressTarget)
{
    if (progressTarget == nullptr)
        return;
    record.progress.pub.progress_monitor = JPEGProgress;
    record.progress.instance = progressTarget;
    record.d.progress = &record.progress.pub;
}

// The C++ half of the progress hook: any exception of the image's progress
// handler (EAbort to cancel) is kept for JPEGCall to raise.
bool ReportProgress(TJPEGLibraryRecord& record) noexcept
{
    try {
        TJPEGProgressMgr& progress = record.progress;
        TJPEGImage* image = progress.instance;
        if (image == nullptr)
            return true;
        const uint32_t now = GetTickCount();
        if (now - progress.last_time < 500)
            return true;
        const uint32_t previous = progress.last_time;
        progress.last_time = now;
        if (previous == 0)
            return true;

        const bool decompressing = record.d.is_decompressor;
        TRect band;
        if (decompressing) {
            const jpeg_decompress_struct& d = record.d;
            band = Rect(0, progress.last_scanline, static_cast<int>(d.output_width),
                        static_cast<int>(d.output_scanline));
            // A new output pass started over from the top.
            if (band.Bottom < progress.last_scanline)
                band.Bottom = static_cast<int>(d.output_height);
        }
        const int percent = JPEGPercentDone(progress.pub.pass_counter, progress.pub.pass_limit,
                                            progress.pub.completed_passes, progress.pub.total_passes);
        if (percent < 0 || percent == progress.last_pct)
            return true;
        progress.last_pct = percent;
        if (decompressing)
            progress.last_scanline = static_cast<int>(record.d.output_scanline);
        image->Progress(image, TProgressStage::psRunning, static_cast<uint8_t>(percent), band.Height() > 3,
                        band, std::string());
        return true;
    } catch (...) {
        record.pending = std::current_exception();
        return false;
    }
}

} // namespace

TJPEGLibraryRecord::TJPEGLibraryRecord()
{
    std::memset(&err, 0, sizeof err);
    std::memset(&progress, 0, sizeof progress);
    FinalDCT = JDCT_ISLOW;
    FinalTwoPassQuant = FALSE;
    FinalDitherMode = JDITHER_NONE;
    std::memset(&source, 0, sizeof source);
    std::memset(&destination, 0, sizeof destination);
    std::memset(&d, 0, std::max(sizeof d, sizeof c));
}

void TJPEGLibraryRecord::Release()
{
    if (created) {
        jpeg_destroy(Common());
        created = false;
    }
}

void CreateDecompress(TJPEGLibraryRecord& record, TJPEGImage* progressTarget)
{
    InstallErrorManager(record);
    record.created = true;
    JPEGCall(record, [&] { jpeg_CreateDecompress(&record.d, JPEG_LIB_VERSION, sizeof record.d); });
    InstallProgress(record, progressTarget);
}

void CreateCompress(TJPEGLibraryRecord& record, TJPEGImage* progressTarget)
{
    InstallErrorManager(record);
    record.created = true;
    JPEGCall(record, [&] { jpeg_CreateCompress(&record.c, JPEG_LIB_VERSION, sizeof record.c); });
    InstallProgress(record, progressTarget);
}

void JPEGProgress(j_common_ptr cinfo)
{
    auto* record = static_cast<TJPEGLibraryRecord*>(cinfo->client_data);
    if (!ReportProgress(*record))
        std::longjmp(record->jump, 1);
}

void RaiseLibraryError(TJPEGLibraryRecord& record)
{
    if (record.pending)
        std::rethrow_exception(std::exchange(record.pending, nullptr));
    char text[64];
    std::snprintf(text, sizeof text, "JPEG エラー #%d", record.err.msg_code);
    throw EJPEG(text);
}

int JPEGPercentDone(long passCounter, long passLimit, int completedPasses, int totalPasses)
{
    if (passLimit <= 0 || totalPasses <= 0)
        return -1;
    const long double done =
        (static_cast<long double>(passCounter) / passLimit + completedPasses) * 100 / totalPasses;
    return static_cast<int>(std::clamp<long double>(std::trunc(done), 0, 100));
}

// What one decode, header read or compression hands to libjpeg: the error
// manager, the progress manager, the stream managers and the library's own
// structure, kept together so that every hook finds the rest.
//
// libjpeg is C: its error_exit must not return, and a C++ exception must not
// unwind through its frames. Every library call therefore goes through
// JPEGCall, which sets a jump point; error_exit and any hook whose C++ work
// failed jump back to it, and JPEGCall raises the exception on our side.
#pragma once

#include "platform/core/JumpGuard.h"
#include "platform/core/Streams.h"

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <exception>

#include <jpeglib.h>

class TJPEGImage;

// The buffer size of the stream source and destination.
constexpr size_t JPEGStreamBufferSize = 4096;

struct TJPEGProgressMgr {
    jpeg_progress_mgr pub;
    TJPEGImage* instance;
    int last_pct;
    uint32_t last_time;
    int last_scanline;
};

struct TJPEGStreamSource {
    jpeg_source_mgr pub;
    TStream* stream;
    bool start_of_file;
    JOCTET buffer[JPEGStreamBufferSize];
};

struct TJPEGStreamDestination {
    jpeg_destination_mgr pub;
    TStream* stream;
    JOCTET buffer[JPEGStreamBufferSize];
};

struct TJPEGLibraryRecord {
    TJPEGLibraryRecord();
    ~TJPEGLibraryRecord() { Release(); }
    TJPEGLibraryRecord(const TJPEGLibraryRecord&) = delete;
    TJPEGLibraryRecord& operator=(const TJPEGLibraryRecord&) = delete;

    // Destroys the library structure if it was created and marks it gone.
    void Release();
    j_common_ptr Common() { return reinterpret_cast<j_common_ptr>(&d); }

    jpeg_error_mgr err;
    TJPEGProgressMgr progress;
    J_DCT_METHOD FinalDCT;
    boolean FinalTwoPassQuant;
    J_DITHER_MODE FinalDitherMode;
    bool created = false;
    TJPEGStreamSource source;
    TJPEGStreamDestination destination;
    std::jmp_buf jump;
    // A C++ exception caught inside a hook, raised again by JPEGCall.
    std::exception_ptr pending;
    union {
        jpeg_decompress_struct d;
        jpeg_compress_struct c;
    };
};

// Creates the library structure with our error manager; with an image, also
// installs the progress hook that reports to it.
void CreateDecompress(TJPEGLibraryRecord& record, TJPEGImage* progressTarget);
void CreateCompress(TJPEGLibraryRecord& record, TJPEGImage* progressTarget);

// Stream source and destination over a TStream (reading from the stream's
// current position; writing at it).
void jpeg_stdio_src(TJPEGLibraryRecord& record, TStream& stream);
void jpeg_stdio_dest(TJPEGLibraryRecord& record, TStream& stream);

// The library's progress hook.
void JPEGProgress(j_common_ptr cinfo);

// Raises what made a guarded call fail: the exception a hook caught, or
// EJPEG with the library's message code.
[[noreturn]] void RaiseLibraryError(TJPEGLibraryRecord& record);

template <typename Call>
void JPEGCall(TJPEGLibraryRecord& record, Call call)
{
    if (!JumpGuarded(record.jump, call))
        RaiseLibraryError(record);
}

// Per cent of the whole job from the library's pass counters, or -1 when the
// counters give none (a pass limit or pass total of 0).
int JPEGPercentDone(long passCounter, long passLimit, int completedPasses, int totalPasses);

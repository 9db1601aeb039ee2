// Source and destination managers that move JPEG bytes to and from a
// TStream through 4096-byte buffers. Stream errors are C++ exceptions: they
// are caught here and raised again after the library has been left.
#include "jpeg/JPEGLibraryRecord.h"

#include <csetjmp>
#include <jerror.h>

namespace {

TJPEGLibraryRecord& RecordOf(j_common_ptr cinfo)
{
    return *static_cast<TJPEGLibraryRecord*>(cinfo->client_data);
}

// Answers the bytes read, or -1 after keeping the stream's exception.
int64_t ReadChunk(TJPEGLibraryRecord& record) noexcept
{
    try {
        return record.source.stream->Read(record.source.buffer, JPEGStreamBufferSize);
    } catch (...) {
        record.pending = std::current_exception();
        return -1;
    }
}

bool WriteChunk(TJPEGLibraryRecord& record, size_t count) noexcept
{
    try {
        record.destination.stream->WriteBuffer(record.destination.buffer, static_cast<int64_t>(count));
        return true;
    } catch (...) {
        record.pending = std::current_exception();
        return false;
    }
}

void InitSource(j_decompress_ptr cinfo)
{
    RecordOf(reinterpret_cast<j_common_ptr>(cinfo)).source.start_of_file = true;
}

boolean FillInputBuffer(j_decompress_ptr cinfo)
{
    TJPEGLibraryRecord& record = RecordOf(reinterpret_cast<j_common_ptr>(cinfo));
    TJPEGStreamSource& source = record.source;
    int64_t count = ReadChunk(record);
    if (count < 0)
        std::longjmp(record.jump, 1);
    if (count == 0) {
        if (source.start_of_file)
            ERREXIT(cinfo, JERR_INPUT_EMPTY);
        // A truncated file ends as if its end-of-image marker were there.
        WARNMS(cinfo, JWRN_JPEG_EOF);
        source.buffer[0] = 0xFF;
        source.buffer[1] = JPEG_EOI;
        count = 2;
    }
    source.pub.next_input_byte = source.buffer;
    source.pub.bytes_in_buffer = static_cast<size_t>(count);
    source.start_of_file = false;
    return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count)
{
    jpeg_source_mgr* source = cinfo->src;
    if (count <= 0)
        return;
    while (count > static_cast<long>(source->bytes_in_buffer)) {
        count -= static_cast<long>(source->bytes_in_buffer);
        source->fill_input_buffer(cinfo);
    }
    source->next_input_byte += count;
    source->bytes_in_buffer -= static_cast<size_t>(count);
}

void TermSource(j_decompress_ptr) {}

void InitDestination(j_compress_ptr cinfo)
{
    TJPEGStreamDestination& destination = RecordOf(reinterpret_cast<j_common_ptr>(cinfo)).destination;
    destination.pub.next_output_byte = destination.buffer;
    destination.pub.free_in_buffer = JPEGStreamBufferSize;
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo)
{
    TJPEGLibraryRecord& record = RecordOf(reinterpret_cast<j_common_ptr>(cinfo));
    if (!WriteChunk(record, JPEGStreamBufferSize))
        std::longjmp(record.jump, 1);
    record.destination.pub.next_output_byte = record.destination.buffer;
    record.destination.pub.free_in_buffer = JPEGStreamBufferSize;
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo)
{
    TJPEGLibraryRecord& record = RecordOf(reinterpret_cast<j_common_ptr>(cinfo));
    const size_t count = JPEGStreamBufferSize - record.destination.pub.free_in_buffer;
    if (count > 0 && !WriteChunk(record, count))
        std::longjmp(record.jump, 1);
}

} // namespace

void jpeg_stdio_src(TJPEGLibraryRecord& record, TStream& stream)
{
    TJPEGStreamSource& source = record.source;
    source.stream = &stream;
    source.pub.init_source = InitSource;
    source.pub.fill_input_buffer = FillInputBuffer;
    source.pub.skip_input_data = SkipInputData;
    source.pub.resync_to_restart = jpeg_resync_to_restart;
    source.pub.term_source = TermSource;
    source.pub.bytes_in_buffer = 0;
    source.pub.next_input_byte = nullptr;
    record.d.src = &source.pub;
}

void jpeg_stdio_dest(TJPEGLibraryRecord& record, TStream& stream)
{
    TJPEGStreamDestination& destination = record.destination;
    destination.stream = &stream;
    destination.pub.init_destination = InitDestination;
    destination.pub.empty_output_buffer = EmptyOutputBuffer;
    destination.pub.term_destination = TermDestination;
    record.c.dest = &destination.pub;
}

#include "gfx/JpegCodec.h"

#include <cstdio>
#include <cstring>

extern "C" {
#include <jerror.h>
#include <jpeglib.h>
}

#include "gfx/JpegMarkers.h"
#include "gfx/Picture.h"
#include "win/Error.h"

// libjpeg reports errors through a callback that must not return. Ours jumps
// back (GCC's __builtin_longjmp: no unwinding, no SEH) into the function that
// set the jump point. Those functions, and everything libjpeg calls back
// into, are plain C-style frames: no object with a destructor lives in them,
// so nothing is skipped by the jump. Objects that need destroying belong to
// the calling C++ function.

namespace vorlune {

namespace {

constexpr int kAdobeMarker = 0xEE;
constexpr size_t kMaxMarkerPayload = 65533;

struct JpegErrors {
    jpeg_error_mgr pub;
    void* jump[5];
};

void JumpBack(j_common_ptr cinfo)
{
    __builtin_longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->jump, 1);
}

// Warnings and traces go nowhere.
void Silent(j_common_ptr) {}

jpeg_error_mgr* InitErrors(JpegErrors& errors)
{
    jpeg_std_error(&errors.pub);
    errors.pub.error_exit = JumpBack;
    errors.pub.output_message = Silent;
    return &errors.pub;
}

// ---- reading ---------------------------------------------------------------

struct JpegSource {
    jpeg_source_mgr pub;
    Stream* stream;
    JOCTET buffer[4096];
};

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

boolean FillInput(j_decompress_ptr cinfo)
{
    auto* source = reinterpret_cast<JpegSource*>(cinfo->src);
    const uint32_t n = source->stream->Read(source->buffer, 1, sizeof source->buffer);
    // libjpeg would pad a truncated image with grey; we fail it instead.
    if (n == 0) ERREXIT(cinfo, JERR_INPUT_EOF);
    source->pub.next_input_byte = source->buffer;
    source->pub.bytes_in_buffer = n;
    return TRUE;
}

void SkipInput(j_decompress_ptr cinfo, long count)
{
    auto* source = reinterpret_cast<JpegSource*>(cinfo->src);
    if (count <= 0) return;
    while (static_cast<size_t>(count) > source->pub.bytes_in_buffer) {
        count -= static_cast<long>(source->pub.bytes_in_buffer);
        FillInput(cinfo);
    }
    source->pub.next_input_byte += count;
    source->pub.bytes_in_buffer -= static_cast<size_t>(count);
}

struct DecodeJob {
    Stream* stream;
    Surface24* target;
    ImageInfo* info;
    bool headerOnly;
};

bool RunDecode(DecodeJob* job) noexcept
{
    jpeg_decompress_struct cinfo;
    JpegErrors errors;
    JpegSource source;
    std::memset(&cinfo, 0, sizeof cinfo);
    cinfo.err = InitErrors(errors);
    if (__builtin_setjmp(errors.jump)) {
        jpeg_destroy_decompress(&cinfo);
        job->target->Destroy();
        return false;
    }
    jpeg_create_decompress(&cinfo);
    source.stream = job->stream;
    source.pub.init_source = InitSource;
    source.pub.fill_input_buffer = FillInput;
    source.pub.skip_input_data = SkipInput;
    source.pub.resync_to_restart = jpeg_resync_to_restart;
    source.pub.term_source = TermSource;
    source.pub.next_input_byte = nullptr;
    source.pub.bytes_in_buffer = 0;
    cinfo.src = &source.pub;

    jpeg_read_header(&cinfo, TRUE);
    jpeg_calc_output_dimensions(&cinfo);
    job->info->bitsPerPixel = cinfo.output_components * 8;
    job->info->width = static_cast<int>(cinfo.output_width);
    job->info->height = static_cast<int>(cinfo.output_height);
    job->info->components = cinfo.output_components;
    if (job->headerOnly) {
        jpeg_destroy_decompress(&cinfo);
        return true;
    }

    // Four components are CMYK or YCCK, delivered as CMYK; anything else is
    // delivered as blue, green, red, the order of our surfaces.
    if (cinfo.num_components != 4) cinfo.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&cinfo);
    if (cinfo.output_components != (cinfo.num_components == 4 ? 4 : 3)) ERREXIT(&cinfo, JERR_CONVERSION_NOTIMPL);
    if (!job->target->Create(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height), 24))
        ERREXIT1(&cinfo, JERR_OUT_OF_MEMORY, 0);

    JSAMPARRAY cmyk = nullptr;
    if (cinfo.output_components == 4)
        cmyk = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                          cinfo.output_width * 4, 1);
    while (cinfo.output_scanline < cinfo.output_height) {
        uint8_t* row = job->target->Row(static_cast<int>(cinfo.output_scanline));
        if (!cmyk) {
            if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) ERREXIT(&cinfo, JERR_INPUT_EMPTY);
            continue;
        }
        if (jpeg_read_scanlines(&cinfo, cmyk, 1) != 1) ERREXIT(&cinfo, JERR_INPUT_EMPTY);
        // Adobe's inverted CMYK: each byte is 255 minus the ink.
        const JSAMPLE* p = cmyk[0];
        for (JDIMENSION x = 0; x < cinfo.output_width; ++x, p += 4, row += 3) {
            const unsigned k = p[3];
            row[0] = static_cast<uint8_t>(p[2] * k / 255);
            row[1] = static_cast<uint8_t>(p[1] * k / 255);
            row[2] = static_cast<uint8_t>(p[0] * k / 255);
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

// ---- writing ---------------------------------------------------------------

struct JpegDestination {
    jpeg_destination_mgr pub;
    Stream* stream;
    JOCTET buffer[4096];
};

void InitDestination(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<JpegDestination*>(cinfo->dest);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = sizeof dest->buffer;
}

boolean EmptyOutput(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<JpegDestination*>(cinfo->dest);
    if (dest->stream->Write(dest->buffer, 1, sizeof dest->buffer) != sizeof dest->buffer)
        ERREXIT(cinfo, JERR_FILE_WRITE);
    InitDestination(cinfo);
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<JpegDestination*>(cinfo->dest);
    const auto used = static_cast<uint32_t>(sizeof dest->buffer - dest->pub.free_in_buffer);
    if (used != 0 && dest->stream->Write(dest->buffer, 1, used) != used) ERREXIT(cinfo, JERR_FILE_WRITE);
}

struct EncodeJob {
    Stream* stream;
    const Surface24* source;
    const ImageInfo* info;
};

bool RunEncode(EncodeJob* job) noexcept
{
    jpeg_compress_struct cinfo;
    JpegErrors errors;
    JpegDestination dest;
    std::memset(&cinfo, 0, sizeof cinfo);
    cinfo.err = InitErrors(errors);
    if (__builtin_setjmp(errors.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    dest.stream = job->stream;
    dest.pub.init_destination = InitDestination;
    dest.pub.empty_output_buffer = EmptyOutput;
    dest.pub.term_destination = TermDestination;
    cinfo.dest = &dest.pub;

    const ImageInfo* info = job->info;
    cinfo.image_width = static_cast<JDIMENSION>(job->source->Width());
    cinfo.image_height = static_cast<JDIMENSION>(job->source->Height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    if (info->smoothing != 0) cinfo.smoothing_factor = info->smoothing < 1 ? 1 : info->smoothing > 100 ? 100 : info->smoothing;
    jpeg_set_quality(&cinfo, info->quality, (info->flags & ImageInfo::kForceBaseline) ? TRUE : FALSE);
    if (info->quality >= info->fullChromaQuality) {
        cinfo.comp_info[0].h_samp_factor = 1;
        cinfo.comp_info[0].v_samp_factor = 1;
    }
    if (info->flags & ImageInfo::kProgressive) jpeg_simple_progression(&cinfo);
    if (info->flags & ImageInfo::kOptimizeCoding) cinfo.optimize_coding = TRUE;
    const size_t markers = info->markers.size();
    // A JFIF marker of the picture's own replaces the library's.
    for (size_t i = 0; i < markers; ++i)
        if (info->markers[i].code == JpegMarker::kJfif) cinfo.write_JFIF_header = FALSE;

    jpeg_start_compress(&cinfo, TRUE);
    for (size_t i = 0; i < markers; ++i) {
        const JpegMarker& m = info->markers[i];
        // Adobe's marker describes the colour transform of the image it came
        // from; the library writes one when ours needs it.
        if (m.MarkerCode() == kAdobeMarker || m.data.size() > kMaxMarkerPayload) continue;
        jpeg_write_marker(&cinfo, m.MarkerCode(), m.data.data(), static_cast<unsigned>(m.data.size()));
    }
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = job->source->Row(static_cast<int>(cinfo.next_scanline));
        if (jpeg_write_scanlines(&cinfo, &row, 1) != 1) ERREXIT(&cinfo, JERR_FILE_WRITE);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

}  // namespace

JpegCodec::~JpegCodec() = default;

bool JpegCodec::Decode(Picture& picture, Stream& stream, bool headerOnly) noexcept
{
    if (!CanHandle(picture)) return false;
    Empty(picture);
    ImageInfo& info = picture.Info();
    if (!stream.IsOpen()) return false;
    if (!headerOnly) {
        const uint32_t start = stream.Tell();
        // Markers that cannot be listed are no reason to refuse the image.
        ReadJpegMarkers(stream, info.markers);
        if (!stream.Seek(static_cast<int32_t>(start), SeekBegin)) {
            Empty(picture);
            return false;
        }
    }
    DecodeJob job{&stream, &picture.ColorSurface(), &info, headerOnly};
    if (RunDecode(&job)) return true;
    Empty(picture);
    return false;
}

bool JpegCodec::Encode(Stream& stream, Picture& picture) noexcept
{
    if (!stream.IsOpen() || !picture.IsValid()) return false;
    Surface24 scratch;
    const Surface24* source = picture.OpaqueColour(scratch);
    if (!source) return false;
    ::GdiFlush();
    EncodeJob job{&stream, source, &picture.Info()};
    return RunEncode(&job) && stream.Flush();
}

}  // namespace vorlune

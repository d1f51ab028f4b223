#include "gfx/PngCodec.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <png.h>

#include "gfx/AlphaImage.h"
#include "gfx/Picture.h"
#include "win/Error.h"
#include "win/Handle.h"

// libpng reports errors through a callback that must not return. Ours jumps
// back (GCC's __builtin_longjmp: no unwinding, no SEH) into the function that
// set the jump point; libpng's own setjmp is never used. Those functions, and
// everything libpng calls back into, are plain C-style frames: no object with
// a destructor lives in them, so nothing is skipped by the jump. Objects that
// need destroying belong to the calling C++ function.

namespace vorlune {

namespace {

constexpr double kScreenGamma = 2.2;
constexpr double kDefaultFileGamma = 0.45455;

// The start of every job: where errors jump to.
struct JumpPoint {
    void* jump[5];
};

void JumpBack(png_structp png, png_const_charp)
{
    __builtin_longjmp(static_cast<JumpPoint*>(png_get_error_ptr(png))->jump, 1);
}

// Warnings go nowhere.
void Ignore(png_structp, png_const_charp) {}

void ReadFromStream(png_structp png, png_bytep data, size_t length)
{
    auto* stream = static_cast<Stream*>(png_get_io_ptr(png));
    if (length > UINT32_MAX || stream->Read(data, 1, static_cast<uint32_t>(length)) != length)
        png_error(png, "short read");
}

void WriteToStream(png_structp png, png_bytep data, size_t length)
{
    auto* stream = static_cast<Stream*>(png_get_io_ptr(png));
    if (length > UINT32_MAX || stream->Write(data, 1, static_cast<uint32_t>(length)) != length)
        png_error(png, "short write");
}

void FlushStream(png_structp png)
{
    static_cast<Stream*>(png_get_io_ptr(png))->Flush();
}

// ---- reading ---------------------------------------------------------------

struct DecodeJob {
    JumpPoint errors;  // first, so the error pointer is the job
    Stream* stream;
    Surface24* colour;
    Surface32* withAlpha;
    ImageInfo* info;
    bool headerOnly;
    bool hasAlpha;
    png_structp png;
    png_infop start;
    png_infop end;
    png_bytep* rows;
};

bool RunDecode(DecodeJob* job) noexcept
{
    if (__builtin_setjmp(job->errors.jump)) {
        png_destroy_read_struct(&job->png, &job->start, &job->end);
        std::free(job->rows);
        job->rows = nullptr;
        return false;
    }
    job->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, job, JumpBack, Ignore);
    if (!job->png) return false;
    png_structp png = job->png;
    job->start = png_create_info_struct(png);
    if (!job->start) png_error(png, "out of memory");
    if (!job->headerOnly) {
        job->end = png_create_info_struct(png);
        if (!job->end) png_error(png, "out of memory");
    }
    png_infop info = job->start;
    png_set_read_fn(png, job->stream, ReadFromStream);
    png_set_sig_bytes(png, 8);
    png_read_info(png, info);
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int depth = 0;
    int colorType = 0;
    int interlace = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &colorType, &interlace, nullptr, nullptr);
    const int channels = png_get_channels(png, info);
    job->info->bitsPerPixel = channels * depth;
    job->info->width = static_cast<int>(width);
    job->info->height = static_cast<int>(height);
    job->info->bitDepth = depth;
    job->info->channels = channels;
    job->info->colorType = colorType;
    job->info->interlace = interlace;
    if (job->headerOnly) {
        png_destroy_read_struct(&job->png, &job->start, &job->end);
        return true;
    }

    // Everything becomes 8-bit blue, green, red, with alpha when there is any.
    job->hasAlpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0;
    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) {
        png_set_tRNS_to_alpha(png);
        job->hasAlpha = true;
    }
    if (depth == 16) png_set_strip_16(png);
    if (depth < 8) png_set_packing(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    if (colorType & PNG_COLOR_MASK_COLOR) png_set_bgr(png);
    double fileGamma = kDefaultFileGamma;
    if (!png_get_gAMA(png, info, &fileGamma)) fileGamma = kDefaultFileGamma;
    png_set_gamma(png, kScreenGamma, fileGamma);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);

    const int bytesPerPixel = job->hasAlpha ? 4 : 3;
    if (png_get_rowbytes(png, info) != size_t{width} * bytesPerPixel) png_error(png, "unexpected row layout");
    Surface* target = job->hasAlpha ? static_cast<Surface*>(job->withAlpha) : job->colour;
    if (!target->Create(static_cast<int>(width), static_cast<int>(height), bytesPerPixel * 8))
        png_error(png, "out of memory");
    job->rows = static_cast<png_bytep*>(std::calloc(height, sizeof(png_bytep)));
    if (!job->rows) png_error(png, "out of memory");
    for (png_uint_32 y = 0; y < height; ++y) job->rows[y] = target->Row(static_cast<int>(y));
    png_read_image(png, job->rows);
    png_read_end(png, job->end);
    png_destroy_read_struct(&job->png, &job->start, &job->end);
    std::free(job->rows);
    job->rows = nullptr;
    return true;
}

// ---- writing ---------------------------------------------------------------

struct EncodeJob {
    JumpPoint errors;
    Stream* stream;
    png_uint_32 width;
    png_uint_32 height;
    bool hasAlpha;
    png_bytep* rows;
    png_textp texts;
    int textCount;
    png_structp png;
    png_infop info;
};

bool RunEncode(EncodeJob* job) noexcept
{
    if (__builtin_setjmp(job->errors.jump)) {
        png_destroy_write_struct(&job->png, &job->info);
        return false;
    }
    job->png = png_create_write_struct(PNG_LIBPNG_VER_STRING, job, JumpBack, Ignore);
    if (!job->png) return false;
    png_structp png = job->png;
    job->info = png_create_info_struct(png);
    if (!job->info) png_error(png, "out of memory");
    png_infop info = job->info;
    png_set_write_fn(png, job->stream, WriteToStream, FlushStream);
    png_set_IHDR(png, info, job->width, job->height, 8, job->hasAlpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (job->textCount > 0) png_set_text(png, info, job->texts, job->textCount);
    png_write_info(png, info);
    png_set_bgr(png);
    png_write_image(png, job->rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&job->png, &job->info);
    return true;
}

// The "ProductName" of the executable's version resource; empty when it has none.
std::string ProductName()
{
    wchar_t path[MAX_PATH];
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    // Loaded by hand: nothing else in the program needs version.dll.
    UniqueModule version(::LoadLibraryW(L"version.dll"));
    if (!version) return {};
    using SizeFn = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
    using InfoFn = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
    using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);
    auto size = reinterpret_cast<SizeFn>(reinterpret_cast<void*>(::GetProcAddress(version.Get(), "GetFileVersionInfoSizeW")));
    auto read = reinterpret_cast<InfoFn>(reinterpret_cast<void*>(::GetProcAddress(version.Get(), "GetFileVersionInfoW")));
    auto query = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(::GetProcAddress(version.Get(), "VerQueryValueW")));
    if (!size || !read || !query) return {};
    DWORD ignored = 0;
    const DWORD bytes = size(path, &ignored);
    if (bytes == 0) return {};
    std::vector<uint8_t> block(bytes);
    if (!read(path, 0, bytes, block.data())) return {};
    wchar_t key[64];
    std::swprintf(key, 64, L"\\StringFileInfo\\040904b0\\%ls", L"ProductName");
    void* value = nullptr;
    UINT chars = 0;
    if (!query(block.data(), key, &value, &chars) || value == nullptr) return {};
    // tEXt holds Latin-1.
    std::string text;
    for (const wchar_t* p = static_cast<const wchar_t*>(value); *p && chars > 0; ++p, --chars)
        text += *p < 256 ? static_cast<char>(*p) : '?';
    return text;
}

}  // namespace

PngCodec::~PngCodec() = default;

std::string PngCodec::FormatModificationTime(const SYSTEMTIME& utc)
{
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char text[64];
    std::snprintf(text, sizeof text, "%s, %d %s %d %02d:%02d:%02d GMT", kDays[utc.wDayOfWeek % 7], utc.wDay,
                  kMonths[(utc.wMonth + 11) % 12], utc.wYear, utc.wHour, utc.wMinute, utc.wSecond);
    return text;
}

bool PngCodec::Decode(Picture& picture, Stream& stream, bool headerOnly) noexcept
{
    if (!CanHandle(picture)) return false;
    Empty(picture);
    ImageInfo& info = picture.Info();
    AlphaImage* image = picture.AlphaStorage();
    if (!stream.IsOpen() || !image) return false;
    png_byte signature[8];
    if (stream.Read(signature, 1, 8) != 8 || png_sig_cmp(signature, 0, 8) != 0) return false;

    Surface32 withAlpha;
    DecodeJob job{};
    job.stream = &stream;
    job.colour = &image->Colour();
    job.withAlpha = &withAlpha;
    job.info = &info;
    job.headerOnly = headerOnly;
    bool ok = RunDecode(&job);
    if (ok && !headerOnly && job.hasAlpha) ok = image->SplitPlanes(withAlpha);
    if (!ok) Empty(picture);
    return ok;
}

bool PngCodec::Encode(Stream& stream, Picture& picture) noexcept
{
    if (!stream.IsOpen() || !picture.IsValid()) return false;
    return Guarded([&] {
        const Surface24& colour = picture.ColorSurface();
        const AlphaImage* planes = picture.AlphaStorage();
        const bool hasAlpha = planes && planes->HasAlpha();
        const int width = colour.Width();
        const int height = colour.Height();
        ::GdiFlush();

        std::vector<png_bytep> rows(static_cast<size_t>(height));
        std::vector<uint8_t> joined;
        if (hasAlpha) {
            joined.resize(size_t{4} * width * height);
            for (int y = 0; y < height; ++y) {
                const uint8_t* c = colour.Row(y);
                const uint8_t* a = planes->Alpha().Row(y);
                uint8_t* p = &joined[size_t{4} * width * y];
                rows[y] = p;
                for (int x = 0; x < width; ++x, c += 3, p += 4) {
                    std::memcpy(p, c, 3);
                    p[3] = a[x];
                }
            }
        } else {
            for (int y = 0; y < height; ++y) rows[y] = colour.Row(y);
        }

        SYSTEMTIME now;
        ::GetSystemTime(&now);
        std::string software = ProductName();
        std::string modified = FormatModificationTime(now);
        char softwareKey[] = "Software";
        char modifiedKey[] = "Modification Time";
        png_text texts[2] = {};
        int count = 0;
        if (!software.empty()) {
            texts[count].compression = PNG_TEXT_COMPRESSION_NONE;
            texts[count].key = softwareKey;
            texts[count].text = &software[0];
            texts[count].text_length = software.size();
            ++count;
        }
        texts[count].compression = PNG_TEXT_COMPRESSION_NONE;
        texts[count].key = modifiedKey;
        texts[count].text = &modified[0];
        texts[count].text_length = modified.size();
        ++count;

        EncodeJob job{};
        job.stream = &stream;
        job.width = static_cast<png_uint_32>(width);
        job.height = static_cast<png_uint_32>(height);
        job.hasAlpha = hasAlpha;
        job.rows = rows.data();
        job.texts = texts;
        job.textCount = count;
        return RunEncode(&job) && stream.Flush();
    });
}

}  // namespace vorlune

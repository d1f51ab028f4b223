#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "win/Handle.h"

namespace vorlune {

class AudioClip;
class ProgressRange;

// The configuration record of the encoder library's BladeEnc-style
// interface, in LAME's layout: 331 bytes, byte-packed, little-endian.
#pragma pack(push, 1)
struct BE_CONFIG {
    uint32_t dwConfig;
    uint32_t dwStructVersion;
    uint32_t dwStructSize;
    uint32_t dwSampleRate;
    uint32_t dwReSampleRate;
    int32_t nMode;
    uint32_t dwBitrate;
    uint32_t dwMaxBitrate;
    int32_t nPreset;
    uint32_t dwMpegVersion;
    uint32_t dwPsyModel;
    uint32_t dwEmphasis;
    int32_t bPrivate;
    int32_t bCRC;
    int32_t bCopyright;
    int32_t bOriginal;
    int32_t bWriteVBRHeader;
    int32_t bEnableVBR;
    int32_t nVBRQuality;
    uint32_t dwVbrAbr_bps;
    int32_t nVbrMethod;
    int32_t bNoRes;
    int32_t bStrictIso;
    uint16_t nQuality;
    uint8_t btReserved[237];
};
#pragma pack(pop)

static_assert(sizeof(BE_CONFIG) == 331, "the library copies exactly 331 bytes");
static_assert(offsetof(BE_CONFIG, dwStructSize) == 8);
static_assert(offsetof(BE_CONFIG, dwSampleRate) == 12);
static_assert(offsetof(BE_CONFIG, dwReSampleRate) == 16);
static_assert(offsetof(BE_CONFIG, nMode) == 20);
static_assert(offsetof(BE_CONFIG, dwBitrate) == 24);
static_assert(offsetof(BE_CONFIG, dwMaxBitrate) == 28);
static_assert(offsetof(BE_CONFIG, nPreset) == 32);
static_assert(offsetof(BE_CONFIG, dwMpegVersion) == 36);
static_assert(offsetof(BE_CONFIG, dwPsyModel) == 40);
static_assert(offsetof(BE_CONFIG, dwEmphasis) == 44);
static_assert(offsetof(BE_CONFIG, bWriteVBRHeader) == 64);
static_assert(offsetof(BE_CONFIG, bEnableVBR) == 68);
static_assert(offsetof(BE_CONFIG, nVBRQuality) == 72);
static_assert(offsetof(BE_CONFIG, bNoRes) == 84);
static_assert(offsetof(BE_CONFIG, nQuality) == 92);
static_assert(offsetof(BE_CONFIG, btReserved) == 94);

constexpr uint32_t BE_CONFIG_LAME = 256;
constexpr int32_t BE_MP3_MODE_JSTEREO = 1;
constexpr int32_t BE_MP3_MODE_MONO = 3;
constexpr int32_t LQP_HIGH_QUALITY = 2;
constexpr uint32_t MPEG1 = 1;

using HBE_STREAM = void*;
using BE_ERR = unsigned long;  // 32 bits on both targets
constexpr BE_ERR BE_ERR_SUCCESSFUL = 0;

// The library's entry points; it exports them as __cdecl.
using BeInitStreamFn = BE_ERR(__cdecl*)(BE_CONFIG* config, DWORD* samples, DWORD* bufferBytes, HBE_STREAM* stream);
using BeEncodeChunkFn = BE_ERR(__cdecl*)(HBE_STREAM stream, DWORD samples, short* input, BYTE* output,
                                         DWORD* outputBytes);
using BeDeinitStreamFn = BE_ERR(__cdecl*)(HBE_STREAM stream, BYTE* output, DWORD* outputBytes);
using BeCloseStreamFn = BE_ERR(__cdecl*)(HBE_STREAM stream);
using BeWriteVbrHeaderFn = BE_ERR(__cdecl*)(const char* path);
using BeWriteInfoTagFn = BE_ERR(__cdecl*)(HBE_STREAM stream, const char* path);

struct Mp3EncoderApi {
    BeInitStreamFn beInitStream = nullptr;
    BeEncodeChunkFn beEncodeChunk = nullptr;
    BeDeinitStreamFn beDeinitStream = nullptr;
    BeCloseStreamFn beCloseStream = nullptr;
    BeWriteVbrHeaderFn beWriteVBRHeader = nullptr;
    BeWriteInfoTagFn beWriteInfoTag = nullptr;  // older libraries lack it
};

// The MP3 encoder: "lame_enc.dll", loaded at run time, fed 16-bit samples
// from a clip and writing what the library returns into the output file.
class Mp3Encoder {
public:
    // The process's encoder, loaded on first use by its full path in the
    // program's own folder, else from the system's safe directories (never
    // the current folder or PATH); freed at process exit.
    static Mp3Encoder& Instance() noexcept;

    // Takes the entry points from a loaded library (none when it is null).
    explicit Mp3Encoder(UniqueModule module) noexcept;
    // Entry points from elsewhere, for a library loaded by someone else.
    explicit Mp3Encoder(const Mp3EncoderApi& api) noexcept;
    Mp3Encoder(const Mp3Encoder&) = delete;
    Mp3Encoder& operator=(const Mp3Encoder&) = delete;

    // Everything Encode needs is there (the info-tag writer is optional).
    bool IsUsable() const noexcept;
    const Mp3EncoderApi& Api() const noexcept { return api_; }

    // Encodes the loaded clip into a new MP3 file at path: MPEG Layer III,
    // VBR quality 4 between 128 and 192 kbit/s, mono or joint stereo, with the
    // VBR/Info tag. Fails before creating the file when the library is
    // missing. A failed encode may leave a partly written file.
    bool Encode(const std::wstring& path, const AudioClip& clip, ProgressRange* progress) noexcept;

    // The record Encode hands to beInitStream for a clip of this format.
    static void FillConfig(BE_CONFIG& config, uint16_t channels, uint32_t rate) noexcept;

private:
    UniqueModule module_;
    Mp3EncoderApi api_;
};

// The ANSI name under which the library's C runtime can open the file: the
// path itself when the ANSI code page holds every character of it, else its
// short (8.3) form when the volume keeps one; empty when neither will do.
std::string AnsiFileName(const std::wstring& path, bool allowShortName = true);

// Writes the VBR/Info tag of a finished stream into the file at path. The
// library opens the file by an ANSI name; when the path has none, the tag is
// written on a temporary copy of the file's head and copied back.
bool WriteInfoTag(BeWriteInfoTagFn write, HBE_STREAM stream, const std::wstring& path,
                  bool allowShortName = true) noexcept;

}  // namespace vorlune

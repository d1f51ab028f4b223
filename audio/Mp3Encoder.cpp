#include "audio/Mp3Encoder.h"

#include <cstring>
#include <new>
#include <vector>

#include "audio/AudioClip.h"
#include "audio/CpuYield.h"
#include "io/ProgressRange.h"
#include "audio/TempFile.h"
#include "io/FileStream.h"
#include "io/MappedFileStream.h"
#include "win/Error.h"

namespace vorlune {
namespace {

constexpr wchar_t kLibraryName[] = L"lame_enc.dll";
// More than any frame the library can put first (a Layer III frame is at
// most 1441 bytes) plus the next frame's header, which it looks for.
constexpr uint32_t kTagHeadBytes = 64 * 1024;

// The library by its full path in the program's own folder, else from the
// system's safe directories only: never the current folder or PATH, where a
// planted copy could wait.
UniqueModule LoadEncoderLibrary() noexcept
{
    std::vector<wchar_t> exe(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, exe.data(), DWORD(exe.size()));
        if (n == 0) break;
        if (n < exe.size()) {
            std::wstring path(exe.data(), n);
            const size_t slash = path.find_last_of(L"\\/");
            if (slash != std::wstring::npos) {
                path.resize(slash + 1);
                path += kLibraryName;
                if (HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH))
                    return UniqueModule(module);
            }
            break;
        }
        if (exe.size() >= 32768) break;
        exe.resize(exe.size() * 2);
    }
    if (HMODULE module = LoadLibraryExW(kLibraryName, nullptr, LOAD_LIBRARY_SEARCH_DEFAULT_DIRS))
        return UniqueModule(module);
    // Systems without the safe search flags: the system folder by full path.
    if (GetLastError() == ERROR_INVALID_PARAMETER) {
        wchar_t system[MAX_PATH];
        const UINT n = GetSystemDirectoryW(system, MAX_PATH);
        if (n > 0 && n < MAX_PATH) {
            const std::wstring path = std::wstring(system, n) + L"\\" + kLibraryName;
            return UniqueModule(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
        }
    }
    return UniqueModule();
}

template <class Fn>
Fn Entry(HMODULE module, const char* name) noexcept
{
    // Through the generic function type, which converts to any other.
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name))) : nullptr;
}

bool Cancelled(const ProgressRange* progress) noexcept { return progress && progress->IsCancelled(); }

std::string ToAnsi(const std::wstring& path)
{
    if (path.empty()) return {};
    const int n = WideCharToMultiByte(CP_ACP, 0, path.c_str(), int(path.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string ansi(size_t(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, path.c_str(), int(path.size()), &ansi[0], n, nullptr, nullptr);
    // Only a name that converts back unchanged names the same file.
    const int m = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), n, nullptr, 0);
    if (m != int(path.size())) return {};
    std::wstring back(size_t(m), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), n, &back[0], m);
    return back == path ? ansi : std::string();
}

bool ReadHead(const std::wstring& path, std::vector<uint8_t>& head)
{
    FileStream file;
    if (!file.OpenRead(path)) return false;
    head.resize(kTagHeadBytes);
    head.resize(file.Read(head.data(), 1, kTagHeadBytes));
    return !head.empty();
}

bool WriteHead(const std::wstring& path, const std::vector<uint8_t>& head)
{
    MappedFileStream file;
    return file.Open(path) && file.GetSize() >= head.size() && file.Write(head.data(), 1, uint32_t(head.size())) ==
                                                                    head.size() && file.Close();
}

// Runs the tag writer on a temporary file holding `head`; afterwards `head`
// holds what the library left in it. The temporary file is always removed.
bool TagThroughTemporaryFile(BeWriteInfoTagFn write, HBE_STREAM stream, std::vector<uint8_t>& head,
                             bool allowShortName)
{
    TempFile temp(MakeTempFilePath());
    if (temp.Empty()) return false;
    {
        FileStream file;
        if (!file.Create(temp.Path()) || file.Write(head.data(), 1, uint32_t(head.size())) != head.size()) return false;
    }
    const std::string ansi = AnsiFileName(temp.Path(), allowShortName);
    if (ansi.empty()) return false;
    if (write(stream, ansi.c_str()) != BE_ERR_SUCCESSFUL) return false;
    FileStream file;
    return file.OpenRead(temp.Path()) && file.Read(head.data(), 1, uint32_t(head.size())) == head.size();
}

// With the tag asked for, LAME's library keeps a closed stream alive until
// its tag is written. A stream abandoned on failure is let go through a tag
// written into a throwaway file: all 0xFF, so the library finds a frame
// header wherever it looks and never stops to show a message box.
void ReleaseStream(const Mp3EncoderApi& api, HBE_STREAM stream, bool closed) noexcept
{
    try {
        if (!closed) api.beCloseStream(stream);
        if (!api.beWriteInfoTag) return;
        std::vector<uint8_t> junk(8192, 0xFF);
        TagThroughTemporaryFile(api.beWriteInfoTag, stream, junk, true);
    } catch (...) {
    }
}

}  // namespace

std::string AnsiFileName(const std::wstring& path, bool allowShortName)
{
    try {
        std::string ansi = ToAnsi(path);
        if (!ansi.empty() || !allowShortName) return ansi;
        const DWORD n = GetShortPathNameW(path.c_str(), nullptr, 0);
        if (n == 0) return {};
        std::wstring shortPath(n, L'\0');
        const DWORD m = GetShortPathNameW(path.c_str(), &shortPath[0], n);
        if (m == 0 || m >= n) return {};
        shortPath.resize(m);
        return ToAnsi(shortPath);
    } catch (...) {
        return {};
    }
}

bool WriteInfoTag(BeWriteInfoTagFn write, HBE_STREAM stream, const std::wstring& path, bool allowShortName) noexcept
{
    if (!write) return false;
    try {
        const std::string ansi = AnsiFileName(path, allowShortName);
        if (!ansi.empty()) return write(stream, ansi.c_str()) == BE_ERR_SUCCESSFUL;
        // The tag goes into the first frame: the library rewrites it on a
        // copy of the head, which then goes back into the file.
        std::vector<uint8_t> head;
        return ReadHead(path, head) && TagThroughTemporaryFile(write, stream, head, allowShortName) &&
               WriteHead(path, head);
    } catch (...) {
        return false;
    }
}

Mp3Encoder& Mp3Encoder::Instance() noexcept
{
    static Mp3Encoder encoder(LoadEncoderLibrary());
    return encoder;
}

Mp3Encoder::Mp3Encoder(UniqueModule module) noexcept : module_(std::move(module))
{
    const HMODULE m = module_.Get();
    api_.beInitStream = Entry<BeInitStreamFn>(m, "beInitStream");
    api_.beEncodeChunk = Entry<BeEncodeChunkFn>(m, "beEncodeChunk");
    api_.beDeinitStream = Entry<BeDeinitStreamFn>(m, "beDeinitStream");
    api_.beCloseStream = Entry<BeCloseStreamFn>(m, "beCloseStream");
    api_.beWriteVBRHeader = Entry<BeWriteVbrHeaderFn>(m, "beWriteVBRHeader");
    api_.beWriteInfoTag = Entry<BeWriteInfoTagFn>(m, "beWriteInfoTag");
}

Mp3Encoder::Mp3Encoder(const Mp3EncoderApi& api) noexcept : api_(api) {}

bool Mp3Encoder::IsUsable() const noexcept
{
    return api_.beInitStream && api_.beEncodeChunk && api_.beDeinitStream && api_.beCloseStream &&
           api_.beWriteVBRHeader;
}

void Mp3Encoder::FillConfig(BE_CONFIG& config, uint16_t channels, uint32_t rate) noexcept
{
    std::memset(&config, 0, sizeof config);
    config.dwConfig = BE_CONFIG_LAME;
    config.dwStructVersion = 1;
    config.dwStructSize = sizeof(BE_CONFIG);
    config.dwSampleRate = rate;
    config.dwReSampleRate = 0;
    config.nMode = channels == 1 ? BE_MP3_MODE_MONO : BE_MP3_MODE_JSTEREO;
    config.dwBitrate = 128;
    config.dwMaxBitrate = 192;
    config.nPreset = LQP_HIGH_QUALITY;
    config.dwMpegVersion = MPEG1;
    config.bWriteVBRHeader = 1;
    config.bEnableVBR = 1;
    config.nVBRQuality = 4;
    config.bNoRes = 1;
}

bool Mp3Encoder::Encode(const std::wstring& path, const AudioClip& clip, ProgressRange* progress) noexcept
{
    HBE_STREAM stream = nullptr;
    enum { kNone, kOpen, kClosed } state = kNone;  // of the library's stream
    const bool ok = Guarded([&] {
        Check(!Cancelled(progress) && IsUsable() && !path.empty() && clip.IsLoaded());
        const SampleBuffer& samples = clip.buffer;
        const uint16_t channels = samples.channels;
        // The library is told the format; the samples must be in it.
        Check(clip.format.nChannels == channels && clip.format.nSamplesPerSec == samples.rate);

        MappedFileStream out;
        Check(out.Create(path, MappedFileStream::kInitialCapacity));

        BE_CONFIG config;
        FillConfig(config, channels, uint32_t(samples.rate));
        DWORD chunkSamples = 0, bufferBytes = 0;
        Check(api_.beInitStream(&config, &chunkSamples, &bufferBytes, &stream) == BE_ERR_SUCCESSFUL);
        state = kOpen;

        // The library writes into the output buffer without knowing its
        // size: it gets exactly what beInitStream asked for, and never more
        // samples than it allowed.
        const int32_t chunkFrames = int32_t(chunkSamples / channels);
        Check(chunkFrames >= 1 && bufferBytes >= 1);
        std::vector<short> input(size_t(chunkFrames) * channels);
        std::vector<BYTE> output(bufferBytes);

        auto write = [&](DWORD bytes) {
            Check(bytes <= output.size());
            if (bytes) Check(out.Write(output.data(), 1, bytes) == bytes);
        };

        CpuYield yield;
        int32_t position = 0;
        while (position < samples.frames) {
            const int32_t n = samples.FillInterleaved16(input.data(), position, chunkFrames);
            // Samples that cannot be read must not pass for the end of the clip.
            Check(n > 0);
            position += n / channels;
            Check(!Cancelled(progress));
            DWORD bytes = 0;
            Check(api_.beEncodeChunk(stream, DWORD(n), input.data(), output.data(), &bytes) == BE_ERR_SUCCESSFUL);
            Check(!Cancelled(progress));
            write(bytes);
            Check(!Cancelled(progress));
            if (progress) progress->SetPercent(float(double(position) * 100.0 / samples.frames));
            yield.Tick();
        }

        DWORD bytes = 0;
        Check(api_.beDeinitStream(stream, output.data(), &bytes) == BE_ERR_SUCCESSFUL);
        write(bytes);
        api_.beCloseStream(stream);
        state = kClosed;
        // The library opens the file itself for its tag: ours must be closed.
        Check(out.Close());

        state = kNone;
        if (api_.beWriteInfoTag) {
            WriteInfoTag(api_.beWriteInfoTag, stream, path);
        } else {
            const std::string ansi = AnsiFileName(path);
            if (!ansi.empty()) api_.beWriteVBRHeader(ansi.c_str());
        }
        return true;
    });
    if (state != kNone) ReleaseStream(api_, stream, state == kClosed);
    return EndProgress(progress, ok);
}

}  // namespace vorlune

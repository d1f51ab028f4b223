#include "audio/WavReader.h"

#include <algorithm>
#include <cstring>

#include "audio/AudioClip.h"
#include "io/ProgressRange.h"
#include "audio/TempFile.h"
#include "audio/WavConverter.h"
#include "io/FileStream.h"
#include "win/Error.h"

namespace vorlune {
namespace {

constexpr uint32_t FourCc(const char (&s)[5])
{
    return uint32_t(uint8_t(s[0])) | uint32_t(uint8_t(s[1])) << 8 | uint32_t(uint8_t(s[2])) << 16 |
           uint32_t(uint8_t(s[3])) << 24;
}

uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

struct ChunkHeader {
    uint32_t id = 0;
    uint32_t size = 0;
    uint64_t start = 0;  // of the body
    // Where the next chunk starts, in 64 bits: a huge size must not wrap the
    // walk back into the file.
    uint64_t Next() const { return start + size + (size & 1); }
};

// False at the end of the stream (fewer than 8 bytes left).
bool ReadChunkHeader(Stream& s, ChunkHeader& h)
{
    uint8_t b[8];
    if (s.Read(b, 1, 8) != 8) return false;
    h.id = U32(b);
    h.size = U32(b + 4);
    h.start = s.Tell();
    return true;
}

// Moves to an absolute position; false when it lies past the end of the data
// (the walk is then over).
bool MoveTo(Stream& s, uint64_t position)
{
    if (position > s.GetSize()) return false;
    return s.Seek(int32_t(uint32_t(position)), 0);
}

// The 16 bytes of a fmt chunk; extra format bytes are not kept.
void ReadFormat(Stream& s, const ChunkHeader& h, AudioFormat& f)
{
    Check(h.size >= 16);
    uint8_t b[16];
    Check(s.Read(b, 1, 16) == 16);
    f.Reset();
    f.wFormatTag = int16_t(U16(b));
    f.nChannels = U16(b + 2);
    f.nSamplesPerSec = int32_t(U32(b + 4));
    f.nAvgBytesPerSec = int32_t(U32(b + 8));
    f.nBlockAlign = U16(b + 12);
    f.wBitsPerSample = U16(b + 14);
}

// Bytes of a data chunk that the stream really holds.
uint32_t AvailableData(const Stream& s, const ChunkHeader& h)
{
    const uint64_t size = s.GetSize();
    return h.start >= size ? 0 : uint32_t(std::min<uint64_t>(h.size, size - h.start));
}

bool SeekWithin(Stream& s, uint32_t offset)
{
    return s.Seek(int32_t(offset), 0);
}

}  // namespace

bool ReadRiffHeader(Stream& stream) noexcept
{
    uint8_t b[8];
    if (!stream.Rewind() || stream.Read(b, 1, 8) != 8) return false;
    if (U32(b) != FourCc("RIFF")) return false;
    return stream.Read(b, 1, 4) == 4 && U32(b) == FourCc("WAVE");
}

bool ProbeWav(const std::wstring& path, WavProbe& probe) noexcept
{
    return Guarded([&] {
        probe = WavProbe();
        FileStream file;
        Check(file.OpenShared(path) && ReadRiffHeader(file));
        bool haveFormat = false;
        ChunkHeader h;
        while (ReadChunkHeader(file, h)) {
            if (h.id == FourCc("fmt ")) {
                ReadFormat(file, h, probe.format);
                haveFormat = true;
            } else if (h.id == FourCc("data")) {
                Check(haveFormat && probe.format.IsValid());
                probe.byteCount = AvailableData(file, h);
                if (probe.format.IsPcm()) probe.frameCount = int32_t(std::min<uint32_t>(
                    probe.byteCount / probe.format.nBlockAlign, INT32_MAX));
                Check(probe.byteCount != 0 && (!probe.format.IsPcm() || probe.frameCount != 0));
                return true;
            } else {
                Check(h.size > 0);
            }
            if (!MoveTo(file, h.id == FourCc("fmt ") ? h.start + h.size : h.Next())) break;
        }
        return false;  // no data
    });
}

namespace {

// Reads the chunks of a PCM file into the clip.
bool ReadPcmWav(Stream& file, AudioClip& clip, ProgressRange* progress)
{
    if (!clip.format.IsEmpty()) clip.format.Reset();
    if (!clip.buffer.IsEmpty()) clip.buffer.Reset();
    clip.frameCount = 0;
    clip.byteCount = 0;
    Check(ReadRiffHeader(file));

    bool haveFormat = false;
    ChunkHeader h;
    while (!(progress && progress->IsCancelled())) {
        if (!ReadChunkHeader(file, h)) Raise();
        if (h.id == FourCc("fmt ")) {
            ReadFormat(file, h, clip.format);
            haveFormat = true;
            if (!MoveTo(file, h.start + h.size)) Raise();  // a format and then nothing
        } else if (h.id == FourCc("data")) {
            const AudioFormat& f = clip.format;
            Check(haveFormat && f.IsValid() && f.IsPcm() && f.nChannels >= 1 && f.nChannels <= 2);
            const uint32_t bytes = AvailableData(file, h);
            const uint32_t frames = bytes / f.nBlockAlign;
            Check(frames > 0 && frames <= uint32_t(INT32_MAX));
            clip.frameCount = int32_t(frames);
            clip.byteCount = frames * f.nBlockAlign;
            Check(SeekWithin(file, uint32_t(h.start)));
            Check(clip.buffer.ReadPcm(file, f, int32_t(frames), progress) && clip.buffer.IsValid());
            // The samples are in; what follows them does not matter.
            return true;
        } else {
            Check(h.size > 0);
            if (!MoveTo(file, h.Next())) Raise();  // the file ends inside the chunk, before any data
        }
        if (file.IsEof()) Raise();  // no data chunk
    }
    Raise();
}

}  // namespace

bool LoadWav(const std::wstring& path, AudioClip& clip, ProgressRange* progress) noexcept
{
    TempFile converted;
    const bool ok = Guarded([&] {
        Check(!(progress && progress->IsCancelled()));
        WavProbe probe;
        Check(ProbeWav(path, probe));
        const uint32_t range = progress ? progress->Range() : 0;
        const uint32_t convertShare = uint32_t(range * 0.2);
        std::wstring source = path;
        if (!probe.format.IsPcm()) {
            converted.Reset(MakeTempFilePath());
            Check(!converted.Empty());
            NestedProgress step(progress, convertShare);
            Check(ConvertToWav(path, converted.Path(), progress ? &step : nullptr));
            source = converted.Path();
        } else if (progress) {
            progress->Advance(int32_t(convertShare));
        }
        NestedProgress read(progress, progress ? progress->Range() - progress->Position() : 0);
        // Read only and shared: another program may have the song open.
        FileStream file;
        Check(file.OpenShared(source));
        Check(ReadPcmWav(file, clip, progress ? &read : nullptr));
        return true;
    });
    if (!ok) clip.Reset();
    return EndProgress(progress, ok);
}

bool LoadPcmWav(Stream& stream, AudioClip& clip, ProgressRange* progress) noexcept
{
    const bool ok = Guarded([&] {
        Check(!(progress && progress->IsCancelled()) && stream.IsOpen());
        return ReadPcmWav(stream, clip, progress);
    });
    if (!ok) clip.Reset();
    return EndProgress(progress, ok);
}

}  // namespace vorlune

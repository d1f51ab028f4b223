#include "audio/AudioDocument.h"

#include <algorithm>
#include <cmath>

#include "audio/CpuYield.h"
#include "audio/Mp3Decoder.h"
#include "audio/Mp3Encoder.h"
#include "io/ProgressRange.h"
#include "audio/SampleConvert.h"
#include "audio/TempFile.h"
#include "audio/WavReader.h"
#include "io/FileUtil.h"
#include "io/MappedFileStream.h"
#include "win/Error.h"

namespace vorlune {

int32_t FadeLength(double seconds, int32_t rate) noexcept
{
    if (!(seconds >= 0.3) || rate <= 0) return 0;
    // The duration is a whole number of frames over the rate: take that number
    // back before halving it, or x87 intermediates (32-bit build) cut it short.
    const double frames = seconds >= 3.0 ? rate * 1.5 : std::round(seconds * rate) * 0.5;
    return int32_t(std::min<double>(std::trunc(frames), INT32_MAX));
}

FrameSpan SelectionFrames(double start, double end, int64_t frames) noexcept
{
    if (!std::isfinite(start)) start = 0.0;
    if (!std::isfinite(end)) end = 1.0;
    start = std::clamp(start, 0.0, 1.0);
    end = std::clamp(end, 0.0, 1.0);
    if (!((start > 0.0 || end < 1.0) && start < end)) return {0, frames};
    const double n = double(frames);
    return {int64_t(start * n), int64_t(end * n)};
}

PropertyBinder& AudioDocument::Binder() noexcept { return binder_ ? *binder_ : shell_; }

bool AudioDocument::IsUsable() const noexcept
{
    if (clip_.IsEmpty()) return true;
    return clip_.IsLoaded() && clip_.buffer.IsConsistent();
}

bool AudioDocument::CreateSilentMs(bool stereo, uint32_t milliseconds, int32_t rate) noexcept
{
    return clip_.CreateSilentMs(stereo, milliseconds, rate);
}

void AudioDocument::Reset() noexcept
{
    info_.Clear();
    info_.valid = 0;
    songPath_.clear();
    tags_ = TagReport();
    clip_.Reset();
}

bool AudioDocument::Open(const std::wstring& path, ProgressRange* progress) noexcept
{
    return OpenSelection(path, 0.0, 1.0, progress);
}

bool AudioDocument::OpenSelection(const std::wstring& path, double start, double end,
                                  ProgressRange* progress) noexcept
{
    const bool ok = Guarded([&] {
        Check(!(progress && progress->IsCancelled()) && FileExists(path));
        songPath_ = path;
        info_.Read(path, Binder());  // a song without readable tags is still a song
        Mp3Decoder decoder;
        Check(decoder.OpenSong(path));
        const FrameSpan span = SelectionFrames(start, end, decoder.Frames());
        return LoadFrames(decoder, span, progress);
    });
    return EndProgress(progress, ok);
}

bool AudioDocument::OpenRange(const std::wstring& mp3Path, uint32_t startMs, uint32_t endMs) noexcept
{
    return Guarded([&] {
        Check(startMs != endMs);
        Mp3Decoder decoder;
        Check(decoder.OpenSong(mp3Path));
        songPath_ = mp3Path;
        FrameSpan span{};
        Check(decoder.RangeFrames(startMs, endMs, span.first, span.end));
        return LoadFrames(decoder, span, nullptr);
    });
}

bool AudioDocument::LoadFrames(Mp3Decoder& decoder, const FrameSpan& span, ProgressRange* progress)
{
    Check(span.end - span.first >= 1 && span.end - span.first <= INT32_MAX);
    // The decoded frames pass through a temporary WAV file that the system
    // removes however the process ends.
    MappedFileStream wav;
    Check(wav.CreateTemporary(MappedFileStream::kInitialCapacity));
    const uint32_t half = progress ? progress->Range() / 2 : 0;
    {
        NestedProgress decode(progress, half);
        Check(decoder.DecodeFrames(wav, span.first, span.end, progress ? &decode : nullptr));
    }
    NestedProgress load(progress, progress ? progress->Range() - progress->Position() : 0);
    Check(LoadPcmWav(wav, clip_, progress ? &load : nullptr));
    // A song cut short on disk while it was read gives fewer frames than
    // were asked for: that is no ringtone of the selection.
    if (clip_.buffer.frames != span.end - span.first) {
        clip_.Reset();
        Raise();
    }
    return true;
}

bool AudioDocument::SaveMp3(const std::wstring& path, ProgressRange* progress) noexcept
{
    const bool ok = Guarded([&] {
        Check(!(progress && progress->IsCancelled()) && !path.empty());
        // The encoder's check, before any file is made.
        Check(Mp3Encoder::Instance().IsUsable());
        // 1. Encode into a temporary file beside the output. Its name ends
        //    in ".mp3": the shell picks its tag handler by the extension.
        ReplacementFile ringtone(path, L"mp3");
        Check(!ringtone.Path().empty());
        if (clip_.buffer.IsConsistent()) {
            Check(Mp3Encoder::Instance().Encode(ringtone.Path(), clip_, progress));
        } else {
            // Views into other stores: encode a consistent copy.
            AudioClip copy;
            NestedProgress copying(progress, progress ? uint32_t(progress->Range() * 0.2) : 0);
            Check(clip_.CopyTo(copy, progress ? &copying : nullptr));
            NestedProgress encoding(progress, progress ? progress->Range() - progress->Position() : 0);
            Check(Mp3Encoder::Instance().Encode(ringtone.Path(), copy, progress ? &encoding : nullptr));
        }
        // 2. The song's tags, into the temporary file too: copied from the
        //    song's own tag first, then through the shell. The ringtone
        //    stands without them, but not with its audio moved about by a
        //    tag write that stopped half-way.
        tags_ = TagReport();
        if (!songPath_.empty() && !tags_.copy.Run(songPath_, ringtone.Path()) &&
            tags_.copy.Failed() == TagCopy::Step::kWriteRingtone) {
            int64_t frames = 0;
            long rate = 0;
            int channels = 0;
            Check(Mp3Decoder().Probe(ringtone.Path(), frames, rate, channels) && frames == clip_.buffer.frames);
        }
        if (info_.HasTags())
            tags_.shell = info_.Write(ringtone.Path(), Binder()) ? TagReport::Shell::kWritten
                                                                 : TagReport::Shell::kFailed;
        // 3. Only a finished ringtone takes the output's place, in one step;
        //    until then whatever stood there is untouched.
        Check(!(progress && progress->IsCancelled()));
        Check(ringtone.Commit());
        return true;
    });
    return EndProgress(progress, ok);
}

template <class Fn>
bool AudioDocument::ForEachChannelRange(int32_t first, int32_t end, Fn&& fn) noexcept
{
    if (!clip_.IsLoaded() || !clip_.buffer.IsConsistent()) return false;
    for (int c = 0; c < clip_.buffer.channels; ++c) {
        ChannelSamples& ch = clip_.buffer.Channel(c);
        const int32_t n = ch.Count();
        const int32_t a = std::clamp(first, 0, n), b = std::clamp(end, 0, n);
        if (b < a) return false;
        if (!fn(ch, a == b ? 0 : a, a == b ? n : b - a)) return false;
    }
    return true;
}

namespace {

// Multiplies samples [a, a + m) by gain(k), k counting from the range's start.
template <class Gain>
bool Shape(ChannelSamples& ch, int32_t a, int32_t m, Gain gain)
{
    CpuYield yield;
    return ch.ForEachRun(a, m, [&](float* run, int32_t n, int32_t index) {
        const int32_t k0 = index - a;
        for (int32_t i = 0; i < n; ++i) run[i] = ClampSample(float(run[i] * gain(k0 + i)));
        yield.Tick();
    });
}

}  // namespace

bool AudioDocument::FadeIn(int32_t first, int32_t end) noexcept
{
    return ForEachChannelRange(first, end, [](ChannelSamples& ch, int32_t a, int32_t m) {
        if (m <= 1) return true;
        const double last = m - 1;
        return Shape(ch, a, m, [last](int32_t k) { return k / last; });
    });
}

bool AudioDocument::FadeOut(int32_t first, int32_t end) noexcept
{
    return ForEachChannelRange(first, end, [](ChannelSamples& ch, int32_t a, int32_t m) {
        if (m <= 1) return true;
        const double last = m - 1;
        return Shape(ch, a, m, [last](int32_t k) { return 1.0 - k / last; });
    });
}

bool AudioDocument::ChangeVolume(int32_t first, int32_t end, double percent) noexcept
{
    if (percent == 100.0) return true;
    if (!std::isfinite(percent)) return false;
    const double factor = percent * 0.01;
    return ForEachChannelRange(first, end, [factor](ChannelSamples& ch, int32_t a, int32_t m) {
        return Shape(ch, a, m, [factor](int32_t) { return factor; });
    });
}

bool AudioDocument::Crop(int32_t first, int32_t end, bool remove) noexcept
{
    if (!clip_.IsLoaded() || !clip_.buffer.IsConsistent()) return false;
    const int32_t frames = clip_.buffer.frames;
    const int32_t a = std::clamp(first, 0, frames), b = std::clamp(end, 0, frames);
    if (b - a <= 0) return false;
    AudioClip cropped;
    const bool stereo = clip_.buffer.channels == 2;
    if (!cropped.CreateSilent(stereo, remove ? frames - (b - a) : b - a, clip_.buffer.rate)) return false;
    for (int c = 0; c < clip_.buffer.channels; ++c) {
        ChannelSamples& from = clip_.buffer.Channel(c);
        ChannelSamples& to = cropped.buffer.Channel(c);
        const bool ok = remove ? (a == 0 || ChannelSamples::Copy(from, 0, to, 0, a)) &&
                                     (b == frames || ChannelSamples::Copy(from, b, to, a, frames - b))
                               : ChannelSamples::Copy(from, a, to, 0, b - a);
        if (!ok) return false;
    }
    clip_.Swap(cropped);  // the old stores go with `cropped`
    return true;
}

bool AudioDocument::ToStereo() noexcept
{
    if (!clip_.IsLoaded() || !clip_.buffer.IsConsistent()) return false;
    if (clip_.buffer.channels == 2) return true;
    ChannelSamples right;
    if (!right.Allocate(clip_.buffer.frames)) return false;
    if (!ChannelSamples::Copy(clip_.buffer.first, 0, right, 0, clip_.buffer.frames)) return false;
    clip_.buffer.second = std::move(right);
    clip_.buffer.channels = 2;
    AudioFormat& f = clip_.format;
    f.nChannels = 2;
    f.nBlockAlign = uint16_t(f.nBlockAlign * 2);
    f.nAvgBytesPerSec *= 2;
    clip_.byteCount = uint32_t(clip_.frameCount) * f.nBlockAlign;
    return true;
}

bool AudioDocument::ToMono() noexcept
{
    if (!clip_.IsLoaded() || !clip_.buffer.IsConsistent()) return false;
    if (clip_.buffer.channels == 1) return true;
    ChannelSamples& left = clip_.buffer.first;
    ChannelSamples& right = clip_.buffer.second;
    const int32_t frames = clip_.buffer.frames;
    float lowest = 0.0f, highest = 0.0f;
    CpuYield yield;
    const bool summed = left.ForEachRun(0, frames, [&](float* run, int32_t n, int32_t index) {
        int32_t at = 0;
        right.ForEachRun(index, n, [&](float* r, int32_t m, int32_t) {
            for (int32_t i = 0; i < m; ++i, ++at) {
                const float s = run[at] + r[i];
                run[at] = s;
                lowest = std::min(lowest, s);
                highest = std::max(highest, s);
            }
        });
        yield.Tick();
    });
    if (!summed) return false;
    if (lowest < -1.0f || highest > 1.0f) {
        const double scale = 1.0 / std::max<double>(-lowest, highest);
        Shape(left, 0, frames, [scale](int32_t) { return scale; });
    }
    right.Release();
    clip_.buffer.channels = 1;
    AudioFormat& f = clip_.format;
    f.nChannels = 1;
    f.nBlockAlign = uint16_t(f.nBlockAlign / 2);
    f.nAvgBytesPerSec /= 2;
    clip_.byteCount = uint32_t(clip_.frameCount) * f.nBlockAlign;
    return true;
}

}  // namespace vorlune

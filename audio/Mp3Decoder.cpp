#include "audio/Mp3Decoder.h"

#include <mpg123.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>
#include <vector>

#include "audio/CpuYield.h"
#include "io/ProgressRange.h"
#include "audio/WavHeader.h"
#include "io/FileStream.h"
#include "io/MappedFileStream.h"
#include "win/Error.h"

namespace vorlune {

constexpr const char* kBadEncoding = "bad encoding";
constexpr const char* kEndedEarly = "Warning: decoding ended prematurely.";
constexpr long kPreframes = 8;
constexpr int kHeadFrames = 4;

// The song as libmpg123 reads it: our own reader over a handle opened by its
// wide path, so every name works whatever the ANSI code page. libmpg123 asks
// for a frame header and then a frame body, a few hundred bytes at a time, so
// the reads go through a buffer of our own.
class Mp3Source {
public:
    bool Open(const std::wstring& path) noexcept
    {
        if (!file_.OpenRead(path)) return false;
        LARGE_INTEGER size{};
        // The reader's offsets are 32-bit signed.
        if (!GetFileSizeEx(file_.Handle(), &size) || size.QuadPart > LONG_MAX) return false;
        size_ = uint32_t(size.QuadPart);
        buffer_.resize(kBufferBytes);
        return true;
    }

    static mpg123_ssize_t Read(void* self, void* destination, size_t bytes) noexcept
    {
        return static_cast<Mp3Source*>(self)->ReadAt(static_cast<uint8_t*>(destination), bytes);
    }

    static off_t Seek(void* self, off_t offset, int whence) noexcept
    {
        Mp3Source& s = *static_cast<Mp3Source*>(self);
        int64_t base = 0;
        if (whence == SEEK_CUR)
            base = s.position_;
        else if (whence == SEEK_END)
            base = s.size_;
        else if (whence != SEEK_SET)
            return -1;
        const int64_t target = base + offset;
        if (target < 0 || target > LONG_MAX) return -1;
        s.position_ = uint32_t(target);
        return off_t(target);
    }

private:
    static constexpr uint32_t kBufferBytes = 64 * 1024;

    mpg123_ssize_t ReadAt(uint8_t* destination, size_t bytes) noexcept
    {
        if (position_ >= size_ || bytes == 0) return 0;
        const uint32_t wanted = uint32_t(std::min<uint64_t>(bytes, size_ - position_));
        uint32_t copied = 0;
        while (copied < wanted) {
            if (position_ < start_ || position_ >= start_ + length_) {
                if (!file_.Seek(int32_t(position_), SeekBegin)) break;
                start_ = position_;
                length_ = file_.Read(buffer_.data(), 1, kBufferBytes);
                if (length_ == 0) break;
            }
            const uint32_t n = std::min(wanted - copied, start_ + length_ - position_);
            std::memcpy(destination + copied, buffer_.data() + (position_ - start_), n);
            copied += n;
            position_ += n;
        }
        return copied ? mpg123_ssize_t(copied) : -1;
    }

    FileStream file_;
    std::vector<uint8_t> buffer_;
    uint32_t start_ = 0;   // file offset of buffer_[0]
    uint32_t length_ = 0;  // bytes in buffer_
    uint32_t position_ = 0;
    uint32_t size_ = 0;
};

namespace {

// mpg123_init once per process, on first use; mpg123_exit at process exit.
bool LibraryReady() noexcept
{
    struct Library {
        int result = mpg123_init();
        ~Library()
        {
            if (result == MPG123_OK) mpg123_exit();
        }
    };
    static Library library;
    return library.result == MPG123_OK;
}

bool Cancelled(const ProgressRange* progress) noexcept { return progress && progress->IsCancelled(); }

// A partial frame from a damaged stream, a format change and a demand for
// more input all mean the stream is over; a plain error stays one.
int Outcome(int result, size_t done) noexcept
{
    if (result == MPG123_ERR) return done > 0 ? MPG123_DONE : MPG123_ERR;
    if (result == MPG123_NEW_FORMAT || result == MPG123_NEED_MORE) return MPG123_DONE;
    return result;
}

// The WAV file being written. Unless it is finished, the file is deleted
// again, so a failed decode leaves nothing half-written behind.
class WavOutput {
public:
    explicit WavOutput(const std::wstring& path) : path_(path) {}
    ~WavOutput()
    {
        if (created_) {
            stream_.Close();
            DeleteFileW(path_.c_str());
        }
    }
    WavOutput(const WavOutput&) = delete;
    WavOutput& operator=(const WavOutput&) = delete;

    void Create(int channels, long rate, int64_t frames)
    {
        Check(stream_.Create(path_, MappedFileStream::kInitialCapacity));
        created_ = true;
        Check(WriteWavHeader16(stream_, uint16_t(channels), uint32_t(rate), uint32_t(frames)));
    }
    Stream& Data() noexcept { return stream_; }
    void Patch(uint32_t dataBytes) { Check(PatchWavHeader(stream_, dataBytes)); }
    void Finish()
    {
        Check(stream_.Close());
        created_ = false;
    }

private:
    std::wstring path_;
    MappedFileStream stream_;
    bool created_ = false;
};

}  // namespace

Mp3Decoder::Mp3Decoder() noexcept = default;

Mp3Decoder::~Mp3Decoder() { Close(); }

void Mp3Decoder::Close() noexcept
{
    if (handle_) {
        mpg123_close(handle_);
        mpg123_delete(handle_);
        handle_ = nullptr;
    }
    source_.reset();
    rate_ = 0;
    channels_ = 0;
    frames_ = 0;
    bufferBytes_ = 0;
}

void Mp3Decoder::Open(const std::wstring& mp3Path, Length length)
{
    Close();
    Check(LibraryReady());
    handle_ = mpg123_new(nullptr, nullptr);
    Check(handle_ != nullptr);
    // Damaged streams are reported through the result, not on stderr.
    mpg123_param(handle_, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    // After a seek, low-bitrate streams reach further back into the bit
    // reservoir than the default four frames: the start of a range came out
    // silent.
    mpg123_param(handle_, MPG123_PREFRAMES, kPreframes, 0.0);

    source_ = std::make_unique<Mp3Source>();
    Check(source_->Open(mp3Path));
    Check(mpg123_replace_reader_handle(handle_, &Mp3Source::Read, &Mp3Source::Seek, nullptr) == MPG123_OK);
    Check(mpg123_open_handle(handle_, source_.get()) == MPG123_OK);

    long rate = 0;
    int channels = 0, encoding = 0;
    Check(mpg123_getformat(handle_, &rate, &channels, &encoding) == MPG123_OK);
    if (encoding != MPG123_ENC_SIGNED_16) Raise(kBadEncoding);
    Check(rate >= 1 && (channels == 1 || channels == 2));
    Check(mpg123_format_none(handle_) == MPG123_OK);
    Check(mpg123_format(handle_, rate, channels, MPG123_ENC_SIGNED_16) == MPG123_OK);

    // The exact length needs every frame. Without it the length is not
    // known: libmpg123's estimate from the file's size overflows for large
    // files, and the frames that decode are what tell a song.
    off_t frames = 0;
    if (length == kExact) {
        Check(mpg123_scan(handle_) == MPG123_OK);
        frames = mpg123_length(handle_);
        Check(frames >= 1);
    }
    const size_t block = mpg123_outblock(handle_);
    Check(block > 0);

    rate_ = rate;
    channels_ = channels;
    frames_ = frames;
    bufferBytes_ = block * 64;
}

template <class Body>
bool Mp3Decoder::Guard(Body&& body, AfterSuccess after) noexcept
{
    error_ = "";
    bool ok = false;
    try {
        body();
        ok = true;
    } catch (const Error& e) {
        error_ = e.what();
    } catch (...) {
        error_ = "err";
    }
    if (!ok || after == kClose) Close();
    return ok;
}

bool Mp3Decoder::Probe(const std::wstring& mp3Path, int64_t& frames, long& rate, int& channels) noexcept
{
    return Guard([&] {
        Open(mp3Path);
        frames = frames_;
        rate = rate_;
        channels = channels_;
    });
}

bool Mp3Decoder::ProbeHead(const std::wstring& mp3Path, int64_t& firstFrameAt) noexcept
{
    firstFrameAt = -1;
    return Guard([&] {
        Open(mp3Path, kEstimated);
        // A stray sync word in foreign data can pass for one header; a run of
        // frames that decode cleanly cannot.
        std::vector<uint8_t> buffer(bufferBytes_ / 64);
        int good = 0;
        while (good < kHeadFrames) {
            size_t done = 0;
            const int result = mpg123_read(handle_, buffer.data(), buffer.size(), &done);
            if (result == MPG123_NEW_FORMAT) Raise("err");  // the format changed: no song
            if (result == MPG123_DONE && good > 0) break;   // a song of fewer frames
            Check(result == MPG123_OK && done > 0);
            if (good++ == 0) firstFrameAt = mpg123_framepos(handle_);
        }
    });
}

bool Mp3Decoder::DecodeToWav(const std::wstring& wavPath, const std::wstring& mp3Path,
                             ProgressRange* progress) noexcept
{
    return Guard([&] {
        Open(mp3Path);
        Check(!Cancelled(progress));
        // The header's sizes are 32-bit.
        Check(uint64_t(frames_) * channels_ * 2 <= kMaxWavDataBytes);
        WavOutput out(wavPath);
        out.Create(channels_, rate_, frames_);
        Check(ReadFrames(out.Data(), frames_, progress) == frames_);
        out.Finish();
    });
}

bool Mp3Decoder::RangeFrames(uint32_t startMs, uint32_t endMs, int64_t& first, int64_t& end) const noexcept
{
    if (startMs == endMs || rate_ <= 0) return false;
    if (endMs < startMs) std::swap(startMs, endMs);
    const int64_t totalMs = frames_ * 1000 / rate_;
    if (startMs >= totalMs) return false;
    first = int64_t(startMs) * rate_ / 1000;
    end = std::min(std::min<int64_t>(endMs, totalMs) * rate_ / 1000, frames_);
    return end > first;
}

bool Mp3Decoder::DecodeRangeToWav(const std::wstring& wavPath, const std::wstring& mp3Path, uint32_t startMs,
                                  uint32_t endMs) noexcept
{
    return Guard([&] {
        Check(startMs != endMs);
        Open(mp3Path);
        int64_t first = 0, end = 0;
        Check(RangeFrames(startMs, endMs, first, end));
        const int64_t count = end - first;
        Check(uint64_t(count) * channels_ * 2 <= kMaxWavDataBytes);
        if (first > 0) SeekExactly(first);

        WavOutput out(wavPath);
        out.Create(channels_, rate_, count);
        const int64_t written = ReadFrames(out.Data(), count, nullptr);
        // A header over no samples would pass for a decoded song.
        Check(written >= 1);
        if (written < count) out.Patch(uint32_t(written * int64_t(channels_) * 2));
        out.Finish();
    });
}

bool Mp3Decoder::OpenSong(const std::wstring& mp3Path) noexcept
{
    return Guard([&] { Open(mp3Path); }, kKeepOpen);
}

void Mp3Decoder::SeekExactly(int64_t frame)
{
    // libmpg123 seeks sample-exactly: it goes back a few frames
    // (MPG123_PREFRAMES) and decodes its way in, so the bit reservoir and
    // the filter banks hold what a decode from the start would have. Their
    // values are the same, but the synthesis filter works in a ring of 16
    // slots that turns 36 steps a frame (18 in MPEG-2 and 2.5), and its sums
    // round differently in another slot: a last bit here and there. Starting
    // the decode on a multiple of 8 frames puts the ring where a decode from
    // the song's start has it, and the samples come out identical.
    Check(mpg123_seek(handle_, off_t(frame), SEEK_SET) == off_t(frame));
    const off_t holding = mpg123_tellframe(handle_);  // the MPEG frame that holds `frame`
    Check(holding >= 0);
    const long back = holding <= kPreframes ? kPreframes : kPreframes + long((holding - kPreframes) % 8);
    // Back to the start first: a seek that lands inside the frames already
    // lined up for decoding keeps them, whatever the new count.
    Check(mpg123_seek(handle_, 0, SEEK_SET) == 0);
    Check(mpg123_param(handle_, MPG123_PREFRAMES, back, 0.0) == MPG123_OK);
    Check(mpg123_seek(handle_, off_t(frame), SEEK_SET) == off_t(frame));
}

bool Mp3Decoder::DecodeFrames(Stream& out, int64_t first, int64_t end, ProgressRange* progress) noexcept
{
    return Guard([&] {
        Check(handle_ != nullptr && 0 <= first && first < end && end <= frames_);
        Check(!Cancelled(progress));
        const int64_t count = end - first;
        Check(uint64_t(count) * channels_ * 2 <= kMaxWavDataBytes);
        if (first > 0) SeekExactly(first);
        Check(WriteWavHeader16(out, uint16_t(channels_), uint32_t(rate_), uint32_t(count)));
        Check(ReadFrames(out, count, progress) == count);
    });
}

int64_t Mp3Decoder::ReadFrames(Stream& out, int64_t count, ProgressRange* progress)
{
    std::vector<uint8_t> buffer(bufferBytes_);
    const size_t frameBytes = size_t(channels_) * 2;
    int64_t written = 0;
    CpuYield yield;
    int result;
    do {
        Check(!Cancelled(progress));
        size_t done = 0;
        result = Outcome(mpg123_read(handle_, buffer.data(), buffer.size(), &done), done);
        const int64_t take = std::min<int64_t>(int64_t(done / frameBytes), count - written);
        const uint32_t bytes = uint32_t(size_t(take) * frameBytes);
        if (bytes) Check(out.Write(buffer.data(), 1, bytes) == bytes);
        written += take;
        if (written == count) result = MPG123_DONE;
        if (progress) progress->SetPercent(float(double(written) * 100.0 / double(count)));
        yield.Tick();
    } while (result == MPG123_OK);
    if (result != MPG123_DONE) Raise(kEndedEarly);
    return written;
}

bool DecodeToWav(const std::wstring& wavPath, const std::wstring& mp3Path, ProgressRange* progress) noexcept
{
    Mp3Decoder decoder;
    return decoder.DecodeToWav(wavPath, mp3Path, progress);
}

bool DecodeRangeToWav(const std::wstring& wavPath, const std::wstring& mp3Path, uint32_t startMs,
                      uint32_t endMs) noexcept
{
    Mp3Decoder decoder;
    return decoder.DecodeRangeToWav(wavPath, mp3Path, startMs, endMs);
}

}  // namespace vorlune

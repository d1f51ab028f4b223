#pragma once

#include <cstdint>
#include <memory>
#include <string>

struct mpg123_handle_struct;

namespace vorlune {

class ProgressRange;
class Mp3Source;
class Stream;

// Decodes MP3 songs with libmpg123 into 16-bit PCM WAV files with the plain
// 44-byte header. The output format is fixed to the song's first frame. Holds
// one libmpg123 handle at a time, closed and deleted on every exit.
//
// A failure leaves no half-written WAV file: once the decoder has created the
// output it deletes it again. A path it never wrote to is left alone.
class Mp3Decoder {
public:
    Mp3Decoder() noexcept;
    ~Mp3Decoder();
    Mp3Decoder(const Mp3Decoder&) = delete;
    Mp3Decoder& operator=(const Mp3Decoder&) = delete;

    // The whole song, with progress and cancellation (progress may be null).
    // Succeeds only when every frame the song holds was decoded.
    bool DecodeToWav(const std::wstring& wavPath, const std::wstring& mp3Path, ProgressRange* progress) noexcept;
    // The frames from startMs to endMs (swapped when given the wrong way
    // round); a range running past the end of the song is cut there.
    bool DecodeRangeToWav(const std::wstring& wavPath, const std::wstring& mp3Path, uint32_t startMs,
                          uint32_t endMs) noexcept;

    // Whether the song opens and its first frames decode, reading only its
    // head: quick however long the file is. Gives the file offset of the
    // first frame that decoded.
    bool ProbeHead(const std::wstring& mp3Path, int64_t& firstFrameAt) noexcept;

    // The song's exact length and format, without decoding it.
    bool Probe(const std::wstring& mp3Path, int64_t& frames, long& rate, int& channels) noexcept;

    // Opens the song for DecodeFrames, learning its exact length (gapless,
    // from a scan of every frame) and its format.
    bool OpenSong(const std::wstring& mp3Path) noexcept;
    int64_t Frames() const noexcept { return frames_; }
    // The frames [first, end) of the open song from startMs to endMs (swapped
    // when given the wrong way round; cut at the song's end). False for an
    // empty range or one that starts past the end.
    bool RangeFrames(uint32_t startMs, uint32_t endMs, int64_t& first, int64_t& end) const noexcept;
    // Writes frames [first, end) of the song opened by OpenSong into out, from
    // its current position, as a 16-bit WAV file; with progress and
    // cancellation (progress may be null). They are the very samples that
    // decoding the whole song gives at those frames. Succeeds only when every
    // one of them was decoded; closes the song either way.
    bool DecodeFrames(Stream& out, int64_t first, int64_t end, ProgressRange* progress) noexcept;

    // Why the last operation failed ("err", "bad encoding",
    // "Warning: decoding ended prematurely."); empty after a success.
    const char* LastError() const noexcept { return error_; }

private:
    // Runs body; a failure keeps its text in error_ and closes the song, as
    // does a success unless the song is to stay open.
    enum AfterSuccess { kClose, kKeepOpen };
    template <class Body>
    bool Guard(Body&& body, AfterSuccess after = kClose) noexcept;
    enum Length { kExact, kEstimated };
    void Open(const std::wstring& mp3Path, Length length = kExact);
    // Positions the open song at a frame, decoding from where the samples
    // come out exactly as from the start.
    void SeekExactly(int64_t frame);
    // Decodes up to count frames from the current position into out, with
    // progress and cancellation; returns how many the song still held.
    int64_t ReadFrames(Stream& out, int64_t count, ProgressRange* progress);
    void Close() noexcept;

    mpg123_handle_struct* handle_ = nullptr;
    std::unique_ptr<Mp3Source> source_;
    long rate_ = 0;
    int channels_ = 0;
    int64_t frames_ = 0;      // the song's exact length
    size_t bufferBytes_ = 0;  // output block x 64
    const char* error_ = "";
};

// The same with a decoder of their own.
bool DecodeToWav(const std::wstring& wavPath, const std::wstring& mp3Path, ProgressRange* progress) noexcept;
bool DecodeRangeToWav(const std::wstring& wavPath, const std::wstring& mp3Path, uint32_t startMs,
                      uint32_t endMs) noexcept;

}  // namespace vorlune

#include "audio/TagCopy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "audio/AudioDocument.h"
#include "audio/Mp3Decoder.h"
#include "audio/Mp3Encoder.h"
#include "support/Fixtures.h"
#include "support/TagDump.h"

namespace vorlune {
namespace {

using test::FixturePath;
using test::PcmWav;
using test::TempPath;
using Names = std::vector<std::wstring>;

// A ringtone as the encoder leaves it: one second of 44.1 kHz stereo with
// the encoder's Info tag and no other tag.
const std::vector<uint8_t>& BareRingtone()
{
    static const std::vector<uint8_t> bytes = [] {
        AudioClip clip;
        TempPath mp3(L".mp3");
        if (!clip.CreateSilentMs(true, 1000, 44100) || !Mp3Encoder::Instance().Encode(mp3, clip, nullptr))
            return std::vector<uint8_t>();
        return test::ReadAll(mp3);
    }();
    return bytes;
}

// The bytes after an ID3v2 tag at the start; empty when there is none.
std::vector<uint8_t> AfterId3v2(const std::vector<uint8_t>& file, int& version)
{
    if (file.size() < 10 || file[0] != 'I' || file[1] != 'D' || file[2] != '3') return {};
    version = file[3];
    const size_t size = 10 + (size_t(file[6]) << 21 | size_t(file[7]) << 14 | size_t(file[8]) << 7 | file[9]);
    return size <= file.size() ? std::vector<uint8_t>(file.begin() + ptrdiff_t(size), file.end())
                               : std::vector<uint8_t>();
}

const Names kAll = {L"title", L"artist", L"album artist", L"album", L"year", L"track",
                    L"genre", L"comment", L"composer"};

const Names kId3v1 = {L"title", L"artist", L"album", L"year", L"track", L"genre", L"comment"};

Names With(Names names, int pictures)
{
    names.insert(names.end(), size_t(pictures), L"picture");
    return names;
}

// Songs tagged by mutagen: ID3v2.3 in Latin-1 with a 600 x 600 JPEG cover;
// ID3v2.4 in UTF-16 and UTF-8 with a PNG back cover before the JPEG front
// one and a 21000-character comment; ID3v1 only; ID3v1 behind an ID3v2 tag
// with nothing worth copying; no tag. Their ID3v2 tags also hold TLEN,
// encoder, replay gain, private and iTunNORM frames (2.4: a SEEK frame),
// which stay behind. The song and the ringtone have names outside every
// ANSI code page.
TEST(TagCopy, TheSongsTagsAndPicturesReachTheRingtoneAndNothingElse)
{
    const std::vector<uint8_t>& bare = BareRingtone();
    ASSERT_FALSE(bare.empty());
    struct Case {
        const wchar_t* song;
        Names copied;
        bool fromId3v1;
    };
    const Case cases[] = {
        {L"tags-v23.mp3", With(kAll, 1), false},
        {L"tags-v24.mp3", With(kAll, 2), false},
        {L"tags-v1.mp3", kId3v1, true},
        {L"tags-v1-behind-v2.mp3", kId3v1, true},
        {L"tags-none.mp3", {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.song);
        const std::wstring fixture = FixturePath((std::wstring(L"mp3\\") + c.song).c_str());
        ASSERT_FALSE(fixture.empty());
        TempPath song(L" Песня 歌曲.mp3"), ringtone(L" рингтон 铃声.mp3");
        ASSERT_TRUE(CopyFileW(fixture.c_str(), song.Path().c_str(), FALSE));
        ASSERT_TRUE(test::WriteAll(ringtone, bare.data(), bare.size()));

        TagCopy copy;
        EXPECT_TRUE(copy.Run(song, ringtone));
        EXPECT_EQ(copy.Failed(), TagCopy::Step::kNone);
        EXPECT_EQ(copy.Copied(), c.copied);
        EXPECT_EQ(copy.FromId3v1(), c.fromId3v1);

        const std::vector<uint8_t> tagged = test::ReadAll(ringtone);
        if (c.copied.empty()) {
            EXPECT_EQ(tagged, bare);  // nothing to copy: the file is not touched
            continue;
        }
        // The audio, with the encoder's Info tag in its first frame, is the
        // encoder's byte for byte after the new tag.
        int version = 0;
        EXPECT_TRUE(AfterId3v2(tagged, version) == bare);
        EXPECT_EQ(version, 3);

        const test::TagDump got = test::DumpTags(ringtone);
        test::ExpectCopiedTags(test::DumpTags(song), got);
        EXPECT_EQ(got.Get("samples"), "44100") << got.output;  // it still decodes to its own length
    }
}

// Damaged tags in the song (a frame size that runs past the end of the tag
// and the file; a tag that ends inside a picture frame): the render still
// makes the ringtone with the song's audio, and what could be read is
// copied. A song or ringtone that cannot be opened leaves the ringtone as it
// was and names the step that failed.
TEST(TagCopy, DamagedOrUnreadableTagsLeaveAGoodRingtone)
{
    PcmWav clean;
    {
        TempPath wav(L".wav");
        const std::wstring base = FixturePath(L"mp3\\tags-none.mp3");
        ASSERT_FALSE(base.empty());
        ASSERT_TRUE(DecodeToWav(wav, base, nullptr) && test::ReadPcmWav(wav, clean));
    }
    for (const wchar_t* name : {L"mp3\\tags-damaged-size.mp3", L"mp3\\tags-damaged-truncated.mp3"}) {
        SCOPED_TRACE(testing::Message() << name);
        const std::wstring song = FixturePath(name);
        ASSERT_FALSE(song.empty());
        TempPath out(L".mp3");
        AudioDocument document;
        ASSERT_TRUE(document.Open(song, nullptr));
        ASSERT_TRUE(document.SaveMp3(out, nullptr));
        EXPECT_EQ(document.Tags().copy.Failed(), TagCopy::Step::kNone);
        const Names& copied = document.Tags().copy.Copied();
        EXPECT_EQ(Names(copied.begin(), copied.begin() + std::min<size_t>(2, copied.size())),
                  (Names{L"title", L"artist"}));

        PcmWav ringtone;
        TempPath wav(L".wav");
        ASSERT_TRUE(DecodeToWav(wav, out, nullptr) && test::ReadPcmWav(wav, ringtone));
        EXPECT_EQ(ringtone.Frames(), clean.Frames());
        EXPECT_GT(test::Correlation(ringtone.samples, clean.samples), 0.95);
        const test::TagDump got = test::DumpTags(out);
        EXPECT_EQ(got.Get("title"), "Damaged") << got.output;
        EXPECT_EQ(got.Get("version"), "2.3") << got.output;
        EXPECT_EQ(got.Get("samples"), std::to_string(clean.Frames())) << got.output;
    }

    const std::vector<uint8_t>& bare = BareRingtone();
    ASSERT_FALSE(bare.empty());
    const std::wstring song = FixturePath(L"mp3\\tags-v23.mp3");
    TempPath ringtone(L".mp3");
    ASSERT_TRUE(test::WriteAll(ringtone, bare.data(), bare.size()));
    const auto holdExclusively = [](const std::wstring& path) {
        return CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    };
    TagCopy copy;
    HANDLE held = holdExclusively(ringtone);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(copy.Run(song, ringtone));
    EXPECT_EQ(copy.Failed(), TagCopy::Step::kWriteRingtone);
    EXPECT_TRUE(copy.Copied().empty());
    CloseHandle(held);
    EXPECT_EQ(test::ReadAll(ringtone), bare);

    TempPath lockedSong(L".mp3");
    ASSERT_TRUE(CopyFileW(song.c_str(), lockedSong.Path().c_str(), FALSE));
    held = holdExclusively(lockedSong);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(copy.Run(lockedSong, ringtone));
    EXPECT_EQ(copy.Failed(), TagCopy::Step::kReadSong);
    CloseHandle(held);
    EXPECT_EQ(test::ReadAll(ringtone), bare);
    EXPECT_FALSE(copy.Run(L"Z:\\no\\such\\song.mp3", ringtone));
    EXPECT_EQ(copy.Failed(), TagCopy::Step::kReadSong);
}

}  // namespace
}  // namespace vorlune

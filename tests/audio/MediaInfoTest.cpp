#include "audio/MediaInfo.h"

#include <gtest/gtest.h>

#include <propidl.h>

#include <map>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "support/FakePropertyStore.h"

namespace vorlune {
namespace {

using test::FakeBinder;
using test::FakeFile;
using test::kAudio;
using test::kMediaFile;
using test::kMusic;
using test::kSummary;

FakeFile TaggedSong()
{
    FakeFile f;
    f.sets[kSummary] = {{2, std::wstring(L"")}, {6, std::wstring(L"")}};
    f.sets[kMusic] = {{2, std::wstring(L"Артист")},  {3, std::wstring(L"Music Title")},
                      {4, std::wstring(L"Album")},    {5, std::wstring(L"1999")},
                      {6, std::wstring(L"A note")},   {7, uint32_t(7)},
                      {11, std::wstring(L"Jazz")},    {12, std::wstring(L"la la")},
                      {13, std::wstring(L"thirteen")}, {38, std::wstring(L"thirty-eight")}};
    f.sets[kMediaFile] = {{9, uint32_t(150)}};
    f.sets[kAudio] = {{3, uint64_t(2'345'670'000)}, {4, uint32_t(24000)}, {5, uint32_t(44100)},
                      {6, uint32_t(16)},            {7, uint32_t(2)}};
    return f;
}

TEST(MediaInfo, ReadsEveryPropertyWithItsFallbacksAndLimits)
{
    FakeFile file = TaggedSong();
    FakeBinder binder(file);
    MediaInfo info;
    ASSERT_TRUE(info.Read(L"C:\\song.mp3", binder));
    EXPECT_EQ(info.valid, 1);
    EXPECT_EQ(info.title, L"Music Title");  // summary title empty: the music one
    EXPECT_EQ(info.comments, L"A note");
    EXPECT_EQ(info.artist, L"Артист");
    EXPECT_EQ(info.album, L"Album");
    EXPECT_EQ(info.year, 1999u);  // stored as a string
    EXPECT_EQ(info.track, 7u);
    EXPECT_EQ(info.genre, L"Jazz");
    EXPECT_EQ(info.lyrics, L"la la");
    EXPECT_EQ(info.music13, L"thirteen");
    EXPECT_EQ(info.music38, L"thirty-eight");
    EXPECT_EQ(info.rating, 0u);  // 150 is out of range
    EXPECT_EQ(info.durationMs, 234567u);
    EXPECT_EQ(info.averageDataRate, 24000u);
    EXPECT_EQ(info.sampleRate, 44100u);
    EXPECT_EQ(info.sampleSize, 16u);
    EXPECT_EQ(info.channelCount, 2u);
    EXPECT_TRUE(info.HasTags());
    for (DWORD mode : file.openModes) EXPECT_EQ(mode, DWORD(STGM_SHARE_EXCLUSIVE | STGM_READ));
    EXPECT_EQ(binder.binds, std::vector<bool>{false});
}

TEST(MediaInfo, SummaryWinsOverMusicAndNumbersComeInEitherForm)
{
    FakeFile file = TaggedSong();
    file.sets[kSummary] = {{2, std::wstring(L"Summary Title")}, {6, std::wstring(L"Summary note")}};
    file.sets[kMusic][5] = uint32_t(2004);
    file.sets[kMediaFile][9] = uint32_t(99);
    FakeBinder binder(file);
    MediaInfo info;
    ASSERT_TRUE(info.Read(L"x.mp3", binder));
    EXPECT_EQ(info.title, L"Summary Title");
    EXPECT_EQ(info.comments, L"Summary note");
    EXPECT_EQ(info.year, 2004u);
    EXPECT_EQ(info.rating, 99u);

    file.sets[kMusic][5] = std::wstring(L"not a year");
    ASSERT_TRUE(info.Read(L"x.mp3", binder));
    EXPECT_EQ(info.year, 0u);
}

TEST(MediaInfo, UnopenableSetsAreSkippedButAnUnreadableOneFailsTheRead)
{
    FakeFile file = TaggedSong();
    file.unopenable = {kSummary, kAudio};
    FakeBinder binder(file);
    MediaInfo info;
    ASSERT_TRUE(info.Read(L"x.mp3", binder));
    EXPECT_EQ(info.artist, L"Артист");
    EXPECT_EQ(info.sampleRate, 0u);

    file.unreadable = {kMediaFile};
    EXPECT_FALSE(info.Read(L"x.mp3", binder));
    EXPECT_EQ(info.valid, 0);
    EXPECT_TRUE(info.artist.empty());  // cleared, although the music set was read
    EXPECT_FALSE(info.HasTags());
}

TEST(MediaInfo, NoTagsMeansNothingToWrite)
{
    FakeFile file;
    file.sets[kAudio] = {{5, uint32_t(44100)}};
    FakeBinder binder(file);
    MediaInfo info;
    ASSERT_TRUE(info.Read(L"x.mp3", binder));
    EXPECT_FALSE(info.HasTags());  // audio facts are not tags
    info.track = 1;
    EXPECT_TRUE(info.HasTags());
}

TEST(MediaInfo, WritesEverySetInWriteModeAndCommits)
{
    FakeFile source = TaggedSong();
    FakeBinder reader(source);
    MediaInfo info;
    ASSERT_TRUE(info.Read(L"song.mp3", reader));
    info.rating = 42;

    FakeFile out;
    FakeBinder writer(out);
    ASSERT_TRUE(info.Write(L"ring.mp3", writer, 6));
    EXPECT_EQ(writer.binds, (std::vector<bool>{true, true, true}));  // bound anew for each set
    for (DWORD mode : out.openModes) EXPECT_EQ(mode, DWORD(STGM_SHARE_EXCLUSIVE | STGM_READWRITE));
    EXPECT_EQ(out.commits, 3);
    EXPECT_EQ(std::get<std::wstring>(out.sets[kSummary][2]), L"Music Title");
    EXPECT_EQ(std::get<std::wstring>(out.sets[kMusic][2]), L"Артист");
    EXPECT_EQ(std::get<uint32_t>(out.sets[kMusic][5]), 1999u);  // a number on newer systems
    EXPECT_EQ(std::get<uint32_t>(out.sets[kMusic][7]), 7u);
    EXPECT_EQ(std::get<std::wstring>(out.sets[kMusic][38]), L"thirty-eight");
    EXPECT_EQ(std::get<uint32_t>(out.sets[kMediaFile][9]), 42u);

    // Reading back what was written gives the same tags.
    MediaInfo again;
    ASSERT_TRUE(again.Read(L"ring.mp3", writer));
    EXPECT_EQ(again.title, info.title);
    EXPECT_EQ(again.year, info.year);
    EXPECT_EQ(again.rating, info.rating);

    FakeFile old;
    FakeBinder oldWriter(old);
    ASSERT_TRUE(info.Write(L"ring.mp3", oldWriter, 5));
    EXPECT_EQ(std::get<std::wstring>(old.sets[kMusic][5]), L"1999");  // a string on older ones
}

TEST(MediaInfo, RefusedBatchWritesFallBackToOneByOne)
{
    MediaInfo info;
    info.title = L"T";
    info.artist = L"A";
    info.year = 2001;

    FakeFile out;
    out.refuseMultiWrite = true;
    out.refusedPids = {4};  // the album alone cannot be written
    FakeBinder writer(out);
    ASSERT_TRUE(info.Write(L"ring.mp3", writer, 10));
    EXPECT_EQ(std::get<std::wstring>(out.sets[kMusic][2]), L"A");
    EXPECT_EQ(out.sets[kMusic].count(4), 0u);
    EXPECT_EQ(out.commits, 3);
    // The music set: one batch of ten, then ten single writes.
    EXPECT_NE(std::find(out.writeBatchSizes.begin(), out.writeBatchSizes.end(), 10u), out.writeBatchSizes.end());

    // When every single write fails too, the write fails.
    FakeFile hopeless;
    hopeless.refuseMultiWrite = true;
    hopeless.refusedPids = {2, 6};
    hopeless.unopenable = {kMusic, kMediaFile};
    FakeBinder writer2(hopeless);
    EXPECT_FALSE(info.Write(L"ring.mp3", writer2, 10));
    EXPECT_EQ(hopeless.commits, 0);
}

TEST(MediaInfo, UnopenableSetsAreSkippedWhenWriting)
{
    MediaInfo info;
    info.title = L"T";
    FakeFile out;
    out.unopenable = {kSummary, kMusic, kMediaFile};
    FakeBinder writer(out);
    EXPECT_TRUE(info.Write(L"ring.mp3", writer, 10));
    EXPECT_EQ(out.commits, 0);
}

TEST(MediaInfo, ABindingThatFailsLeavesAnEmptyInvalidRecord)
{
    FakeFile file = TaggedSong();
    FakeBinder binder(file);
    binder.refuse = true;
    MediaInfo info;
    info.title = L"stale";
    EXPECT_FALSE(info.Read(L"x.mp3", binder));
    EXPECT_EQ(info.valid, 0);
    EXPECT_TRUE(info.title.empty());
    EXPECT_FALSE(info.Write(L"x.mp3", binder, 10));
}

// The real shell: reading a real file either works or fails cleanly (this
// platform may offer no property handler at all).
TEST(MediaInfo, ShellBindingOfARealFileFailsCleanlyOrReads)
{
    wchar_t dir[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, dir), 0u);
    const std::wstring path = std::wstring(dir) + L"mediainfo-тест.mp3";
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);

    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    {
        MediaInfo info;
        info.artist = L"stale";
        const bool ok = info.ReadWithTitles(path);
        EXPECT_EQ(info.valid, ok ? 1 : 0);
        if (!ok) {
            EXPECT_FALSE(info.HasTags());
        }
        EXPECT_EQ(info.ColumnTitle(L"{no such set}", 2), L"");
        info.title = L"Ringtone";
        info.Write(path);  // must not crash whatever the platform offers
    }
    CoUninitialize();
    EXPECT_TRUE(DeleteFileW(path.c_str()));
}

}  // namespace
}  // namespace vorlune

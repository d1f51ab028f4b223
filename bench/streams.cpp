// Writes 1 GiB sequentially in 64 KiB blocks and reads it back, through a
// MappedFileStream and through a FileStream, and prints the rates. It also
// checks that the mapped stream maps one view per window in each direction.
#include "io/FileStream.h"
#include "io/FileUtil.h"
#include "io/MappedFileStream.h"
#include "bench/BenchClock.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace vorlune;

namespace {

constexpr uint32_t kBlock = 64 * 1024;
constexpr uint32_t kTotal = 1u << 30;
constexpr uint32_t kBlocks = kTotal / kBlock;

double Rate(double seconds)
{
    return kTotal / (1024.0 * 1024.0) / seconds;
}

// Each block starts with its own number, so a misplaced block shows.
void Stamp(std::vector<char>& block, uint32_t index)
{
    std::memcpy(block.data(), &index, sizeof index);
}

bool Stamped(const std::vector<char>& block, uint32_t index)
{
    uint32_t found;
    std::memcpy(&found, block.data(), sizeof found);
    return found == index;
}

// Runs write-then-read through one kind of stream; returns false on any error.
template <class S, class OpenWrite, class OpenRead, class Views>
bool Run(const char* name, const std::wstring& path, OpenWrite openWrite, OpenRead openRead, Views views)
{
    std::vector<char> block(kBlock);
    for (uint32_t i = 0; i < kBlock; ++i) block[i] = static_cast<char>(i * 7);

    double writeSeconds, readSeconds;
    uint64_t writeViews, readViews;
    {
        S s;
        if (!openWrite(s, path)) return std::printf("%s: cannot create the file\n", name), false;
        const double start = Seconds();
        for (uint32_t i = 0; i < kBlocks; ++i) {
            Stamp(block, i);
            if (s.Write(block.data(), kBlock, 1) != 1) return std::printf("%s: write %u failed\n", name, i), false;
        }
        writeViews = views(s);
        s.Close();
        writeSeconds = Seconds() - start;
    }
    if (GetFileSizeByName(path) != kTotal) return std::printf("%s: wrong file size\n", name), false;
    {
        S s;
        if (!openRead(s, path)) return std::printf("%s: cannot open the file\n", name), false;
        const double start = Seconds();
        for (uint32_t i = 0; i < kBlocks; ++i) {
            if (s.Read(block.data(), 1, kBlock) != kBlock || !Stamped(block, i))
                return std::printf("%s: read %u failed\n", name, i), false;
        }
        readViews = views(s);
        s.Close();
        readSeconds = Seconds() - start;
    }
    ::DeleteFileW(path.c_str());

    std::printf("%-16s write %8.1f MB/s   read %8.1f MB/s", name, Rate(writeSeconds), Rate(readSeconds));
    if (writeViews || readViews)
        std::printf("   views mapped: %llu writing, %llu reading", static_cast<unsigned long long>(writeViews),
                    static_cast<unsigned long long>(readViews));
    std::printf("\n");
    return true;
}

}  // namespace

int wmain()
{
    wchar_t temp[MAX_PATH];
    const DWORD n = ::GetTempPathW(MAX_PATH, temp);
    if (n == 0 || n >= MAX_PATH) return 1;
    const std::wstring path = std::wstring(temp, n) + L"vorlune-bench-streams.tmp";
    const uint64_t windows = kTotal / MappedWindowSize();
    std::printf("1 GiB in 64 KiB blocks (MB = 2^20 bytes); window %u KiB, %llu windows\n",
                MappedWindowSize() / 1024, static_cast<unsigned long long>(windows));

    bool ok = true;
    uint64_t mappedWrite = 0, mappedRead = 0;
    ok &= Run<MappedFileStream>(
        "MappedFileStream", path,
        [](MappedFileStream& s, const std::wstring& p) { return s.Create(p, MappedFileStream::kInitialCapacity); },
        [](MappedFileStream& s, const std::wstring& p) { return s.Open(p); },
        [&](MappedFileStream& s) {
            const uint64_t v = s.File().ViewsMapped();
            (mappedWrite ? mappedRead : mappedWrite) = v;
            return v;
        });
    ok &= Run<FileStream>(
        "FileStream", path, [](FileStream& s, const std::wstring& p) { return s.Create(p); },
        [](FileStream& s, const std::wstring& p) { return s.OpenRead(p); }, [](FileStream&) { return uint64_t{0}; });

    // 64 KiB blocks never straddle a window, so each direction maps every
    // window exactly once.
    if (mappedWrite != windows || mappedRead != windows) {
        std::printf("remapping is not once per window: expected %llu each way\n",
                    static_cast<unsigned long long>(windows));
        ok = false;
    }
    ::DeleteFileW(path.c_str());
    return ok ? 0 : 1;
}

#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vorlune::test {

// The Windows path of a file made by tests/fixtures/make-fixtures.sh; empty
// when the fixtures are not there (the suite was started by hand).
std::wstring FixturePath(const wchar_t* name);

// A fresh file name in the user's temporary folder, removed when it goes out of scope.
class TempPath {
public:
    explicit TempPath(const wchar_t* suffix = L".tmp");
    ~TempPath();
    TempPath(const TempPath&) = delete;
    TempPath& operator=(const TempPath&) = delete;
    const std::wstring& Path() const { return path_; }
    operator const std::wstring&() const { return path_; }

private:
    std::wstring path_;
};

std::wstring TempDirectory();
// How many files in the temporary folder match the pattern ("~Ve*.tmp").
int CountTempFiles(const wchar_t* pattern);
bool Exists(const std::wstring& path);
uint64_t SizeOf(const std::wstring& path);
std::vector<uint8_t> ReadAll(const std::wstring& path);
bool WriteAll(const std::wstring& path, const void* data, size_t size);

// A plain PCM WAV file read by the tests themselves, independent of the program's reader.
struct PcmWav {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint16_t bits = 0;
    std::vector<int16_t> samples;  // interleaved, 16-bit only
    uint32_t Frames() const { return channels ? uint32_t(samples.size() / channels) : 0; }
};
bool ReadPcmWav(const std::wstring& path, PcmWav& out);

// Pearson correlation of two sample runs over their common length.
double Correlation(const std::vector<int16_t>& a, const std::vector<int16_t>& b);

}  // namespace vorlune::test

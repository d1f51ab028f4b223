#include "support/TagDump.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>

#include "support/Fixtures.h"

namespace vorlune::test {
namespace {

// The Unix name Wine gives a path, as UTF-8 in a wide string: Wine turns the
// command line of a Unix program back into UTF-8.
std::wstring UnixName(const std::wstring& path)
{
    using Fn = char*(CDECL*)(const wchar_t*);
    const auto fn = reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!fn) return {};
    char* name = fn(path.c_str());
    if (!name) return {};
    std::wstring wide(size_t(MultiByteToWideChar(CP_UTF8, 0, name, -1, nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, name, -1, &wide[0], int(wide.size()));
    HeapFree(GetProcessHeap(), 0, name);
    if (!wide.empty()) wide.pop_back();
    return wide;
}

}  // namespace

std::string TagDump::Get(const char* key) const
{
    const auto it = fields.find(key);
    return it == fields.end() ? std::string() : it->second;
}

TagDump DumpTags(const std::wstring& mp3)
{
    TagDump dump;
    const std::wstring script = FixturePath(L"mp3\\tagdump.sh");
    TempPath result(L".dump");
    const std::wstring unixResult = UnixName(result), unixMp3 = UnixName(mp3);
    if (script.empty() || unixResult.empty() || unixMp3.empty()) return dump;
    std::wstring command = L"\"" + script + L"\" \"" + unixResult + L"\" \"" + unixMp3 + L"\"";
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(script.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return dump;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    // Wine does not wait for a Unix program: the script names its result
    // only when it is complete.
    for (int waited = 0; waited < 120000 && !Exists(result); waited += 20) Sleep(20);
    const std::vector<uint8_t> bytes = ReadAll(result);
    dump.output.assign(bytes.begin(), bytes.end());
    std::istringstream lines(dump.output);
    for (std::string line; std::getline(lines, line);) {
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "comment")
            dump.comments.push_back(value);
        else if (key == "picture")
            dump.pictures.push_back(value);
        else
            dump.fields[key] = value;
    }
    dump.ok = dump.fields.count("file") && dump.fields.count("samples");
    return dump;
}

void ExpectCopiedTags(const TagDump& song, const TagDump& ringtone)
{
    ASSERT_TRUE(song.ok) << song.output;
    ASSERT_TRUE(ringtone.ok) << ringtone.output;
    EXPECT_EQ(ringtone.Get("version"), "2.3") << ringtone.output;
    for (const char* key : {"title", "artist", "album artist", "album", "year", "track", "genre", "composer"})
        EXPECT_EQ(ringtone.Get(key), song.Get(key)) << key;
    EXPECT_EQ(ringtone.comments, song.comments);

    std::vector<std::string> pictures = song.pictures;
    std::stable_sort(pictures.begin(), pictures.end(), [](const std::string& a, const std::string& b) {
        return (a.compare(0, 2, "3 ") == 0) > (b.compare(0, 2, "3 ") == 0);
    });
    EXPECT_EQ(ringtone.pictures, pictures);

    static const std::set<std::string> copied = {"TIT2", "TPE1", "TPE2", "TALB", "TDRC",
                                                 "TRCK", "TCON", "COMM", "TCOM", "APIC"};
    std::istringstream frames(ringtone.Get("frames"));
    for (std::string id; frames >> id;) EXPECT_TRUE(copied.count(id)) << id << " was copied";
}

}  // namespace vorlune::test

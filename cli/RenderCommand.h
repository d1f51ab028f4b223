#pragma once

#include <string>
#include <vector>

namespace vorlune::cli {

// A point in the song as the user wrote it: seconds, or a percentage.
struct TimeArg {
    bool given = false;
    bool percent = false;
    double value = 0;  // seconds, or 0 .. 100
};

// Reads "75", "75.5", "1:15", "1:15.250", "1:02:03" or "25%".
bool ParseTime(const std::wstring& text, TimeArg& out);

// Formats seconds as m:ss.mmm (h:mm:ss.mmm from an hour on).
std::wstring FormatTime(double seconds);

struct RenderOptions {
    std::wstring song;
    std::wstring output;
    TimeArg start;
    TimeArg end;
    bool fadeIn = false;
    bool fadeOut = false;
    bool verbose = false;
    bool help = false;
};

// Parses the arguments after the program's name. On failure, error says why.
bool ParseArguments(const std::vector<std::wstring>& args, RenderOptions& options, std::wstring& error);

// The selection as fractions of a song of the given length; error says why
// when it is not a usable part of the song.
bool SelectionFractions(const RenderOptions& options, double songSeconds, double& start, double& end,
                        std::wstring& error);

extern const wchar_t kUsage[];

}  // namespace vorlune::cli

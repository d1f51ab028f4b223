#include "cli/RenderCommand.h"

#include <cmath>
#include <cstdio>
#include <cwchar>

namespace vorlune::cli {

const wchar_t kUsage[] =
    L"Usage: vorlune-render SONG.mp3 OUT.mp3 [--start T] [--end T] [--fade-in] [--fade-out] [--verbose]\n"
    L"\n"
    L"Makes a ringtone from part of a song: the part from --start to --end is\n"
    L"encoded as a new MP3 file (VBR 128-192 kbit/s, the song's rate and channels)\n"
    L"that keeps the song's tags.\n"
    L"\n"
    L"  --start T    where the ringtone begins (default: the start of the song)\n"
    L"  --end T      where it ends (default: the end of the song)\n"
    L"  --fade-in    fade in over the first 1.5 s (half the ringtone when shorter than 3 s)\n"
    L"  --fade-out   fade out over the last 1.5 s likewise\n"
    L"  --verbose    say how long each stage took and which tags were copied\n"
    L"  --help       show this text\n"
    L"\n"
    L"T is a time in seconds (75, 75.5), minutes and seconds (1:15, 1:15.250),\n"
    L"hours too (1:02:03), or a share of the song (25%).\n"
    L"\n"
    L"Tags copied from the song's ID3v2 tag (or its ID3v1 tag when it has none)\n"
    L"into an ID3v2.3 tag: title, artist, album artist, album, year, track, genre,\n"
    L"comment, composer, and the pictures, front cover first. Its length, encoder\n"
    L"settings, replay gain, seek tables and private frames are not copied. A tag\n"
    L"that cannot be copied leaves the ringtone without it; --verbose says so.\n"
    L"\n"
    L"Many phones take ringtones of up to 40 s (some only 30 s): a longer one is\n"
    L"made, with a note.\n"
    L"\n"
    L"Exit codes:\n"
    L"  0    done\n"
    L"  1    the ringtone could not be made; the reason follows: the song missing,\n"
    L"       in use by another program, damaged, or changed while it was read;\n"
    L"       lame_enc.dll missing; the ringtone's folder missing or not writable;\n"
    L"       the file it replaces in use; the disk (or the temporary folder's) full\n"
    L"  2    wrong arguments\n"
    L"  130  stopped by Ctrl+C, Ctrl+Break or closing the console: the work stops\n"
    L"       and what was written is removed\n"
    L"Whatever happens, a file that stood at OUT.mp3 stays as it was unless the\n"
    L"ringtone is made. A kill (SIGKILL, or SIGTERM under Wine) ends the program at\n"
    L"once: its temporary files are removed with it, except the ringtone's beside\n"
    L"OUT.mp3, which the next render into that folder removes.\n";

namespace {

// A non-negative decimal number filling the whole text.
bool ParseNumber(const std::wstring& text, double& out)
{
    if (text.empty() || text[0] == L'+' || text[0] == L'-' || iswspace(text[0])) return false;
    for (wchar_t c : text)
        if (!(iswdigit(c) || c == L'.')) return false;
    wchar_t* end = nullptr;
    out = wcstod(text.c_str(), &end);
    return end && *end == 0 && std::isfinite(out);
}

}  // namespace

bool ParseTime(const std::wstring& text, TimeArg& out)
{
    TimeArg t;
    t.given = true;
    if (!text.empty() && text.back() == L'%') {
        t.percent = true;
        if (!ParseNumber(text.substr(0, text.size() - 1), t.value) || t.value > 100) return false;
        out = t;
        return true;
    }
    // Fields separated by ':'; only the last may have a fraction.
    std::vector<std::wstring> fields;
    size_t from = 0;
    for (;;) {
        const size_t colon = text.find(L':', from);
        fields.push_back(text.substr(from, colon == std::wstring::npos ? std::wstring::npos : colon - from));
        if (colon == std::wstring::npos) break;
        from = colon + 1;
    }
    if (fields.size() > 3) return false;
    double seconds = 0;
    for (size_t i = 0; i < fields.size(); ++i) {
        double v;
        if (!ParseNumber(fields[i], v)) return false;
        const bool last = i + 1 == fields.size();
        if (!last && fields[i].find(L'.') != std::wstring::npos) return false;
        if (i > 0 && v >= 60) return false;  // 1:75 is no time
        seconds = seconds * 60 + v;
    }
    t.value = seconds;
    out = t;
    return true;
}

std::wstring FormatTime(double seconds)
{
    if (!(seconds >= 0)) seconds = 0;
    const long long ms = llround(seconds * 1000);
    const long long h = ms / 3600000, m = ms / 60000 % 60, s = ms / 1000 % 60, f = ms % 1000;
    wchar_t buf[48];
    if (h > 0)
        swprintf(buf, 48, L"%lld:%02lld:%02lld.%03lld", h, m, s, f);
    else
        swprintf(buf, 48, L"%lld:%02lld.%03lld", m, s, f);
    return buf;
}

bool ParseArguments(const std::vector<std::wstring>& args, RenderOptions& o, std::wstring& error)
{
    o = RenderOptions();
    std::vector<std::wstring> files;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring& a = args[i];
        if (a == L"--help" || a == L"-h" || a == L"/?") {
            o.help = true;
        } else if (a == L"--fade-in") {
            o.fadeIn = true;
        } else if (a == L"--fade-out") {
            o.fadeOut = true;
        } else if (a == L"--verbose" || a == L"-v") {
            o.verbose = true;
        } else if (a == L"--start" || a == L"--end") {
            if (i + 1 >= args.size()) {
                error = a + L" needs a time";
                return false;
            }
            TimeArg& t = a == L"--start" ? o.start : o.end;
            if (!ParseTime(args[++i], t)) {
                error = L"not a time: " + args[i] + L" (try 75, 1:15, 1:15.250 or 25%)";
                return false;
            }
        } else if (a.size() > 1 && a[0] == L'-' && a[1] == L'-') {
            error = L"unknown option: " + a;
            return false;
        } else {
            files.push_back(a);
        }
    }
    if (o.help) return true;
    if (files.size() != 2) {
        error = files.size() < 2 ? L"give the song and the output file" : L"too many files: " + files[2];
        return false;
    }
    o.song = files[0];
    o.output = files[1];
    return true;
}

bool SelectionFractions(const RenderOptions& o, double songSeconds, double& start, double& end, std::wstring& error)
{
    if (!(songSeconds > 0)) {
        error = L"the song has no length";
        return false;
    }
    const auto fraction = [&](const TimeArg& t, double fallback) {
        if (!t.given) return fallback;
        return t.percent ? t.value / 100.0 : t.value / songSeconds;
    };
    start = fraction(o.start, 0.0);
    end = fraction(o.end, 1.0);
    if (start >= 1.0) {
        error = L"--start is at or past the end of the song (" + FormatTime(songSeconds) + L")";
        return false;
    }
    if (end > 1.0) end = 1.0;  // "to the end", however it was written
    if (end <= start) {
        error = L"--end must come after --start";
        return false;
    }
    return true;
}

}  // namespace vorlune::cli

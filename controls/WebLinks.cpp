#include "controls/WebLinks.h"

#include <shellapi.h>

namespace vorlune {

const wchar_t kWebsiteUrl[] = L"http://www.vorlune.net/?ref=zelk";
const wchar_t kSecondWebsiteUrl[] = L"http://stereo.vorlune.net/?ref=zelk";

namespace {

LRESULT Open(const wchar_t* url) noexcept
{
    ::ShellExecuteW(nullptr, L"open", url, nullptr, nullptr, SW_SHOWNORMAL);
    return 0;
}

}  // namespace

LRESULT OpenWebsite() noexcept { return Open(kWebsiteUrl); }

LRESULT OpenSecondWebsite() noexcept { return Open(kSecondWebsiteUrl); }

}  // namespace vorlune

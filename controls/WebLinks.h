#pragma once

#include <windows.h>

namespace vorlune {

// The maker's websites, opened in the user's browser (the footer link and
// command ID_HELP_WEBSITE; command ID_STEP1_MONO_TO_STEREO).
extern const wchar_t kWebsiteUrl[];
extern const wchar_t kSecondWebsiteUrl[];

// ShellExecuteW "open" with the address; a missing browser is not reported.
// Both answer 0, the commands' result.
LRESULT OpenWebsite() noexcept;
LRESULT OpenSecondWebsite() noexcept;

}  // namespace vorlune

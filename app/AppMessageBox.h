#pragma once

#include <windows.h>

namespace vorlune {

// The program's one way to show a message box: captioned "Vorlune", one box
// at a time in the whole process, and centred over its owner.
int AppMessageBox(HWND owner, const wchar_t* text, UINT type = MB_OK | MB_ICONERROR) noexcept;

// "Error opening file:\n" and the path, as given, in an error box, with the
// reason on a line of its own below when there is one.
void ShowOpenError(HWND owner, const wchar_t* path, const wchar_t* reason = nullptr) noexcept;

}  // namespace vorlune

#pragma once

#include <windows.h>

namespace vorlune {

// The program's one way to show a message box: captioned "Vorlune", one box
// at a time in the whole process, and centred over its owner.
int AppMessageBox(HWND owner, const wchar_t* text, UINT type = MB_OK | MB_ICONERROR) noexcept;

// "Error opening file:\n" and the path, as given, in an error box.
void ShowOpenError(HWND owner, const wchar_t* path) noexcept;

}  // namespace vorlune

#pragma once

#include <windows.h>

namespace vorlune::test {

// vorlune.exe (in the folder above the test program) loaded as data and made
// the module the windows read their skin, strings and icons from. Loaded once
// per process; null when the program is missing.
HMODULE UseProgramSkin();

}  // namespace vorlune::test

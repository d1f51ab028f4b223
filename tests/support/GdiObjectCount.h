#pragma once

#include <windows.h>

namespace vorlune::test {

// GDI objects this process owns. GetGuiResources where the system implements
// it; Wine's is a stub that returns 0, so there the used entries of the
// process's GDI handle table (reached through the PEB) are counted instead.
long GdiObjectCount();
// The same for another process of this build's bitness, opened with
// PROCESS_QUERY_INFORMATION and PROCESS_VM_READ; -1 when it cannot be read.
long GdiObjectCount(HANDLE process);

}  // namespace vorlune::test

#pragma once

namespace vorlune::test {

// GDI objects this process owns. GetGuiResources where the system implements
// it; Wine's is a stub that returns 0, so there the used entries of the
// process's GDI handle table (reached through the PEB) are counted instead.
long GdiObjectCount();

}  // namespace vorlune::test

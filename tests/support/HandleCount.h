#pragma once

#include <cstdint>

namespace vorlune::test {

// How many kernel handles this process holds. Wine's GetProcessHandleCount
// always answers 0, so the system's handle table is counted instead; the
// plain call is the fallback.
int64_t CountOwnHandles();
// The same for another process (no fallback there); -1 when the table
// cannot be read.
int64_t CountHandlesOf(unsigned long processId);

}  // namespace vorlune::test

#pragma once

#include <windows.h>

#include <cstdint>

namespace vorlune {

// What making and growing files met on this thread: the first error since
// ClearWriteErrors, so an operation that reports only a flag can still be
// told apart (a full disk, a refused folder) by its caller.
DWORD FirstWriteError() noexcept;
void ClearWriteErrors() noexcept;
// Keeps the first error of the thread and leaves it as the last error too.
void NoteWriteError(DWORD error) noexcept;

// Whether the disk takes `bytes` more. Always, unless a test has limited
// writes: a stand-in for a disk that fills up or refuses, process-wide, so
// that it reaches a job's worker thread. A refusal is noted as above.
bool WriteFits(uint64_t bytes) noexcept;
// From now on `bytes` more bytes fit in all; then every write fails with
// `error` (ERROR_DISK_FULL, ERROR_ACCESS_DENIED...).
void LimitWrites(uint64_t bytes, DWORD error) noexcept;
void UnlimitWrites() noexcept;

}  // namespace vorlune

#include <windows.h>

#include <gmock/gmock.h>

int wmain(int argc, wchar_t** argv)
{
    // No system dialogs for missing media or crashes: a test must fail, not hang.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}

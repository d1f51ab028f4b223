#include "support/ProgramSkin.h"

#include <commctrl.h>

#include <string>

#include "win/AppModule.h"

namespace vorlune::test {

HMODULE UseProgramSkin()
{
    static const HMODULE module = [] {
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_TAB_CLASSES | ICC_PROGRESS_CLASS};
        ::InitCommonControlsEx(&icc);
        wchar_t self[MAX_PATH];
        const DWORD n = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring path(self, n);
        for (int up = 0; up < 2; ++up) path.erase(path.find_last_of(L'\\'));
        path += L"\\vorlune.exe";
        return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    }();
    if (module) AppModule::SetResourceInstance(module);
    return module;
}

}  // namespace vorlune::test

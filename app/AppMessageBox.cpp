#include "app/AppMessageBox.h"

#include <commctrl.h>

#include <cwchar>
#include <string>

#include "win/CbtHook.h"
#include "win/Window.h"

namespace vorlune {
namespace {

constexpr wchar_t kCaption[] = L"Vorlune";
constexpr UINT_PTR kSubclassId = 1;

// Made before main, while the process has one thread.
struct BoxLock {
    BoxLock() noexcept { ::InitializeCriticalSection(&section); }
    ~BoxLock() { ::DeleteCriticalSection(&section); }
    CRITICAL_SECTION section;
} boxLock;

LRESULT CALLBACK CentreOnInit(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) noexcept
{
    if (msg != WM_INITDIALOG) return ::DefSubclassProc(hwnd, msg, wParam, lParam);
    const LRESULT result = ::DefSubclassProc(hwnd, msg, wParam, lParam);
    CenterWindow(hwnd);
    ::RemoveWindowSubclass(hwnd, &CentreOnInit, kSubclassId);
    return result;
}

// Subclasses the dialog windows made on this thread while it is listening,
// so that each centres itself once it has laid itself out.
class CentringListener : public CbtListener {
public:
    LRESULT OnCbtEvent(int code, WPARAM wParam, LPARAM) override
    {
        if (code != HCBT_CREATEWND) return 0;
        const auto hwnd = reinterpret_cast<HWND>(wParam);
        wchar_t name[16] = L"";
        if (::GetClassNameW(hwnd, name, 16) && std::wcscmp(name, L"#32770") == 0)
            ::SetWindowSubclass(hwnd, &CentreOnInit, kSubclassId, 0);
        return 0;
    }
};

}  // namespace

int AppMessageBox(HWND owner, const wchar_t* text, UINT type) noexcept
{
    ::EnterCriticalSection(&boxLock.section);
    int answer;
    {
        CentringListener listener;
        ScopedCbtListener listening(&listener);
        answer = ::MessageBoxW(owner, text, kCaption, type);
    }
    ::LeaveCriticalSection(&boxLock.section);
    return answer;
}

void ShowOpenError(HWND owner, const wchar_t* path, const wchar_t* reason) noexcept
{
    try {
        std::wstring text = std::wstring(L"Error opening file:\n") + (path ? path : L"");
        if (reason && *reason) text = text + L"\n" + reason;
        AppMessageBox(owner, text.c_str(), MB_OK | MB_ICONERROR);
    } catch (...) {
    }
}

}  // namespace vorlune

#include "win/CbtHook.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vorlune {
namespace {

class Listener : public CbtListener {
public:
    explicit Listener(std::vector<std::wstring>* log, const wchar_t* name, bool blockCreate = false)
        : log_(log), name_(name), blockCreate_(blockCreate) {}

    LRESULT OnCbtEvent(int code, WPARAM, LPARAM lParam) override
    {
        if (code != HCBT_CREATEWND) return 0;
        auto* cbt = reinterpret_cast<CBT_CREATEWNDW*>(lParam);
        const wchar_t* title = cbt->lpcs->lpszName ? cbt->lpcs->lpszName : L"";
        log_->push_back(name_ + L":" + title);
        return blockCreate_ ? 1 : 0;
    }

private:
    std::vector<std::wstring>* log_;
    std::wstring name_;
    bool blockCreate_;
};

HWND MakeWindow(const wchar_t* title)
{
    return ::CreateWindowExW(0, L"STATIC", title, 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr, nullptr, nullptr);
}

TEST(CbtHook, InstalledWhileListenersExistAndCalledInOrder)
{
    std::vector<std::wstring> log;
    Listener first(&log, L"first"), second(&log, L"second");
    EXPECT_FALSE(CbtHook::IsInstalled());
    {
        ScopedCbtListener a(&first);
        ScopedCbtListener b(&second);
        EXPECT_TRUE(CbtHook::IsInstalled());
        HWND w = MakeWindow(L"one");
        ASSERT_NE(w, nullptr);
        ::DestroyWindow(w);
    }
    EXPECT_FALSE(CbtHook::IsInstalled());
    HWND w = MakeWindow(L"after");
    ::DestroyWindow(w);
    EXPECT_EQ(log, (std::vector<std::wstring>{L"first:one", L"second:one"}));
}

TEST(CbtHook, FirstNonZeroAnswerWinsAndStopsTheEvent)
{
    std::vector<std::wstring> log;
    Listener blocker(&log, L"blocker", true), later(&log, L"later");
    ScopedCbtListener a(&blocker);
    ScopedCbtListener b(&later);
    EXPECT_EQ(MakeWindow(L"refused"), nullptr);
    EXPECT_EQ(log, (std::vector<std::wstring>{L"blocker:refused"}));
}

DWORD WINAPI OtherThread(void*)
{
    HWND w = MakeWindow(L"other thread");
    ::DestroyWindow(w);
    return CbtHook::IsInstalled() ? 1 : 0;
}

TEST(CbtHook, HooksAreKeptPerThread)
{
    std::vector<std::wstring> log;
    Listener here(&log, L"here");
    ScopedCbtListener a(&here);
    HANDLE t = ::CreateThread(nullptr, 0, &OtherThread, nullptr, 0, nullptr);
    ASSERT_NE(t, nullptr);
    ::WaitForSingleObject(t, INFINITE);
    DWORD code = 99;
    ::GetExitCodeThread(t, &code);
    ::CloseHandle(t);
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(log.empty());
}

}  // namespace
}  // namespace vorlune

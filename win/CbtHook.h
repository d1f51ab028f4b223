#pragma once

#include <windows.h>

namespace vorlune {

// Something that wants to see the computer-based-training events of its thread
// (window creation and destruction, activation, ...).
class CbtListener {
public:
    virtual ~CbtListener() = default;
    // Non-zero stops the event (and its later listeners); 0 passes it on.
    virtual LRESULT OnCbtEvent(int code, WPARAM wParam, LPARAM lParam) = 0;
};

// One WH_CBT hook per thread, installed while the thread has listeners.
// Listeners see each event in the order they were added.
namespace CbtHook {

bool AddListener(CbtListener* listener) noexcept;
void RemoveListener(CbtListener* listener) noexcept;
bool IsInstalled() noexcept;

}  // namespace CbtHook

// Keeps a listener registered for one scope.
class ScopedCbtListener {
public:
    explicit ScopedCbtListener(CbtListener* listener) noexcept
        : listener_(CbtHook::AddListener(listener) ? listener : nullptr) {}
    ~ScopedCbtListener()
    {
        if (listener_) CbtHook::RemoveListener(listener_);
    }
    ScopedCbtListener(const ScopedCbtListener&) = delete;
    ScopedCbtListener& operator=(const ScopedCbtListener&) = delete;
    bool Ok() const noexcept { return listener_ != nullptr; }

private:
    CbtListener* listener_;
};

}  // namespace vorlune

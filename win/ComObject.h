#pragma once

#include <oaidl.h>
#include <unknwn.h>

#include <atomic>
#include <type_traits>

namespace vorlune {

// The IUnknown part of a heap object that implements one COM interface: it
// starts with one reference, answers for IUnknown and I (and IDispatch when I
// is one), and deletes itself when the last reference goes.
template <class I>
class ComObject : public I {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == __uuidof(I) || (std::is_base_of<IDispatch, I>::value && iid == IID_IDispatch)) {
            *out = static_cast<I*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG n = --refs_;
        if (n == 0) delete this;
        return n;
    }

protected:
    ComObject() = default;
    virtual ~ComObject() = default;

private:
    std::atomic<ULONG> refs_{1};
};

}  // namespace vorlune

#include "win/Accessible.h"

#include <new>
#include <vector>

#include "win/ComObject.h"

namespace vorlune {
namespace {

// Only the object itself (CHILDID_SELF) has properties of its own; child
// windows are objects of their own, reached through get_accChild.
bool IsSelf(const VARIANT& child) noexcept { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

HRESULT ToBstr(const std::wstring& text, BSTR* out) noexcept
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (text.empty()) return S_FALSE;
    *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

std::vector<HWND> ChildWindows(HWND hwnd)
{
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(hwnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

// The IAccessible of one window's client area. Every answer asks the window
// afresh, so a screen reader always hears the state of the moment.
class AccessibleWindow final : public ComObject<IAccessible> {
public:
    explicit AccessibleWindow(HWND hwnd) noexcept : hwnd_(hwnd) {}

    // No type information: clients call IAccessible directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override
    {
        if (!parent) return E_POINTER;
        *parent = nullptr;
        if (!Alive()) return RPC_E_DISCONNECTED;
        HWND up = ::GetAncestor(hwnd_, GA_PARENT);
        if (!up || up == ::GetDesktopWindow()) return S_FALSE;
        return SUCCEEDED(::AccessibleObjectFromWindow(up, static_cast<DWORD>(OBJID_CLIENT), IID_IDispatch,
                                                      reinterpret_cast<void**>(parent)))
                   ? S_OK
                   : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override
    {
        if (!count) return E_POINTER;
        *count = 0;
        if (!Alive()) return RPC_E_DISCONNECTED;
        try {
            *count = static_cast<LONG>(ChildWindows(hwnd_).size());
        } catch (...) {
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!Alive()) return RPC_E_DISCONNECTED;
        if (child.vt != VT_I4 || child.lVal <= 0) return E_INVALIDARG;
        try {
            const std::vector<HWND> children = ChildWindows(hwnd_);
            if (static_cast<size_t>(child.lVal) > children.size()) return E_INVALIDARG;
            HWND hwnd = children[static_cast<size_t>(child.lVal) - 1];
            return SUCCEEDED(::AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), IID_IDispatch,
                                                          reinterpret_cast<void**>(out)))
                       ? S_OK
                       : S_FALSE;
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override
    {
        return Text(child, out, &AccessibleInfo::name);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override
    {
        return Text(child, out, &AccessibleInfo::value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override
    {
        return Text(child, out, &AccessibleInfo::description);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override
    {
        return Text(child, out, &AccessibleInfo::shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override
    {
        return Text(child, out, &AccessibleInfo::defaultAction);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override
    {
        return Number(child, role, [](const AccessibleInfo& info) { return info.role; });
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override
    {
        return Number(child, state, [this](const AccessibleInfo& info) {
            long bits = info.state;
            if (!::IsWindowVisible(hwnd_)) bits |= STATE_SYSTEM_INVISIBLE;
            if (!::IsWindowEnabled(hwnd_)) bits |= STATE_SYSTEM_UNAVAILABLE;
            if (::GetFocus() == hwnd_) bits |= STATE_SYSTEM_FOCUSED;
            return bits;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* out) override { return ToBstr(std::wstring(), out); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) override
    {
        if (file) *file = nullptr;
        if (topic) *topic = 0;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override
    {
        if (!focus) return E_POINTER;
        ::VariantInit(focus);
        if (!Alive()) return RPC_E_DISCONNECTED;
        if (::GetFocus() != hwnd_) return S_FALSE;
        focus->vt = VT_I4;
        focus->lVal = CHILDID_SELF;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override
    {
        if (!selection) return E_POINTER;
        ::VariantInit(selection);
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override
    {
        if (!IsSelf(child)) return E_INVALIDARG;
        if (!Alive()) return RPC_E_DISCONNECTED;
        if (flags != SELFLAG_TAKEFOCUS) return DISP_E_MEMBERNOTFOUND;
        ::SetFocus(hwnd_);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override
    {
        if (!left || !top || !width || !height) return E_POINTER;
        *left = *top = *width = *height = 0;
        if (!IsSelf(child)) return E_INVALIDARG;
        RECT r{};
        if (!Alive() || !::GetWindowRect(hwnd_, &r)) return RPC_E_DISCONNECTED;
        *left = r.left;
        *top = r.top;
        *width = r.right - r.left;
        *height = r.bottom - r.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG, VARIANT, VARIANT* end) override
    {
        if (end) ::VariantInit(end);
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* hit) override
    {
        if (!hit) return E_POINTER;
        ::VariantInit(hit);
        RECT r{};
        if (!Alive() || !::GetWindowRect(hwnd_, &r)) return RPC_E_DISCONNECTED;
        if (!::PtInRect(&r, POINT{x, y})) return S_FALSE;
        hit->vt = VT_I4;
        hit->lVal = CHILDID_SELF;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override
    {
        if (!IsSelf(child)) return E_INVALIDARG;
        if (!Alive()) return RPC_E_DISCONNECTED;
        return ::SendMessageW(hwnd_, WM_ACCESSIBLE_QUERY, 1, 0) ? S_OK : DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return DISP_E_MEMBERNOTFOUND; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return DISP_E_MEMBERNOTFOUND; }

private:
    ~AccessibleWindow() = default;

    bool Alive() const noexcept { return ::IsWindow(hwnd_) != FALSE; }

    HRESULT Query(const VARIANT& child, AccessibleInfo& info) const noexcept
    {
        if (!IsSelf(child)) return E_INVALIDARG;
        if (!Alive()) return RPC_E_DISCONNECTED;
        return ::SendMessageW(hwnd_, WM_ACCESSIBLE_QUERY, 0, reinterpret_cast<LPARAM>(&info)) ? S_OK : E_FAIL;
    }

    HRESULT Text(const VARIANT& child, BSTR* out, std::wstring AccessibleInfo::*field) const noexcept
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        try {
            AccessibleInfo info;
            const HRESULT hr = Query(child, info);
            return FAILED(hr) ? hr : ToBstr(info.*field, out);
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }

    // A number the window's description gives, as a VT_I4.
    template <class Value>
    HRESULT Number(const VARIANT& child, VARIANT* out, Value value) const noexcept
    {
        if (!out) return E_POINTER;
        ::VariantInit(out);
        AccessibleInfo info;
        const HRESULT hr = Query(child, info);
        if (FAILED(hr)) return hr;
        out->vt = VT_I4;
        out->lVal = value(info);
        return S_OK;
    }

    HWND hwnd_;
};

}  // namespace

LRESULT AnswerGetObject(HWND hwnd, WPARAM wParam) noexcept
{
    auto* object = new (std::nothrow) AccessibleWindow(hwnd);
    if (!object) return 0;
    const LRESULT result = ::LresultFromObject(__uuidof(IAccessible), wParam, object);
    object->Release();  // LresultFromObject holds its own reference
    return result;
}

void NotifyAccessible(DWORD event, HWND hwnd) noexcept
{
    if (hwnd) ::NotifyWinEvent(event, hwnd, OBJID_CLIENT, CHILDID_SELF);
}

}  // namespace vorlune

#include "controls/ControlTesting.h"

#include <commctrl.h>
#include <oleacc.h>

#include <string>

#include "gfx/ImageResource.h"
#include "gfx/JpegPicture.h"
#include "win/AppModule.h"
#include "win/ComPtr.h"
#include "win/Handle.h"

namespace vorlune::test {

HMODULE UseProgramSkin()
{
    static const HMODULE module = [] {
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_TAB_CLASSES | ICC_PROGRESS_CLASS};
        ::InitCommonControlsEx(&icc);
        wchar_t self[MAX_PATH];
        std::wstring path(self, ::GetModuleFileNameW(nullptr, self, MAX_PATH));
        path.erase(path.find_last_of(L'\\'));
        path.replace(path.find_last_of(L'\\'), std::wstring::npos, L"\\vorlune.exe");
        return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    }();
    if (module) AppModule::SetResourceInstance(module);
    return module;
}

HWND HostWindow::Create(HWND parent, const RECT& rect)
{
    static const WindowClass cls{L"VorluneTestHost", nullptr, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)};
    // No caption: activation by other programs would paint one, and the
    // system makes its caption objects the first time it does.
    return CreateWindowOf(cls, parent, rect, (parent ? WS_CHILD | WS_VISIBLE : WS_POPUP) | WS_CLIPCHILDREN);
}

bool HostWindow::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (msg != WM_COMMAND) return Window::ProcessWindowMessage(msg, wParam, lParam, result);
    commands.push_back({wParam, static_cast<UINT_PTR>(lParam)});
    if (onCommand) onCommand();
    result = 0;
    return true;
}

namespace {

ComPtr<IAccessible> ClientObject(HWND hwnd)
{
    ComPtr<IAccessible> object;
    if (FAILED(::AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                            object.PutVoid())))
        object.Reset();
    return object;
}

VARIANT Self()
{
    VARIANT self;
    ::VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    return self;
}

std::wstring Taken(BSTR text)
{
    std::wstring s = text ? std::wstring(text, ::SysStringLen(text)) : std::wstring();
    ::SysFreeString(text);
    return s;
}

}  // namespace

AccessibleRead ReadAccessible(HWND hwnd)
{
    AccessibleRead read;
    const ComPtr<IAccessible> object = ClientObject(hwnd);
    if (!object) return read;
    BSTR name = nullptr, value = nullptr, shortcut = nullptr;
    VARIANT role, state;
    ::VariantInit(&role);
    ::VariantInit(&state);
    read.ok = SUCCEEDED(object->get_accName(Self(), &name)) && SUCCEEDED(object->get_accValue(Self(), &value)) &&
              SUCCEEDED(object->get_accKeyboardShortcut(Self(), &shortcut)) &&
              SUCCEEDED(object->get_accRole(Self(), &role)) && SUCCEEDED(object->get_accState(Self(), &state)) &&
              role.vt == VT_I4 && state.vt == VT_I4;
    read.name = Taken(name);
    read.value = Taken(value);
    read.shortcut = Taken(shortcut);
    read.role = role.lVal;
    read.state = state.lVal;
    return read;
}

bool DoAccessibleDefault(HWND hwnd)
{
    const ComPtr<IAccessible> object = ClientObject(hwnd);
    return object && object->accDoDefaultAction(Self()) == S_OK;
}

int SkinDifferences(HWND hwnd, int id, int cells, int cell, POINT at)
{
    Surface24 shot;
    return PrintClient(hwnd, shot) ? SkinDifferences(shot, id, cells, cell, at) : -1;
}

int SkinDifferences(const Surface& shot, int id, int cells, int cell, POINT at, const RECT& skip)
{
    Surface24 strip;
    JpegPicture jpeg;
    const HMODULE module = AppModule::ResourceInstance();
    if (cells ? !LoadBitmapResource(strip, id, 24, module) : !jpeg.LoadFromResource(id, module)) return -1;
    const Surface24& skin = cells ? strip : jpeg.ColorSurface();
    const int width = skin.Width() / (cells ? cells : 1);
    if (cells && (shot.Width() != width || shot.Height() != skin.Height())) return -1;
    int n = 0;
    for (int y = 0; y < skin.Height(); ++y)
        for (int x = 0; x < width; ++x) {
            if (x >= skip.left && x < skip.right && y >= skip.top && y < skip.bottom) continue;
            RGBQUAD p{}, q{};
            skin.GetColor(cell * width + x, y, q);
            n += !shot.GetColor(at.x + x, at.y + y, p) || p.rgbRed != q.rgbRed || p.rgbGreen != q.rgbGreen ||
                 p.rgbBlue != q.rgbBlue;
        }
    return n;
}

bool PrintClient(HWND hwnd, Surface24& shot)
{
    RECT client{};
    if (!::GetClientRect(hwnd, &client) || !shot.Create(client.right, client.bottom, 24)) return false;
    shot.FillAll(RGB(255, 0, 255));  // what the window leaves unpainted stands out
    MemoryDc dc(::CreateCompatibleDC(nullptr));
    SelectGuard selected(dc.Get(), shot.Data()->Bitmap());
    if (!selected.Ok()) return false;
    ::SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.Get()), PRF_CLIENT);
    ::GdiFlush();
    POINT origin{1, 1};  // the window leaves the DC as it got it
    ::GetViewportOrgEx(dc.Get(), &origin);
    return ::GetCurrentObject(dc.Get(), OBJ_BITMAP) == shot.Data()->Bitmap() && !origin.x && !origin.y;
}

COLORREF ColourAt(const Surface& s, int x, int y)
{
    RGBQUAD q{};
    s.GetColor(x, y, q);
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
}

void PumpPending()
{
    for (MSG msg; ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    for (const DWORD start = ::GetTickCount(); !done(); PumpPending()) {
        if (::GetTickCount() - start >= timeoutMs) return done();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

void MouseMove(HWND hwnd, POINT at, WPARAM keys) { ::SendMessageW(hwnd, WM_MOUSEMOVE, keys, MAKELPARAM(at.x, at.y)); }

void Click(HWND hwnd, POINT down, POINT up, const std::vector<POINT>& path)
{
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(down.x, down.y));
    for (POINT p : path) MouseMove(hwnd, p, MK_LBUTTON);
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(up.x, up.y));
}

}  // namespace vorlune::test

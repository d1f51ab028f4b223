#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "gfx/Surface.h"
#include "win/Window.h"

namespace vorlune::test {

// vorlune.exe (in the folder above the test program) loaded as data and made
// the module the windows take their skin from; null when it is missing.
HMODULE UseProgramSkin();

// A WM_COMMAND's wParam and lParam.
using Command = std::array<UINT_PTR, 2>;
inline Command CommandOf(UINT id, UINT code, HWND from)
{
    return {MAKEWPARAM(id, code), reinterpret_cast<UINT_PTR>(from)};
}

// Hosts controls and records the WM_COMMAND messages it gets. Top-level and
// hidden when parent is null, by default where the cursor never is (not the
// screen's centre, where it starts, nor where RealInput moves it).
class HostWindow : public Window {
public:
    ~HostWindow() override { Destroy(); }
    HWND Create(HWND parent = nullptr, const RECT& rect = RECT{0, 540, 640, 1000});
    std::vector<Command> commands;
    std::function<void()> onCommand;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

// Pixels that differ between hwnd's client area, as painted for
// WM_PRINTCLIENT, and a skin picture placed at `at`: the JPEG `id`, or (cells
// > 0) the cell `cell` of the strip bitmap `id`, which must then fill the
// client area exactly. -1 when a picture cannot be had or the window leaves
// the DC with another bitmap or origin than it got.
int SkinDifferences(HWND hwnd, int id, int cells = 0, int cell = 0, POINT at = {0, 0});
// The same between a picture already taken and a skin picture; pixels of
// the skin picture inside `skip` (its own coordinates) are not compared.
int SkinDifferences(const Surface& shot, int id, int cells, int cell, POINT at, const RECT& skip = {});

// hwnd's client area as WM_PRINTCLIENT paints it over magenta; false also
// when the window left the DC otherwise than it got it. And one pixel.
bool PrintClient(HWND hwnd, Surface24& shot);
COLORREF ColourAt(const Surface& s, int x, int y);

// A window's client object as Active Accessibility reads it
// (AccessibleObjectFromWindow, OBJID_CLIENT); ok false when there is none.
struct AccessibleRead {
    bool ok = false;
    std::wstring name, value, shortcut;
    long role = 0, state = 0;
};
AccessibleRead ReadAccessible(HWND hwnd);
// Its default action done (a button pressed, a box ticked); false when refused.
bool DoAccessibleDefault(HWND hwnd);

void PumpPending();
// Pumps this thread's messages until done() or the time is up; returns done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);

// Mouse messages as the mouse makes them: down, moves through path, up.
void Click(HWND hwnd, POINT down, POINT up, const std::vector<POINT>& path = {});
void MouseMove(HWND hwnd, POINT at, WPARAM keys = 0);

}  // namespace vorlune::test

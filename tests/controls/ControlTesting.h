#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "gfx/ImageInfo.h"
#include "gfx/Surface.h"
#include "win/Window.h"

namespace vorlune::test {

struct Command {
    WPARAM wParam;
    LPARAM lParam;
};

// A window that hosts controls and records the WM_COMMAND messages it gets.
class HostWindow : public Window {
public:
    ~HostWindow() override { Destroy(); }
    // Top-level (hidden unless shown) when parent is null, else a child.
    // The default place is where the cursor never is: not the screen's
    // centre, where it starts, nor where the RealInput tests move it.
    HWND Create(HWND parent = nullptr, const RECT& rect = kQuietPlace);
    static constexpr RECT kQuietPlace{0, 540, 640, 1000};

    std::vector<Command> commands;
    std::function<void(WPARAM, LPARAM)> onCommand;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

// The client area as the window paints it for WM_PRINTCLIENT, on a
// background of kUnpainted.
constexpr COLORREF kUnpainted = RGB(255, 0, 255);
bool PrintClient(HWND hwnd, Surface24& out);

// A skin picture as the program decodes it (bitmaps at 24 bits).
bool DecodeSkin(int id, ImageType type, Surface24& out);

// How many pixels of the area of a at `at` differ from the part of b.
int CountDifferences(const Surface24& a, POINT at, const Surface24& b, const RECT& part);
// The same for the cell `index` of a strip of `cells` states.
int CountCellDifferences(const Surface24& shown, int stripId, int cells, int index);

void PumpPending();
// Pumps this thread's messages until done() or the time is up; returns done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);

// Pumps for a while.
inline void Settle(DWORD ms)
{
    PumpUntil([] { return false; }, ms);
}

// Pumps until the GDI object count has been still for a while: a newly shown
// window gets its display events late, more so on a busy machine, and the
// system makes objects for it then.
void SettleObjects();

// After `cycles` rounds of painting and hovering: no window is left, and no
// GDI object per round. Wine now and then makes a few objects of its own for
// a shown window (six, once, on a busy machine); a leak of ours grows with
// the rounds.
void ExpectNoObjectsLeftPerCycle(long gdiBefore, long userBefore, int cycles);

// USER objects of this process: the system's count where it has one, else
// (Wine) the windows of this thread with their children.
long UserObjectCount();

inline LPARAM PointParam(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

// A click as the mouse would make it: down at `down`, moves through `path`, up at `up`.
void Click(HWND hwnd, POINT down, POINT up, const std::vector<POINT>& path = {});

}  // namespace vorlune::test

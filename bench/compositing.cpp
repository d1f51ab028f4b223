// Times the alpha blending that every partly transparent skin element goes
// through: a 600 x 250 image composited onto a 24-bit surface, and a control
// of 418 x 47 painting its layers onto an off-screen DC through DrawToDC.
// Prints microseconds per call.
#include "gfx/AlphaImage.h"
#include "gfx/Surface.h"
#include "win/Handle.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>

using namespace vorlune;

namespace {

double Now()
{
    static const double frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / frequency;
}

// An image with a colour ramp and an alpha that runs through every value, so
// the blend takes all its branches.
bool MakeLayer(AlphaImage& image, int width, int height)
{
    if (!image.Colour().Create(width, height, 24) || !image.Alpha().Create(width, height, 8)) return false;
    for (int y = 0; y < height; ++y) {
        uint8_t* c = image.Colour().Row(y);
        uint8_t* a = image.Alpha().Row(y);
        for (int x = 0; x < width; ++x) {
            c[3 * x] = static_cast<uint8_t>(x);
            c[3 * x + 1] = static_cast<uint8_t>(y * 3);
            c[3 * x + 2] = static_cast<uint8_t>(x + y);
            a[x] = static_cast<uint8_t>(x * 7 + y);
        }
    }
    return true;
}

template <class Call>
double MicrosecondsPerCall(int iterations, Call call)
{
    call();  // warm up
    const double start = Now();
    for (int i = 0; i < iterations; ++i) call();
    return (Now() - start) * 1e6 / iterations;
}

}  // namespace

int wmain()
{
    AlphaImage page;
    Surface24 target;
    if (!MakeLayer(page, 600, 250) || !target.Create(600, 250, 24) || !target.FillAll(RGB(40, 80, 120))) {
        std::fprintf(stderr, "could not build the page image\n");
        return 1;
    }
    bool ok = true;
    const double composite = MicrosecondsPerCall(500, [&] { ok &= page.Composite(target, POINT{0, 0}, nullptr); });
    std::printf("Composite 600x250 with alpha onto 24 bits: %.1f us per call\n", composite);

    // A track-bar-sized control: its band, two thumbs and a time tip.
    AlphaImage band, thumb, tip;
    Surface24 offscreen;
    MemoryDc dc(::CreateCompatibleDC(nullptr));
    if (!MakeLayer(band, 418, 47) || !MakeLayer(thumb, 9, 15) || !MakeLayer(tip, 69, 10) ||
        !offscreen.Create(418, 47, 24) || !offscreen.FillAll(RGB(255, 255, 255)) || !dc.Valid()) {
        std::fprintf(stderr, "could not build the control's layers\n");
        return 1;
    }
    SelectGuard selected(dc.Get(), offscreen.Data()->Bitmap());
    const double bandCall = MicrosecondsPerCall(2000, [&] { ok &= band.DrawToDC(dc.Get(), POINT{0, 0}, nullptr); });
    const double thumbCall = MicrosecondsPerCall(2000, [&] { ok &= thumb.DrawToDC(dc.Get(), POINT{100, 16}, nullptr); });
    const double paint = MicrosecondsPerCall(2000, [&] {
        ok &= band.DrawToDC(dc.Get(), POINT{0, 0}, nullptr);
        ok &= thumb.DrawToDC(dc.Get(), POINT{60, 16}, nullptr);
        ok &= thumb.DrawToDC(dc.Get(), POINT{300, 16}, nullptr);
        ok &= tip.DrawToDC(dc.Get(), POINT{40, 2}, nullptr);
    });
    std::printf("DrawToDC 418x47 layer: %.1f us per call\n", bandCall);
    std::printf("DrawToDC 9x15 thumb: %.1f us per call\n", thumbCall);
    std::printf("Control paint (418x47 band, two thumbs, a tip: 4 DrawToDC): %.1f us per paint\n", paint);
    if (!ok) {
        std::fprintf(stderr, "a draw failed\n");
        return 1;
    }
    return 0;
}

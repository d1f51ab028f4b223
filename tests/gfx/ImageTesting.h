#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "gfx/AlphaPicture.h"
#include "gfx/GfxTesting.h"
#include "gfx/Picture.h"
#include "support/Fixtures.h"

namespace vorlune::test {

// A file made by image_fixtures.py; empty when the fixtures are missing.
inline std::wstring ImagePath(const std::wstring& name) { return FixturePath((L"images\\" + name).c_str()); }

inline testing::AssertionResult LoadImage(Picture& picture, const std::wstring& name)
{
    const std::wstring path = ImagePath(name);
    if (path.empty()) return testing::AssertionFailure() << "fixture missing: images\\" << testing::PrintToString(name);
    if (!picture.LoadFromFile(path)) return testing::AssertionFailure() << "cannot load " << testing::PrintToString(name);
    return testing::AssertionSuccess();
}

// Every channel within tolerance; lossy formats round a little.
inline testing::AssertionResult Near(COLORREF got, COLORREF want, int tolerance)
{
    const bool close = std::abs(GetRValue(got) - GetRValue(want)) <= tolerance &&
                       std::abs(GetGValue(got) - GetGValue(want)) <= tolerance &&
                       std::abs(GetBValue(got) - GetBValue(want)) <= tolerance;
    if (close) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "got RGB(" << int(GetRValue(got)) << ", " << int(GetGValue(got)) << ", "
                                       << int(GetBValue(got)) << "), want RGB(" << int(GetRValue(want)) << ", "
                                       << int(GetGValue(want)) << ", " << int(GetBValue(want)) << ")";
}

inline COLORREF PixelOf(const Picture& picture, int x, int y) { return At(picture.ColorSurface(), x, y); }

inline int AlphaOf(const AlphaPicture& picture, int x, int y) { return picture.Image().Alpha().Row(y)[x]; }

}  // namespace vorlune::test

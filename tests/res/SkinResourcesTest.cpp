// The resources compiled into vorlune.exe, read back from the built program
// through the same loaders the windows use.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "gfx/AlphaImage.h"
#include "gfx/ImageResource.h"
#include "gfx/JpegPicture.h"
#include "gfx/PngPicture.h"
#include "gfx/SkinImages.h"
#include "gfx/Surface.h"

namespace vorlune {
namespace {

const WORD kSimplifiedChinese = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);

// vorlune.exe sits in the folder above the test program.
std::wstring ProgramPath()
{
    wchar_t self[MAX_PATH];
    DWORD n = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, n);
    for (int up = 0; up < 2; ++up) path.erase(path.find_last_of(L'\\'));
    return path + L"\\vorlune.exe";
}

class ProgramResources : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        module_ = ::LoadLibraryExW(ProgramPath().c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    }
    static void TearDownTestSuite()
    {
        if (module_) ::FreeLibrary(module_);
        module_ = nullptr;
    }
    void SetUp() override { ASSERT_NE(module_, nullptr) << "vorlune.exe is missing beside the tests folder"; }

    static HMODULE module_;
};
HMODULE ProgramResources::module_ = nullptr;

LPCWSTR ResourceType(ImageType type)
{
    return type == ImageType::Jpeg ? L"JPG" : type == ImageType::Png ? L"PNG" : RT_BITMAP;
}

std::string Name(const SkinImage& s)
{
    return std::to_string(s.id) + (s.type == ImageType::Jpeg ? " JPG" : s.type == ImageType::Png ? " PNG" : " bitmap");
}

// The colour pixels of a skin image as the program decodes it.
bool Decode(const SkinImage& s, HMODULE module, Surface24& out)
{
    if (s.type == ImageType::Bmp) return LoadBitmapResource(out, s.id, 24, module);
    std::unique_ptr<Picture> picture;
    if (s.type == ImageType::Jpeg)
        picture = std::make_unique<JpegPicture>();
    else
        picture = std::make_unique<PngPicture>();
    return picture->LoadFromResource(s.id, module) && out.Take(picture->ColorSurface());
}

const SkinImage& Find(int id, ImageType type)
{
    const SkinImage* s = FindSkinImage(id, type);
    if (!s) std::abort();
    return *s;
}

TEST_F(ProgramResources, EverySkinImageLoadsWithItsTypeSizeAndDepth)
{
    for (const SkinImage& s : kSkinImages) {
        SCOPED_TRACE(Name(s));
        EXPECT_NE(::FindResourceExW(module_, ResourceType(s.type), MAKEINTRESOURCEW(s.id), kSimplifiedChinese), nullptr);
        if (s.type == ImageType::Bmp) {
            Surface stored;
            ASSERT_TRUE(LoadBitmapResource(stored, s.id, 0, module_));
            EXPECT_EQ(stored.BitsPerPixel(), s.bits);
            EXPECT_EQ(stored.Width(), s.width);
            EXPECT_EQ(stored.Height(), s.height);
            Surface converted;
            ASSERT_TRUE(LoadBitmapResource(converted, s.id, 24, module_));
            EXPECT_EQ(converted.BitsPerPixel(), 24);
        } else {
            // As the controls load them: a picture of the one type asked for.
            std::unique_ptr<Picture> picture;
            if (s.type == ImageType::Jpeg)
                picture = std::make_unique<JpegPicture>();
            else
                picture = std::make_unique<PngPicture>();
            ASSERT_TRUE(picture->LoadFromResource(s.id, module_));
            EXPECT_EQ(picture->Width(), s.width);
            EXPECT_EQ(picture->Height(), s.height);
            EXPECT_EQ(picture->Info().bitsPerPixel, s.bits);
            if (s.type == ImageType::Png) {
                EXPECT_EQ(picture->Info().bitDepth, 8);
                EXPECT_EQ(picture->Info().channels, 4);
            }
        }
        if (s.id == 362) continue;  // probed as the bitmap; see below
        EXPECT_EQ(ProbeResource(s.id, module_), s.type);
        std::unique_ptr<Picture> opened = OpenResourcePicture(s.id, module_);
        ASSERT_NE(opened, nullptr);
        EXPECT_EQ(opened->Type(), s.type);
        EXPECT_EQ(opened->Width(), s.width);
        EXPECT_EQ(opened->Height(), s.height);
        SIZE size{};
        ASSERT_TRUE(ResourceImageSize(s.id, size, module_));
        EXPECT_EQ(size.cx, s.width);
        EXPECT_EQ(size.cy, s.height);
    }
}

TEST_F(ProgramResources, Id362IsABitmapWhenProbedAndAJpegWhenAskedFor)
{
    EXPECT_EQ(ProbeResource(362, module_), ImageType::Bmp);
    SIZE size{};
    ASSERT_TRUE(ResourceImageSize(362, size, module_));
    EXPECT_EQ(size.cx, 96);
    EXPECT_EQ(size.cy, 24);

    JpegPicture caption;
    ASSERT_TRUE(caption.LoadFromResource(362, module_));
    EXPECT_EQ(caption.Width(), 310);
    EXPECT_EQ(caption.Height(), 19);
}

TEST_F(ProgramResources, StripsCutIntoOneImageListCellPerState)
{
    for (const SkinImage& s : kSkinImages) {
        if (s.cells == 1) continue;
        SCOPED_TRACE(Name(s));
        SIZE size{};
        ASSERT_TRUE(ResourceImageSize(s.id, size, module_));
        const int cell = size.cx / s.cells;
        EXPECT_EQ(cell * s.cells, size.cx);
        if (s.width == 1026) {
            EXPECT_EQ(cell, 342);
        }

        HIMAGELIST list = ::ImageList_LoadImageW(module_, MAKEINTRESOURCEW(s.id), cell, 1, CLR_NONE, IMAGE_BITMAP,
                                                 LR_CREATEDIBSECTION);
        ASSERT_NE(list, nullptr);
        int w = 0, h = 0;
        ::ImageList_GetIconSize(list, &w, &h);
        EXPECT_EQ(w, cell);
        EXPECT_EQ(h, s.height);
        EXPECT_EQ(::ImageList_GetImageCount(list), s.cells);
        ::ImageList_Destroy(list);
    }
}

int CountDifferentPixels(const Surface24& a, const RECT& ra, const Surface24& b, const RECT& rb)
{
    int n = 0;
    for (int y = 0; y < ra.bottom - ra.top; ++y)
        for (int x = 0; x < ra.right - ra.left; ++x) {
            RGBQUAD p{}, q{};
            a.GetColor(ra.left + x, ra.top + y, p);
            b.GetColor(rb.left + x, rb.top + y, q);
            if (std::abs(p.rgbRed - q.rgbRed) + std::abs(p.rgbGreen - q.rgbGreen) + std::abs(p.rgbBlue - q.rgbBlue) > 24)
                ++n;
        }
    return n;
}

TEST_F(ProgramResources, EveryStateOfAStripLooksDifferent)
{
    for (const SkinImage& s : kSkinImages) {
        if (s.cells == 1) continue;
        SCOPED_TRACE(Name(s));
        Surface24 strip;
        ASSERT_TRUE(Decode(s, module_, strip));
        const int cell = s.width / s.cells;
        for (int i = 0; i < s.cells; ++i)
            for (int j = i + 1; j < s.cells; ++j)
                EXPECT_GT(CountDifferentPixels(strip, RECT{i * cell, 0, (i + 1) * cell, s.height}, strip,
                                               RECT{j * cell, 0, (j + 1) * cell, s.height}),
                          10)
                    << "states " << i << " and " << j;
    }

    // The three step banners each highlight a different step, and the
    // checked looks differ from the unchecked ones.
    struct Pair {
        int a, b;
        ImageType type;
    };
    const Pair pairs[] = {{349, 350, ImageType::Jpeg}, {350, 351, ImageType::Jpeg}, {349, 351, ImageType::Jpeg},
                          {352, 353, ImageType::Jpeg}, {368, 369, ImageType::Bmp},  {367, 370, ImageType::Bmp}};
    for (const Pair& pair : pairs) {
        SCOPED_TRACE(std::to_string(pair.a) + " vs " + std::to_string(pair.b));
        const SkinImage& sa = Find(pair.a, pair.type);
        const SkinImage& sb = Find(pair.b, pair.type);
        Surface24 ia, ib;
        ASSERT_TRUE(Decode(sa, module_, ia));
        ASSERT_TRUE(Decode(sb, module_, ib));
        EXPECT_GT(CountDifferentPixels(ia, ia.Bounds(), ib, ib.Bounds()), 30);
    }
}

// Opaque pieces are drawn over their background at fixed places; their
// corners must carry the background they cover, or the page shows boxes.
TEST_F(ProgramResources, PiecesBlendIntoTheBackgroundTheyCover)
{
    struct Placement {
        int id;
        ImageType type;
        int background;  // 347 page or 348 footer
        int x, y;
    };
    const Placement places[] = {
        {360, ImageType::Jpeg, 347, 95, 42},  {361, ImageType::Jpeg, 347, 130, 42}, {359, ImageType::Bmp, 347, 130, 91},
        {382, ImageType::Bmp, 347, 130, 142}, {362, ImageType::Jpeg, 347, 145, 50}, {364, ImageType::Bmp, 347, 32, 113},
        {363, ImageType::Bmp, 347, 32, 113},  {362, ImageType::Bmp, 347, 65, 116},  {365, ImageType::Jpeg, 347, 91, 111},
        {366, ImageType::Jpeg, 347, 512, 122}, {369, ImageType::Bmp, 347, 333, 183}, {368, ImageType::Bmp, 347, 333, 183},
        {367, ImageType::Bmp, 347, 423, 183}, {370, ImageType::Bmp, 347, 423, 183}, {375, ImageType::Jpeg, 347, 130, 48},
        {376, ImageType::Jpeg, 347, 130, 48}, {377, ImageType::Jpeg, 347, 130, 48}, {378, ImageType::Bmp, 347, 130, 91},
        {379, ImageType::Bmp, 347, 130, 91},  {380, ImageType::Bmp, 347, 130, 91},  {381, ImageType::Bmp, 347, 130, 142},
        {353, ImageType::Jpeg, 348, 16, 18},  {352, ImageType::Jpeg, 348, 16, 18},  {356, ImageType::Bmp, 348, 356, 10},
        {357, ImageType::Bmp, 348, 475, 10},
    };
    Surface24 page, footer;
    ASSERT_TRUE(Decode(Find(347, ImageType::Jpeg), module_, page));
    ASSERT_TRUE(Decode(Find(348, ImageType::Jpeg), module_, footer));
    for (const Placement& p : places) {
        const SkinImage& s = Find(p.id, p.type);
        SCOPED_TRACE(Name(s));
        Surface24 piece;
        ASSERT_TRUE(Decode(s, module_, piece));
        const Surface24& under = p.background == 347 ? page : footer;
        const int cell = s.width / s.cells;
        for (int c = 0; c < s.cells; ++c) {
            // Each state is drawn at the same place: check the four corners of every cell.
            const POINT corners[] = {{0, 0}, {cell - 1, 0}, {0, s.height - 1}, {cell - 1, s.height - 1}};
            for (POINT k : corners) {
                RGBQUAD a{}, b{};
                piece.GetColor(c * cell + k.x, k.y, a);
                under.GetColor(p.x + k.x, p.y + k.y, b);
                EXPECT_NEAR(a.rgbRed, b.rgbRed, 8) << "cell " << c << " at " << k.x << "," << k.y;
                EXPECT_NEAR(a.rgbGreen, b.rgbGreen, 8) << "cell " << c << " at " << k.x << "," << k.y;
                EXPECT_NEAR(a.rgbBlue, b.rgbBlue, 8) << "cell " << c << " at " << k.x << "," << k.y;
            }
        }
    }
}

// The thumbs hang beside their columns: opaque along the column, see-through
// at the free top corner.
TEST_F(ProgramResources, ThumbsAreTransparentAroundTheirHandles)
{
    for (int id : {373, 374}) {
        SCOPED_TRACE(id);
        PngPicture thumb;
        ASSERT_TRUE(thumb.LoadFromResource(id, module_));
        ASSERT_NE(thumb.AlphaStorage(), nullptr);
        const AlphaImage& image = *thumb.AlphaStorage();
        ASSERT_TRUE(image.HasAlpha());
        const int column = id == 373 ? 8 : 0;
        const int freeSide = id == 373 ? 0 : 8;
        for (int y = 1; y < 15; ++y) EXPECT_EQ(image.Alpha().GetIndex(column, y), 255) << "row " << y;
        EXPECT_EQ(image.Alpha().GetIndex(freeSide, 0), 0);
        EXPECT_EQ(image.Alpha().GetIndex(4, 10), 255);
    }
}

TEST_F(ProgramResources, TitleString)
{
    wchar_t text[64] = {};
    EXPECT_EQ(::LoadStringW(module_, 125, text, 64), 7);
    EXPECT_STREQ(text, L"Vorlune");
    // String 125 lives in block 125 / 16 + 1.
    EXPECT_NE(::FindResourceExW(module_, RT_STRING, MAKEINTRESOURCEW(8), kSimplifiedChinese), nullptr);
}

void DumpMenu(HMENU menu, int depth, std::wstring& out)
{
    const int n = ::GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i) {
        wchar_t text[128] = {};
        MENUITEMINFOW mii{};
        mii.cbSize = sizeof(mii);
        mii.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_SUBMENU;
        mii.dwTypeData = text;
        mii.cch = 128;
        ASSERT_TRUE(::GetMenuItemInfoW(menu, i, TRUE, &mii));
        out.append(depth * 2, L' ');
        if (mii.fType & MFT_SEPARATOR) {
            out += L"-\n";
        } else if (mii.hSubMenu) {
            out += std::wstring(text) + L"\n";
            DumpMenu(mii.hSubMenu, depth + 1, out);
        } else {
            out += std::wstring(text) + L" = " + std::to_wstring(mii.wID) + L"\n";
        }
    }
}

TEST_F(ProgramResources, MenuNamesEveryCommand)
{
    ASSERT_NE(::FindResourceExW(module_, RT_MENU, MAKEINTRESOURCEW(125), kSimplifiedChinese), nullptr);
    HMENU menu = ::LoadMenuW(module_, MAKEINTRESOURCEW(125));
    ASSERT_NE(menu, nullptr);
    std::wstring dump;
    DumpMenu(menu, 0, dump);
    ::DestroyMenu(menu);
    EXPECT_EQ(dump,
              L"&File\n"
              L"  &Open...\tCtrl+O = 57601\n"
              L"  -\n"
              L"  &Save\tCtrl+S = 57603\n"
              L"  Save &As... = 57604\n"
              L"  -\n"
              L"  E&xit = 57665\n"
              L"&Wizard\n"
              L"  &Back = 33137\n"
              L"  &Next = 33138\n"
              L"  -\n"
              L"  Step 1\n"
              L"    &Choose a Song = 33142\n"
              L"    Convert Mono to Stereo = 33156\n"
              L"  Step 2\n"
              L"    &Play/Pause = 33154\n"
              L"    &Stop = 33146\n"
              L"    -\n"
              L"    Fade &In = 33147\n"
              L"    Fade &Out = 33148\n"
              L"  Step 3\n"
              L"    &Save = 33150\n"
              L"    &Locate = 33151\n"
              L"    &New = 33152\n"
              L"&Help\n"
              L"  &Website = 33068\n"
              L"  -\n"
              L"  &About = 57664\n");
}

TEST_F(ProgramResources, AcceleratorTable)
{
    ASSERT_NE(::FindResourceExW(module_, RT_ACCELERATOR, MAKEINTRESOURCEW(125), kSimplifiedChinese), nullptr);
    HACCEL table = ::LoadAcceleratorsW(module_, MAKEINTRESOURCEW(125));
    ASSERT_NE(table, nullptr);
    const BYTE k = FVIRTKEY | FNOINVERT;
    const ACCEL expected[] = {
        {k | FCONTROL, 'C', 57634},      {k | FCONTROL, VK_INSERT, 57634}, {k | FSHIFT, VK_DELETE, 57635},
        {k | FCONTROL, 'X', 57635},      {k | FCONTROL, 'V', 57637},       {k | FSHIFT, VK_INSERT, 57637},
        {k | FCONTROL, 'Y', 57644},      {k | FCONTROL, 'A', 57642},       {k | FALT, VK_BACK, 57643},
        {k | FCONTROL, 'Z', 57643},      {k | FCONTROL, 'N', 57600},       {k | FCONTROL, 'O', 57601},
        {k | FCONTROL, 'S', 57603},      {k, VK_F1, 32796},                {k, VK_F6, 57680},
        {k | FSHIFT, VK_F6, 57681},
    };
    const int n = ::CopyAcceleratorTableW(table, nullptr, 0);
    ASSERT_EQ(n, static_cast<int>(std::size(expected)));
    std::vector<ACCEL> got(n);
    ::CopyAcceleratorTableW(table, got.data(), n);
    ::DestroyAcceleratorTable(table);
    for (int i = 0; i < n; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(got[i].fVirt, expected[i].fVirt);
        EXPECT_EQ(got[i].key, expected[i].key);
        EXPECT_EQ(got[i].cmd, expected[i].cmd);
    }
}

#pragma pack(push, 2)
struct IconGroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bits;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

TEST_F(ProgramResources, IconGroupHasFourSizesOf32Bits)
{
    HRSRC found = ::FindResourceExW(module_, RT_GROUP_ICON, MAKEINTRESOURCEW(125), kSimplifiedChinese);
    ASSERT_NE(found, nullptr);
    auto* data = static_cast<const BYTE*>(::LockResource(::LoadResource(module_, found)));
    ASSERT_NE(data, nullptr);
    const WORD* head = reinterpret_cast<const WORD*>(data);
    ASSERT_EQ(head[1], 1);  // icons, not cursors
    ASSERT_EQ(head[2], 4);
    const auto* entries = reinterpret_cast<const IconGroupEntry*>(data + 6);
    const int sizes[] = {16, 32, 48, 128};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(entries[i].width, sizes[i]);
        EXPECT_EQ(entries[i].height, sizes[i]);
        EXPECT_EQ(entries[i].bits, 32);
    }

    // The frame asks for the 32 and 16-pixel icons.
    for (int size : {16, 32}) {
        SCOPED_TRACE(size);
        HICON icon = static_cast<HICON>(
            ::LoadImageW(module_, MAKEINTRESOURCEW(125), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
        ASSERT_NE(icon, nullptr);
        ICONINFO info{};
        ASSERT_TRUE(::GetIconInfo(icon, &info));
        BITMAP bm{};
        ::GetObjectW(info.hbmColor, sizeof(bm), &bm);
        EXPECT_EQ(bm.bmWidth, size);
        EXPECT_EQ(bm.bmHeight, size);
        ::DeleteObject(info.hbmColor);
        ::DeleteObject(info.hbmMask);
        ::DestroyIcon(icon);
    }
}

TEST_F(ProgramResources, ManifestAsksForCommonControls6)
{
    HRSRC found = ::FindResourceW(module_, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(found, nullptr);
    const char* text = static_cast<const char*>(::LockResource(::LoadResource(module_, found)));
    const std::string manifest(text, ::SizeofResource(module_, found));
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
}

}  // namespace
}  // namespace vorlune

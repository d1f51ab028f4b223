// Contact sheet of the skin: every skin picture of vorlune.exe, decoded by the
// program's own codecs from the executable's resources, laid out on one PNG.
//
//     skin-sheet.exe [path\to\vorlune.exe [sheet.png]]
//
// Without arguments it reads vorlune.exe from the folder above its own and
// writes skin-sheet.png into the current folder. Exit code 0 when every
// picture loaded with its expected size, else 1.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "gfx/ImageResource.h"
#include "gfx/JpegPicture.h"
#include "gfx/PngPicture.h"
#include "gfx/SkinImages.h"
#include "gfx/Surface.h"

using namespace vorlune;

namespace {

struct Section {
    SkinGroup group;
    const wchar_t* title;
};

const Section kSections[] = {
    {SkinGroup::Frame, L"Frame: header, step banners, footer"},
    {SkinGroup::ChooseSong, L"Step 1: choose a song"},
    {SkinGroup::Cut, L"Step 2: cut and preview"},
    {SkinGroup::Save, L"Step 3: save"},
};

const wchar_t* const kThreeStates[] = {L"normal", L"pushed", L"hover"};
const wchar_t* const kFourStates[] = {L"normal", L"pushed", L"hover", L"disabled"};

// Tiny pictures are shown enlarged as well.
int Zoom(const SkinImage& item)
{
    if (item.type == ImageType::Png) return 6;
    return item.width * item.height <= 700 ? 4 : 1;
}

// One decoded picture: a codec picture, or a bitmap surface for RT_BITMAP.
struct Loaded {
    std::unique_ptr<Picture> picture;
    Surface24 bitmap;

    int Width() const { return picture ? picture->Width() : bitmap.Width(); }
    int Height() const { return picture ? picture->Height() : bitmap.Height(); }

    bool Draw(Surface& canvas, const RECT& dest, const RECT& source) const
    {
        return picture ? picture->DrawOnto(canvas, dest, &source) : canvas.DrawFrom(bitmap, source, dest, false);
    }
};

bool Load(const SkinImage& item, HMODULE module, Loaded& out)
{
    switch (item.type) {
    case ImageType::Jpeg:
        out.picture = std::make_unique<JpegPicture>();
        break;
    case ImageType::Png:
        out.picture = std::make_unique<PngPicture>();
        break;
    default:
        // As the controls load them: converted to 24 bits.
        return LoadBitmapResource(out.bitmap, item.id, 24, module);
    }
    return out.picture->LoadFromResource(item.id, module);
}

const wchar_t* KindName(ImageType type)
{
    switch (type) {
    case ImageType::Jpeg: return L"JPG";
    case ImageType::Png: return L"PNG";
    default: return L"BMP";
    }
}

// Text and flat shapes go through GDI on the canvas's own bitmap. The
// painter measures text before there is a canvas, for the layout.
class Painter {
public:
    enum Style { kRegular, kSmall, kBold };

    Painter() : dc_(::CreateCompatibleDC(nullptr))
    {
        fonts_[kRegular] = MakeFont(13, FW_NORMAL);
        fonts_[kSmall] = MakeFont(11, FW_NORMAL);
        fonts_[kBold] = MakeFont(17, FW_BOLD);
        oldFont_ = ::SelectObject(dc_, fonts_[kRegular]);
        ::SetBkMode(dc_, TRANSPARENT);
    }
    ~Painter()
    {
        Detach();
        ::SelectObject(dc_, oldFont_);
        for (HFONT f : fonts_) ::DeleteObject(f);
        ::DeleteDC(dc_);
    }
    Painter(const Painter&) = delete;
    Painter& operator=(const Painter&) = delete;

    void Attach(Surface& canvas) { oldBitmap_ = ::SelectObject(dc_, canvas.Data()->Bitmap()); }
    // Lets go of the canvas, with everything drawn so far in its pixels.
    void Detach()
    {
        ::GdiFlush();
        if (oldBitmap_) ::SelectObject(dc_, oldBitmap_);
        oldBitmap_ = nullptr;
    }

    int Width(const std::wstring& s, Style style = kRegular)
    {
        ::SelectObject(dc_, fonts_[style]);
        SIZE size{};
        ::GetTextExtentPoint32W(dc_, s.c_str(), static_cast<int>(s.size()), &size);
        return size.cx;
    }
    void Text(int x, int y, const std::wstring& s, COLORREF colour, Style style = kRegular)
    {
        ::SelectObject(dc_, fonts_[style]);
        ::SetTextColor(dc_, colour);
        ::TextOutW(dc_, x, y, s.c_str(), static_cast<int>(s.size()));
    }
    void Fill(const RECT& r, COLORREF colour)
    {
        ::SetBkColor(dc_, colour);
        ::ExtTextOutW(dc_, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    }
    void Frame(const RECT& r, COLORREF colour)
    {
        HBRUSH brush = ::CreateSolidBrush(colour);
        ::FrameRect(dc_, &r, brush);
        ::DeleteObject(brush);
    }
    // A checkerboard shows where a picture is transparent.
    void Checker(const RECT& r, int square)
    {
        for (int y = r.top; y < r.bottom; y += square)
            for (int x = r.left; x < r.right; x += square) {
                bool dark = (((x - r.left) / square) + ((y - r.top) / square)) % 2 != 0;
                RECT c{x, y, std::min<int>(x + square, r.right), std::min<int>(y + square, r.bottom)};
                Fill(c, dark ? RGB(204, 204, 204) : RGB(255, 255, 255));
            }
    }

private:
    static HFONT MakeFont(int height, int weight)
    {
        LOGFONTW lf{};
        lf.lfHeight = -height;
        lf.lfWeight = weight;
        lf.lfCharSet = DEFAULT_CHARSET;
        lf.lfQuality = ANTIALIASED_QUALITY;
        wcscpy_s(lf.lfFaceName, L"Tahoma");
        return ::CreateFontIndirectW(&lf);
    }

    HDC dc_;
    HGDIOBJ oldFont_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
    HFONT fonts_[3] = {};
};

constexpr int kSheetWidth = 1300;
constexpr int kMargin = 24;
constexpr int kGap = 28;        // between items in a row
constexpr int kCellGap = 8;     // between the states of a strip
constexpr int kLabel = 20;      // label line above an item
constexpr int kStateLabel = 16; // state names under a strip
constexpr int kSectionTitle = 34;
constexpr COLORREF kBackground = RGB(226, 229, 235);
constexpr COLORREF kInk = RGB(52, 60, 74);
constexpr COLORREF kMuted = RGB(112, 120, 136);
constexpr COLORREF kFrame = RGB(194, 199, 210);
constexpr COLORREF kBad = RGB(200, 40, 40);

struct Placed {
    const SkinImage* item;
    const Loaded* loaded;
    int x, y;
};

std::wstring Label(const SkinImage& item)
{
    wchar_t label[160];
    swprintf(label, 160, L"%d %ls  %dx%d  %ls", item.id, KindName(item.type), item.width, item.height, item.name);
    return label;
}

// Distance from one state of a strip to the next: the cell, or its name
// when that is wider.
int CellPitch(Painter& painter, const SkinImage& item)
{
    int cell = item.width / item.cells;
    if (item.cells > 1) cell = std::max(cell, painter.Width(kFourStates[3], Painter::kSmall) + 4);
    return cell + kCellGap;
}

// Size an item takes on the sheet: its cells with gaps, the enlarged copy,
// the label above and the state names below.
SIZE Footprint(Painter& painter, const SkinImage& item)
{
    int w = item.cells * CellPitch(painter, item) - kCellGap;
    int h = item.height;
    if (Zoom(item) > 1) {
        w += kCellGap * 2 + item.width * Zoom(item);
        h = std::max(h, item.height * Zoom(item));
    }
    w = std::max(w, painter.Width(Label(item)));
    return SIZE{w, kLabel + h + (item.cells > 1 ? kStateLabel : 0)};
}

// A hairline just outside a picture, so pale pictures keep their edges.
void Outline(Painter& painter, const RECT& r)
{
    painter.Frame(RECT{r.left - 1, r.top - 1, r.right + 1, r.bottom + 1}, kFrame);
}

struct PendingDraw {
    const Loaded* loaded;
    RECT dest, source;
};

// Paints an item's label, backdrop and state names, and queues its pixels:
// the pictures draw themselves once the painter has let go of the canvas
// (a bitmap can be selected into one device context only).
void DecorateItem(Painter& painter, const SkinImage& item, const Loaded* loaded, bool ok, int x, int y,
                  std::vector<PendingDraw>& pending)
{
    painter.Text(x, y, Label(item), ok ? kInk : kBad);
    int top = y + kLabel;
    int cellWidth = item.width / item.cells;
    if (!ok) {
        RECT r{x, top, x + item.width, top + item.height};
        painter.Frame(r, kBad);
        return;
    }
    const wchar_t* const* states = item.cells == 4 ? kFourStates : kThreeStates;
    for (int c = 0; c < item.cells; ++c) {
        int cx = x + c * CellPitch(painter, item);
        RECT dest{cx, top, cx + cellWidth, top + item.height};
        Outline(painter, dest);
        if (item.type == ImageType::Png) painter.Checker(dest, 3);
        pending.push_back({loaded, dest, RECT{c * cellWidth, 0, (c + 1) * cellWidth, item.height}});
        if (item.cells > 1) painter.Text(cx, top + item.height + 2, states[c], kMuted, Painter::kSmall);
    }
    if (Zoom(item) > 1) {
        int zx = x + item.cells * CellPitch(painter, item) + kCellGap;
        RECT dest{zx, top, zx + item.width * Zoom(item), top + item.height * Zoom(item)};
        Outline(painter, dest);
        if (item.type == ImageType::Png) painter.Checker(dest, 3 * Zoom(item));
        pending.push_back({loaded, dest, RECT{0, 0, item.width, item.height}});
    }
}

std::wstring Folder(const std::wstring& path)
{
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    std::wstring exe, out = L"skin-sheet.png";
    if (argc > 1) {
        exe = argv[1];
    } else {
        wchar_t self[MAX_PATH];
        ::GetModuleFileNameW(nullptr, self, MAX_PATH);
        exe = Folder(Folder(self)) + L"\\vorlune.exe";
    }
    if (argc > 2) out = argv[2];

    HMODULE module = ::LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) {
        fwprintf(stderr, L"skin-sheet: cannot open %ls\n", exe.c_str());
        return 1;
    }

    struct Group {
        const wchar_t* title;
        std::vector<SkinImage> items;
    };
    std::vector<Group> sections;
    for (const Section& section : kSections) {
        sections.push_back({section.title, {}});
        for (const SkinImage& image : kSkinImages)
            if (image.group == section.group) sections.back().items.push_back(image);
    }
    std::vector<std::vector<Loaded>> loaded(sections.size());
    std::vector<std::vector<bool>> good(sections.size());
    int failures = 0;
    for (size_t s = 0; s < sections.size(); ++s) {
        loaded[s] = std::vector<Loaded>(sections[s].items.size());
        for (size_t i = 0; i < sections[s].items.size(); ++i) {
            const SkinImage& item = sections[s].items[i];
            bool ok = Load(item, module, loaded[s][i]) && loaded[s][i].Width() == item.width &&
                      loaded[s][i].Height() == item.height;
            if (!ok) {
                fwprintf(stderr, L"skin-sheet: %ls %d (%ls) did not load as %dx%d\n", KindName(item.type), item.id,
                         item.name, item.width, item.height);
                ++failures;
            }
            good[s].push_back(ok);
        }
    }

    Painter painter;
    // Flow layout, section by section.
    struct Spot { size_t s, i; int x, y; };
    std::vector<Spot> spots;
    std::vector<std::pair<int, const wchar_t*>> titles;
    int y = kMargin;
    for (size_t s = 0; s < sections.size(); ++s) {
        titles.push_back({y, sections[s].title});
        y += kSectionTitle;
        int x = kMargin, rowHeight = 0;
        for (size_t i = 0; i < sections[s].items.size(); ++i) {
            SIZE fp = Footprint(painter, sections[s].items[i]);
            if (x > kMargin && x + fp.cx > kSheetWidth - kMargin) {
                x = kMargin;
                y += rowHeight + kGap / 2;
                rowHeight = 0;
            }
            spots.push_back({s, i, x, y});
            x += fp.cx + kGap;
            rowHeight = std::max<int>(rowHeight, fp.cy);
        }
        y += rowHeight + kGap;
    }
    int height = y + kMargin - kGap / 2;

    Surface24 canvas;
    if (!canvas.Create(kSheetWidth, height, 24)) {
        fwprintf(stderr, L"skin-sheet: out of memory\n");
        return 1;
    }
    std::vector<PendingDraw> pending;
    {
        painter.Attach(canvas);
        painter.Fill(RECT{0, 0, kSheetWidth, height}, kBackground);
        painter.Text(kMargin, 4, L"Vorlune skin, decoded from the executable's resources", kMuted, Painter::kSmall);
        for (auto& t : titles) painter.Text(kMargin, t.first + 6, t.second, kInk, Painter::kBold);
        for (auto& sp : spots) {
            const SkinImage& item = sections[sp.s].items[sp.i];
            DecorateItem(painter, item, &loaded[sp.s][sp.i], good[sp.s][sp.i], sp.x, sp.y, pending);
        }
        painter.Detach();
    }
    for (const PendingDraw& d : pending) {
        if (!d.loaded->Draw(canvas, d.dest, d.source)) {
            fwprintf(stderr, L"skin-sheet: a picture did not draw at (%ld, %ld)\n", d.dest.left, d.dest.top);
            ++failures;
        }
    }

    PngPicture sheet;
    if (!sheet.ColorSurface().Take(canvas) || !sheet.SaveToFile(out)) {
        fwprintf(stderr, L"skin-sheet: cannot write %ls\n", out.c_str());
        return 1;
    }
    ::FreeLibrary(module);
    fwprintf(stdout, L"%ls: %d pictures, %d failed\n", out.c_str(), static_cast<int>(spots.size()), failures);
    return failures == 0 ? 0 : 1;
}

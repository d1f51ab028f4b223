#include "gfx/Picture.h"

#include <algorithm>
#include <new>

#include "gfx/AlphaImage.h"
#include "gfx/ImageCodec.h"
#include "win/Error.h"

namespace vorlune {

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

}  // namespace

Picture::~Picture() = default;

void Picture::Clear(bool resetInfo) noexcept
{
    if (DestroyPixels() && resetInfo) info_.Reset();
}

bool Picture::LoadFromFile(const std::wstring& path) noexcept
{
    const auto codec = CreateCodec();
    return codec && codec->LoadFromFile(*this, path, false);
}

bool Picture::LoadFromResource(int id, HMODULE module) noexcept
{
    const auto codec = CreateCodec();
    return codec && codec->LoadFromResource(*this, id, module, false);
}

bool Picture::SaveToFile(const std::wstring& path) noexcept
{
    const auto codec = CreateCodec();
    return codec && codec->SaveToFile(path, *this);
}

bool Picture::Assign(const Picture& other) noexcept
{
    if (&other == this) return true;
    DestroyPixels();
    const bool ok = Guarded([&] {
        const ImageType own = info_.type;
        info_ = other.info_;
        info_.type = own;
        if (other.IsEmpty()) return true;
        const AlphaImage* theirs = other.AlphaStorage();
        AlphaImage* ours = AlphaStorage();
        if (!ours) {
            if (theirs) return theirs->FlattenOnto(ColorSurface(), kWhite);
            return ColorSurface().CopyFrom(other.ColorSurface());
        }
        Check(ours->Colour().CopyFrom(other.ColorSurface()));
        return !theirs || ours->Alpha().CopyFrom(theirs->Alpha());
    });
    if (!ok) {
        DestroyPixels();
        info_.Reset();
    }
    return ok;
}

const Surface24* Picture::OpaqueColour(Surface24& scratch) const noexcept
{
    const AlphaImage* planes = AlphaStorage();
    if (!planes || !planes->HasAlpha()) return &ColorSurface();
    return planes->FlattenOnto(scratch, kWhite) ? &scratch : nullptr;
}

bool Picture::MakeThumbnail(Surface& target, int maxSize) const noexcept
{
    if (maxSize <= 0 || !IsValid()) return false;
    Surface24 scratch;
    const Surface24* colour = OpaqueColour(scratch);
    if (!colour) return false;
    const int width = colour->Width();
    const int height = colour->Height();
    if (width <= maxSize && height <= maxSize) return target.CopyFrom(*colour) && target.BitsPerPixel() == 24;

    // The longer side becomes maxSize; the other keeps the ratio, rounded.
    SIZE size{maxSize, maxSize};
    if (width >= height) {
        size.cy = std::max(1, static_cast<int>((int64_t{height} * maxSize + width / 2) / width));
    } else {
        size.cx = std::max(1, static_cast<int>((int64_t{width} * maxSize + height / 2) / height));
    }
    target.Destroy();
    if (!target.Create(size.cx, size.cy, 24)) return false;
    if (target.DrawFrom(*colour, colour->Bounds(), target.Bounds(), true)) return true;
    target.Destroy();
    return false;
}

std::unique_ptr<ImageInfo> Picture::CreateInfo() const noexcept
{
    return std::unique_ptr<ImageInfo>(new (std::nothrow) ImageInfo(info_.type));
}

}  // namespace vorlune

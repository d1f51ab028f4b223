#include "gfx/Palette.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace vorlune {

namespace {

// red, green, blue of the 16 standard colours
constexpr uint8_t kStandard16[16][3] = {
    {0, 0, 0},       {0, 0, 128},     {0, 128, 0},   {0, 128, 128},
    {128, 0, 0},     {128, 0, 128},   {128, 128, 0}, {192, 192, 192},
    {128, 128, 128}, {0, 0, 255},     {0, 255, 0},   {0, 255, 255},
    {255, 0, 0},     {255, 0, 255},   {255, 255, 0}, {255, 255, 255},
};

RGBQUAD Quad(uint8_t red, uint8_t green, uint8_t blue) noexcept
{
    RGBQUAD q{};
    q.rgbRed = red;
    q.rgbGreen = green;
    q.rgbBlue = blue;
    return q;
}

}  // namespace

Palette::Palette(const RGBQUAD* entries, uint32_t count) { Assign(entries, count); }

Palette::Palette(const Palette& other) { Assign(other.Data(), other.Count()); }

Palette& Palette::operator=(const Palette& other)
{
    if (this != &other) Assign(other.Data(), other.Count());
    return *this;
}

Palette::Palette(Palette&& other) noexcept
    : entries_(std::move(other.entries_)), count_(std::exchange(other.count_, 0))
{
}

Palette& Palette::operator=(Palette&& other) noexcept
{
    entries_ = std::move(other.entries_);
    count_ = std::exchange(other.count_, 0);
    return *this;
}

Palette Palette::Default(int depth)
{
    Palette p;
    switch (depth) {
    case 1:
        p.Resize(2);
        p[1] = Quad(255, 255, 255);
        break;
    case 4:
        p.Resize(16);
        for (uint32_t i = 0; i < 16; ++i) p[i] = Quad(kStandard16[i][0], kStandard16[i][1], kStandard16[i][2]);
        break;
    case 8:
        p.Resize(256);
        for (uint32_t i = 0; i < 256; ++i) {
            const auto v = static_cast<uint8_t>(i);
            p[i] = Quad(v, v, v);
        }
        break;
    default:
        break;
    }
    return p;
}

RGBQUAD& Palette::Scratch() noexcept
{
    // Cleared on every hand-out so a stray write is never read back.
    static RGBQUAD scratch;
    scratch = RGBQUAD{};
    return scratch;
}

RGBQUAD& Palette::operator[](uint32_t index) noexcept
{
    return index < count_ ? entries_[index] : Scratch();
}

const RGBQUAD& Palette::operator[](uint32_t index) const noexcept
{
    return index < count_ ? entries_[index] : Scratch();
}

void Palette::Resize(uint32_t count)
{
    if (count == count_) return;
    std::unique_ptr<RGBQUAD[]> fresh;
    if (count > 0) {
        fresh.reset(new RGBQUAD[count]());
        std::copy_n(entries_.get(), std::min(count, count_), fresh.get());
    }
    entries_ = std::move(fresh);
    count_ = count;
}

void Palette::Assign(const RGBQUAD* entries, uint32_t count)
{
    if (entries == nullptr) count = 0;
    std::unique_ptr<RGBQUAD[]> fresh;
    if (count > 0) {
        fresh.reset(new RGBQUAD[count]);
        std::copy_n(entries, count, fresh.get());
    }
    entries_ = std::move(fresh);
    count_ = count;
}

void Palette::Clear() noexcept
{
    entries_.reset();
    count_ = 0;
}

bool operator==(const Palette& a, const Palette& b) noexcept
{
    return a.count_ == b.count_ &&
           (a.count_ == 0 || std::memcmp(a.entries_.get(), b.entries_.get(), a.count_ * sizeof(RGBQUAD)) == 0);
}

}  // namespace vorlune

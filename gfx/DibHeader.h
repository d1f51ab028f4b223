#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace vorlune {

// An owned BITMAPINFO block: a 40-byte header, then three masks when the
// compression is BI_BITFIELDS, then the colour table. Stored as 32-bit words
// so the header is aligned.
class DibHeader {
public:
    DibHeader() = default;

    // Throws on a failed allocation.
    DibHeader(const BITMAPINFOHEADER& header, const uint32_t* masks, const RGBQUAD* colours, uint32_t count)
        : hasMasks_(header.biCompression == BI_BITFIELDS), count_(count)
    {
        words_.assign((sizeof(BITMAPINFOHEADER) + (hasMasks_ ? 12 : 0) + count * sizeof(RGBQUAD)) / 4, 0);
        Header() = header;
        Header().biSize = sizeof(BITMAPINFOHEADER);
        if (hasMasks_ && masks) std::memcpy(Masks(), masks, 12);
        if (count && colours) std::memcpy(Colours(), colours, count * sizeof(RGBQUAD));
    }

    bool IsEmpty() const noexcept { return words_.empty(); }
    size_t Size() const noexcept { return words_.size() * 4; }
    uint32_t ColourCount() const noexcept { return count_; }

    BITMAPINFO* Get() noexcept { return IsEmpty() ? nullptr : reinterpret_cast<BITMAPINFO*>(words_.data()); }
    const BITMAPINFO* Get() const noexcept
    {
        return IsEmpty() ? nullptr : reinterpret_cast<const BITMAPINFO*>(words_.data());
    }
    BITMAPINFOHEADER& Header() noexcept { return Get()->bmiHeader; }
    const BITMAPINFOHEADER& Header() const noexcept { return Get()->bmiHeader; }
    uint32_t* Masks() noexcept { return hasMasks_ ? words_.data() + 10 : nullptr; }
    RGBQUAD* Colours() noexcept
    {
        return count_ ? reinterpret_cast<RGBQUAD*>(words_.data() + 10 + (hasMasks_ ? 3 : 0)) : nullptr;
    }

private:
    std::vector<uint32_t> words_;
    bool hasMasks_ = false;
    uint32_t count_ = 0;
};

}  // namespace vorlune

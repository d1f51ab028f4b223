#include "gfx/ImageCodec.h"

#include <cstring>

#include "gfx/ImageResource.h"
#include "gfx/Picture.h"
#include "io/FileStream.h"
#include "io/MemoryStream.h"
#include "win/Error.h"

namespace vorlune {

ImageCodec::~ImageCodec() = default;

bool ImageCodec::CanHandle(const Picture& picture) const noexcept { return picture.Info().type == Type(); }

void ImageCodec::Empty(Picture& picture) const noexcept
{
    if (!CanHandle(picture)) return;
    picture.Clear(false);
    picture.Info().Reset();
}

bool ImageCodec::SaveToFile(const std::wstring& path, Picture& picture) noexcept
{
    bool ok = false;
    {
        FileStream file;
        if (!file.Create(path)) return false;
        ok = Encode(file, picture) && file.Flush();
    }
    // A half-written image is worse than none.
    if (!ok) ::DeleteFileW(path.c_str());
    return ok;
}

uint32_t ImageCodec::EncodedSizeHint(const Picture& picture) const noexcept
{
    const uint64_t pixels = uint64_t(picture.Width()) * uint64_t(picture.Height());
    const uint64_t hint = pixels * 4 + 64 * 1024;
    return hint > 0x40000000u ? 0x40000000u : static_cast<uint32_t>(hint);
}

bool ImageCodec::SaveToMemory(std::unique_ptr<ByteBuffer>& out, Picture& picture) noexcept
{
    out.reset();
    return Guarded([&] {
        // A memory stream never grows: when the image does not fit, the
        // encoder fails at the end of the block and we try again with twice
        // the room.
        uint32_t capacity = EncodedSizeHint(picture);
        for (int attempt = 0; attempt < 4; ++attempt) {
            auto buffer = std::make_unique<ByteBuffer>();
            Check(buffer->Allocate(capacity));
            MemoryStream stream;
            stream.AttachBuffer(std::move(buffer));
            const bool encoded = Encode(stream, picture);
            const uint32_t length = stream.Tell();
            const bool full = length >= capacity;
            buffer = stream.Detach();
            if (encoded && !full) {
                auto exact = std::make_unique<ByteBuffer>();
                Check(exact->Allocate(length));
                std::memcpy(exact->Data(), buffer->Data(), length);
                out = std::move(exact);
                return true;
            }
            if (!full || capacity > 0x40000000u) return false;
            capacity *= 2;
        }
        return false;
    });
}

bool ImageCodec::LoadFromFile(Picture& picture, const std::wstring& path, bool headerOnly) noexcept
{
    FileStream file;
    if (!file.OpenRead(path)) {
        Empty(picture);
        return false;
    }
    if (!Decode(picture, file, headerOnly)) return false;
    return Guarded([&] {
        picture.Info().path = path;
        return true;
    });
}

bool ImageCodec::LoadFromMemory(Picture& picture, const void* data, uint32_t size, bool headerOnly) noexcept
{
    MemoryStream stream;
    if (data == nullptr || size == 0 || !stream.Attach(data, size, 0)) {
        Empty(picture);
        return false;
    }
    return Decode(picture, stream, headerOnly);
}

bool ImageCodec::LoadFromResource(Picture& picture, int id, HMODULE module, bool headerOnly) noexcept
{
    uint32_t size = 0;
    const uint8_t* data = FindResource(id, ResourceTypeOf(Type()), module, size);
    if (data == nullptr || size == 0) {
        Empty(picture);
        return false;
    }
    return LoadFromMemory(picture, data, size, headerOnly);
}

bool ImageCodec::ReadInfoFromResource(ImageInfo& info, int id, HMODULE module) noexcept
{
    // A picture of this codec's own format, so that an id kept under several
    // types is read as the one this codec decodes.
    const auto picture = CreatePicture(Type());
    if (!picture || !LoadFromResource(*picture, id, module, true)) return false;
    return Guarded([&] {
        info = picture->Info();
        return true;
    });
}

bool ImageCodec::ReadInfoFromFile(ImageInfo& info, const std::wstring& path) noexcept
{
    const auto picture = CreatePicture(Type());
    if (!picture || !LoadFromFile(*picture, path, true)) return false;
    return Guarded([&] {
        info = picture->Info();
        return true;
    });
}

}  // namespace vorlune

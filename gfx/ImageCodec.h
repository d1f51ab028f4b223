#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "gfx/ImageInfo.h"
#include "io/ByteBuffer.h"
#include "io/Stream.h"

namespace vorlune {

class Picture;

// Reads and writes one image format. Codecs hold no state: one is made per
// operation and destroyed right after. Every operation returns a success
// flag and never throws; a failed load leaves the picture empty.
class ImageCodec {
public:
    ImageCodec() noexcept = default;
    virtual ~ImageCodec();
    ImageCodec(const ImageCodec&) = delete;
    ImageCodec& operator=(const ImageCodec&) = delete;

    // A file that cannot be written completely is removed.
    virtual bool SaveToFile(const std::wstring& path, Picture& picture) noexcept;
    virtual bool Encode(Stream& stream, Picture& picture) noexcept = 0;
    // out receives a buffer exactly the size of the encoded image.
    virtual bool SaveToMemory(std::unique_ptr<ByteBuffer>& out, Picture& picture) noexcept;
    // On success the path is recorded in the picture's info.
    virtual bool LoadFromFile(Picture& picture, const std::wstring& path, bool headerOnly) noexcept;
    // The stream must be open and the picture of this codec's type.
    virtual bool Decode(Picture& picture, Stream& stream, bool headerOnly) noexcept = 0;
    virtual bool LoadFromMemory(Picture& picture, const void* data, uint32_t size, bool headerOnly) noexcept;
    // The resource of this codec's type; module null means the program itself.
    virtual bool LoadFromResource(Picture& picture, int id, HMODULE module, bool headerOnly) noexcept;
    // The header facts of the resource or file as this codec reads them.
    virtual bool ReadInfoFromResource(ImageInfo& info, int id, HMODULE module) noexcept;
    virtual bool ReadInfoFromFile(ImageInfo& info, const std::wstring& path) noexcept;
    virtual ImageType Type() const noexcept = 0;
    virtual bool CanHandle(const Picture& picture) const noexcept;

protected:
    // Empties a picture of this codec's format and resets its info: what a
    // failed load leaves behind.
    void Empty(Picture& picture) const noexcept;
    // Guesses an encoded size that usually suffices for SaveToMemory.
    virtual uint32_t EncodedSizeHint(const Picture& picture) const noexcept;
};

}  // namespace vorlune

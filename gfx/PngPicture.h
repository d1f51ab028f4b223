#pragma once

#include "gfx/AlphaPicture.h"

namespace vorlune {

class PngPicture : public AlphaPicture {
public:
    PngPicture() noexcept : AlphaPicture(ImageType::Png) {}
    ~PngPicture() override;

    std::unique_ptr<ImageCodec> CreateCodec() const noexcept override;
};

}  // namespace vorlune

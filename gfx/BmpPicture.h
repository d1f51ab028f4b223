#pragma once

#include "gfx/AlphaPicture.h"

namespace vorlune {

class BmpPicture : public AlphaPicture {
public:
    BmpPicture() noexcept : AlphaPicture(ImageType::Bmp) {}
    ~BmpPicture() override;

    std::unique_ptr<ImageCodec> CreateCodec() const noexcept override;
};

}  // namespace vorlune

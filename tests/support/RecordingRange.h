#pragma once

#include <cstdint>
#include <vector>

#include "io/ProgressRange.h"

namespace vorlune::test {

// A root range that records every position it is moved to, and can cancel
// itself once the position passes a mark (as a user's click would).
class RecordingRange : public ProgressRange {
public:
    std::vector<uint32_t> positions;
    uint32_t cancelAbove = 0;  // 0: never
    int cancels = 0;
    int fails = 0;

protected:
    void OnPositionChanged() noexcept override
    {
        positions.push_back(Position());
        if (cancelAbove && Position() > cancelAbove) Cancel();
    }
    void OnCancel() noexcept override { ++cancels; }
    void OnFail() noexcept override { ++fails; }
};

}  // namespace vorlune::test

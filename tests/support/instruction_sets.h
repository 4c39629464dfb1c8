#pragma once

#include <gtest/gtest.h>

#include <hwy/targets.h>

// Runs `check` once for every instruction set that the per-pixel passes are
// compiled for and this processor executes, with only that set allowed, so
// that each variant is tested however good the processor is.
template <typename Check>
void OnEveryInstructionSet(Check check) {
    for (const int64_t target : hwy::SupportedAndGeneratedTargets()) {
        hwy::SetSupportedTargetsForTest(target);
        SCOPED_TRACE(hwy::TargetName(target));
        check();
    }
    hwy::SetSupportedTargetsForTest(0);
}

// Row widths around every vector length from 16 to 256 bytes, and odd ones.
inline constexpr int32_t AWKWARD_WIDTHS[] = {1,   2,   3,   5,   15,  16,  17,   31,  32,
                                             33,  47,  63,  64,  65,  66,  127,  128, 129,
                                             130, 191, 255, 257, 511, 640, 2047, 2048};

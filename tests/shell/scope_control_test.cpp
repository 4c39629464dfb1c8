#include "shell/scope_control.h"

#include <gtest/gtest.h>

TEST(GuideCode, EachInversionBoxSwapsOnlyItsOwnAxis) {
    struct Case {
        GuideButton button;
        bool invert_ra;
        bool invert_dec;
        int32_t code;
    };
    const Case cases[] = {
        {GuideButton::DecPlus, false, false, 0x20},
        {GuideButton::DecPlus, false, true, 0x40},
        {GuideButton::DecMinus, false, false, 0x40},
        {GuideButton::DecMinus, false, true, 0x20},
        {GuideButton::RaPlus, false, false, 0x80},
        {GuideButton::RaPlus, true, false, 0x10},
        {GuideButton::RaMinus, false, false, 0x10},
        {GuideButton::RaMinus, true, false, 0x80},
        // The other axis's box changes nothing.
        {GuideButton::RaPlus, false, true, 0x80},
        {GuideButton::RaMinus, false, true, 0x10},
        {GuideButton::DecPlus, true, false, 0x20},
        {GuideButton::DecMinus, true, false, 0x40},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(GuideCode(c.button, c.invert_ra, c.invert_dec), c.code)
            << "button " << static_cast<int>(c.button) << " inv RA " << c.invert_ra << " inv DEC "
            << c.invert_dec;
    }
}

#include "shell/scope_control.h"

int32_t GuideCode(GuideButton button, bool invert_ra, bool invert_dec) {
    switch (button) {
        case GuideButton::DecPlus:
            return invert_dec ? GUIDE_DEC_MINUS_BIT : GUIDE_DEC_PLUS_BIT;
        case GuideButton::DecMinus:
            return invert_dec ? GUIDE_DEC_PLUS_BIT : GUIDE_DEC_MINUS_BIT;
        case GuideButton::RaPlus:
            return invert_ra ? GUIDE_RA_MINUS_BIT : GUIDE_RA_PLUS_BIT;
        case GuideButton::RaMinus:
            return invert_ra ? GUIDE_RA_PLUS_BIT : GUIDE_RA_MINUS_BIT;
    }
    return 0;
}

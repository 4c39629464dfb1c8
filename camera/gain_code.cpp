#include "camera/gain_code.h"

#include "platform/rounding.h"

int32_t GainCode(uint32_t gain_percent) {
    // (g + 1) * 15 is formed exactly before the division, so the rows that
    // land on a half (g = 69 gives 10.5) round as they should.
    double x = (gain_percent + 1) * 15 / 100.0;
    if (x > 15) {
        x = 15;
    }
    if (x <= 4) {
        return RoundHalfEven(x / 0.125);
    }
    if (x <= 8) {
        if (x < 4.25) {
            x = 4.25;
        }
        return RoundHalfEven((x - 4) / 0.25) + 0x50;
    }
    if (x < 9) {
        x = 9;
    }
    return RoundHalfEven(x - 8) + 0x60;
}

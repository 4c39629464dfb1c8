#pragma once

#include <cstdint>

// The mount's guide port, driven by hand from the scope control window: one
// guide command starts a pulse when a direction button goes down, one stops
// it when the button comes up.

enum class GuideButton { DecPlus, RaPlus, RaMinus, DecMinus };

// Guide-port direction bits of the driver's GuideCommand.
inline constexpr int32_t GUIDE_RA_MINUS_BIT = 0x10;
inline constexpr int32_t GUIDE_DEC_PLUS_BIT = 0x20;
inline constexpr int32_t GUIDE_DEC_MINUS_BIT = 0x40;
inline constexpr int32_t GUIDE_RA_PLUS_BIT = 0x80;
// A pressed button asks for a pulse this long; the release ends it sooner.
inline constexpr int32_t GUIDE_PULSE_MS = 60000;

// The direction bit a button sends. `invert_ra` swaps the two RA buttons,
// `invert_dec` the two DEC buttons, for mounts wired or placed the other way.
int32_t GuideCode(GuideButton button, bool invert_ra, bool invert_dec);

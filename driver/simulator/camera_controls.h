#pragma once

#include <atomic>
#include <cstdint>

namespace simcam {

// Analogue gain factors of the four colour sites of the sensor.
struct ChannelGains {
    float red = 1.0f;
    float green = 1.0f;
    float blue = 1.0f;
    float green2 = 1.0f;
};

// The analogue gain a gain register code selects: codes 1 … 32 step by 0.125
// up to 4, 0x51 … 0x60 by 0.25 from 4.25 to 8, 0x61 … 0x67 by 1 from 9 to 15.
// Codes between or beyond the ranges take the nearest gain the register has.
float AnalogueGainForCode(int32_t code);

// The exposures the camera offers the program: 10 us to 19999 ms in steps of
// 1 us. Asked in ms it also takes 0 and up to an hour, as it always has.
inline constexpr int32_t SHORTEST_EXPOSURE_US = 10;
inline constexpr int32_t LONGEST_OFFERED_EXPOSURE_US = 19999000;
inline constexpr int32_t EXPOSURE_STEP_US = 1;

// Exposure, gain, transfer mode, blanking and noise reduction as the program
// last set them. Vertical blanking comes from the GUI thread during exposures,
// the rest from the acquisition thread; every field is atomic.
class CameraControls {
  public:
    static constexpr int32_t DEFAULT_EXPOSURE_MS = 100;
    static constexpr int32_t DEFAULT_GAIN_CODE = 8;  // gain 1

    void SetExposureMs(int32_t ms);
    // Below the shortest exposure counts as the shortest.
    void SetExposureUs(int32_t us);
    void SetGainCodes(int32_t red, int32_t green, int32_t blue, int32_t green2);
    void SetFastTransfer(bool on) { fast_transfer_.store(on, std::memory_order_relaxed); }
    void SetVblankLines(int32_t lines);
    void SetNoiseReduction(bool on) { noise_reduction_.store(on, std::memory_order_relaxed); }

    int64_t ExposureUs() const { return exposure_us_.load(std::memory_order_relaxed); }
    int64_t ExposureMs() const { return ExposureUs() / 1000; }
    ChannelGains Gains() const;
    bool FastTransfer() const { return fast_transfer_.load(std::memory_order_relaxed); }
    int32_t VblankLines() const { return vblank_lines_.load(std::memory_order_relaxed); }
    bool NoiseReduction() const { return noise_reduction_.load(std::memory_order_relaxed); }

  private:
    std::atomic<int64_t> exposure_us_{int64_t{DEFAULT_EXPOSURE_MS} * 1000};
    std::atomic<int32_t> gain_codes_[4] = {DEFAULT_GAIN_CODE, DEFAULT_GAIN_CODE, DEFAULT_GAIN_CODE,
                                           DEFAULT_GAIN_CODE};
    std::atomic<bool> fast_transfer_{false};
    std::atomic<int32_t> vblank_lines_{0};
    std::atomic<bool> noise_reduction_{false};
};

}  // namespace simcam

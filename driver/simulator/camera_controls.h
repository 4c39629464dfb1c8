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

// Exposure, gain, transfer mode, blanking and noise reduction as the program
// last set them. Vertical blanking comes from the GUI thread during exposures,
// the rest from the acquisition thread; every field is atomic.
class CameraControls {
  public:
    static constexpr int32_t DEFAULT_EXPOSURE_MS = 100;
    static constexpr int32_t DEFAULT_GAIN_CODE = 8;  // gain 1

    void SetExposureMs(int32_t ms);
    void SetGainCodes(int32_t red, int32_t green, int32_t blue, int32_t green2);
    void SetFastTransfer(bool on) { fast_transfer_.store(on, std::memory_order_relaxed); }
    void SetVblankLines(int32_t lines);
    void SetNoiseReduction(bool on) { noise_reduction_.store(on, std::memory_order_relaxed); }

    int32_t ExposureMs() const { return exposure_ms_.load(std::memory_order_relaxed); }
    ChannelGains Gains() const;
    bool FastTransfer() const { return fast_transfer_.load(std::memory_order_relaxed); }
    int32_t VblankLines() const { return vblank_lines_.load(std::memory_order_relaxed); }
    bool NoiseReduction() const { return noise_reduction_.load(std::memory_order_relaxed); }

  private:
    std::atomic<int32_t> exposure_ms_{DEFAULT_EXPOSURE_MS};
    std::atomic<int32_t> gain_codes_[4] = {DEFAULT_GAIN_CODE, DEFAULT_GAIN_CODE, DEFAULT_GAIN_CODE,
                                           DEFAULT_GAIN_CODE};
    std::atomic<bool> fast_transfer_{false};
    std::atomic<int32_t> vblank_lines_{0};
    std::atomic<bool> noise_reduction_{false};
};

}  // namespace simcam

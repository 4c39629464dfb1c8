#pragma once

#include <cmath>
#include <cstdint>

namespace simcam {

// A small, fast generator (splitmix64) for the simulated sky and sensor; the
// same seed always gives the same sequence.
class FastRandom {
  public:
    explicit FastRandom(uint64_t seed) : state_(seed) {}

    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    float Uniform() { return static_cast<float>(Next() >> 40) * (1.0f / 16777216.0f); }
    // Uniform in [0, limit).
    uint32_t Below(uint32_t limit) { return static_cast<uint32_t>((Next() >> 32) * limit >> 32); }
    // Standard normal (Box-Muller).
    float Normal() {
        const float radius = std::sqrt(-2.0f * std::log(1.0f - Uniform()));
        return radius * std::cos(6.2831853f * Uniform());
    }

  private:
    uint64_t state_;
};

}  // namespace simcam

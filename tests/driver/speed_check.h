#pragma once

#include <algorithm>
#include <chrono>

// Speed claims hold for optimised builds only; sanitizers slow code down by
// an order of magnitude.
inline bool SpeedIsMeasurable() {
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__) || !defined(__OPTIMIZE__)
    return false;
#else
    return true;
#endif
}

// The fastest of `runs` calls, in ms: the least disturbed by other work on the machine.
template <typename Work>
double BestMs(int runs, Work work) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        best = std::min(best, std::chrono::duration<double, std::milli>(
                                  std::chrono::steady_clock::now() - start)
                                  .count());
    }
    return best;
}

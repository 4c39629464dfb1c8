#pragma once

// Small helpers the benchmarks share: a clock, a best-of timer and the
// camera driver beside the benchmarks.

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "camera/driver_api.h"

inline double NowSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The best of `rounds` timings of `work`, in seconds: the least disturbed run.
template <typename Work>
double BestOf(int rounds, Work &&work) {
    double best = 1e9;
    for (int i = 0; i < rounds; ++i) {
        const double start = NowSeconds();
        work();
        best = std::min(best, NowSeconds() - start);
    }
    return best;
}

inline bool LoadDriverBesideBenchmarks(DynamicLibrary &library, CameraDriver &driver) {
    std::string missing;
    const std::string path = CameraDriverPath().toStdString();
    if (!LoadCameraDriver(library, path, driver, missing)) {
        std::fprintf(stderr, "cannot load %s: %s\n", path.c_str(), missing.c_str());
        return false;
    }
    return true;
}

#pragma once

// Marks a per-pixel loop for compiling once more for AVX2 beside the
// baseline build; the loader picks the variant the processor can run. The
// loops themselves stay plain C++.
#if defined(__GNUC__) && defined(__x86_64__) && defined(__linux__) && !defined(__clang__) && \
    !defined(__SANITIZE_THREAD__) && !defined(__SANITIZE_ADDRESS__)
#define OMTRIX_HOT_LOOP __attribute__((target_clones("avx2", "default")))
#else
#define OMTRIX_HOT_LOOP
#endif

// Processors with AVX-512 byte permutes (VBMI) run the table look-up and the
// mirror as whole-register shuffles.
#if defined(__GNUC__) && defined(__x86_64__)
#define OMTRIX_HAVE_VBMI_PATH 1
#define OMTRIX_VBMI __attribute__((target("avx512f,avx512bw,avx512vbmi")))
inline bool CpuHasVbmi() {
    static const bool has =
        __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512bw");
    return has;
}
#else
#define OMTRIX_HAVE_VBMI_PATH 0
inline bool CpuHasVbmi() {
    return false;
}
#endif

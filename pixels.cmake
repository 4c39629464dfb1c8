# The per-pixel passes: plain C++ on Highway, without Qt. Highway compiles each
# once per instruction set and dispatches at run time to the best one the
# processor has (SSSE3, SSE4, AVX2, AVX-512 on x86; NEON, SVE on ARM).
find_package(PkgConfig REQUIRED)
pkg_check_modules(HWY REQUIRED IMPORTED_TARGET libhwy)

add_library(omtrix_pixels STATIC
    camera/dark_passes.cpp
    camera/grey_conversion.cpp
    driver/simulator/demosaic.cpp
    platform/bitmap24.cpp
    preview/histogram.cpp
    preview/picture_conversion.cpp
    preview/solar_clip.cpp
)
target_include_directories(omtrix_pixels PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(omtrix_pixels PUBLIC PkgConfig::HWY)
# Highway leaves AVX-512 with byte permutes (AVX3_DL) out unless asked. Public,
# so that tests and benchmarks see the same set of compiled targets.
target_compile_definitions(omtrix_pixels PUBLIC HWY_WANT_AVX3_DL)
target_compile_options(omtrix_pixels PRIVATE $<$<NOT:$<CONFIG:Debug>>:-O3>)
# The driver library links these too and must export only its own entries.
set_target_properties(omtrix_pixels PROPERTIES AUTOMOC OFF CXX_VISIBILITY_PRESET hidden
                                               VISIBILITY_INLINES_HIDDEN ON)

# Their tests: every pass on every instruction set the processor runs.
add_executable(pixel_tests
    tests/camera/dark_passes_test.cpp
    tests/camera/grey_conversion_test.cpp
    tests/driver/simulator/demosaic_test.cpp
    tests/preview/histogram_test.cpp
    tests/preview/picture_conversion_test.cpp
    tests/preview/solar_clip_test.cpp
)
target_include_directories(pixel_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(pixel_tests PRIVATE omtrix_pixels GTest::gtest GTest::gtest_main)
set_target_properties(pixel_tests PROPERTIES AUTOMOC OFF)
if(NOT CMAKE_CROSSCOMPILING)
    gtest_discover_tests(pixel_tests DISCOVERY_TIMEOUT 60)
endif()

// A camera library that lacks entries, to show the program refusing it.
#include <cstdint>

extern "C" {
__attribute__((visibility("default"))) void _staticCall() {}
__attribute__((visibility("default"))) int32_t openUSB(int32_t) {
    return 1;
}
}

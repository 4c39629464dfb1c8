// What the INDI camera source adds between a BLOB's arrival and the
// semaphore: decoding it into the program's frame, against a memcpy of the
// same frame.

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "driver/indi/frame_decode.h"

namespace {

// A 16-bit FITS image as INDI sends one: cards in one 2880-byte block, then
// big-endian samples offset by BZERO.
std::vector<uint8_t> SixteenBitFits(int32_t width, int32_t height) {
    std::string header;
    const std::vector<std::string> cards = {"SIMPLE  =                    T",
                                            "BITPIX  =                   16",
                                            "NAXIS   =                    2",
                                            "NAXIS1  = " + std::to_string(width),
                                            "NAXIS2  = " + std::to_string(height),
                                            "BZERO   =                32768",
                                            "END"};
    for (const std::string &card : cards) {
        header += card + std::string(80 - card.size(), ' ');
    }
    header.resize(2880, ' ');
    std::vector<uint8_t> blob(header.begin(), header.end());
    blob.resize(blob.size() + size_t(width) * height * 2);
    for (size_t i = header.size(); i < blob.size(); ++i) {
        blob[i] = static_cast<uint8_t>(i * 131);
    }
    return blob;
}

void Measure(const char *what, int32_t width, int32_t height) {
    const std::vector<uint8_t> fits = SixteenBitFits(width, height);
    const std::vector<uint8_t> stream(size_t(width) * height, 90);
    std::vector<uint8_t> frame(size_t(width) * height), copy(frame.size());
    const indicam::Placement placement{0, 0};
    const indicam::AskedFrame single{false, width, height, 1, 0.01};
    const indicam::AskedFrame streamed{true, width, height, 1, 0.01};
    std::string error;
    const int rounds = 40;
    const double memcpy_s =
        BestOf(rounds, [&] { std::memcpy(copy.data(), stream.data(), stream.size()); });
    const double fits_s = BestOf(rounds, [&] {
        indicam::DecodeFrame(fits.data(), fits.size(), ".fits", single, placement, frame.data(),
                             width, height, error);
    });
    const double stream_s = BestOf(rounds, [&] {
        indicam::DecodeFrame(stream.data(), stream.size(), ".stream", streamed, placement,
                             frame.data(), width, height, error);
    });
    std::printf(
        "%-22s memcpy %7.3f ms | 16-bit FITS %6.2f x memcpy | 8-bit stream %5.2f x memcpy\n", what,
        memcpy_s * 1e3, fits_s / memcpy_s, stream_s / memcpy_s);
}

}  // namespace

int main() {
    std::printf("INDI frame decoding, BLOB to program frame (best of 40):\n");
    Measure("640 x 480", 640, 480);
    Measure("2048 x 1536 full frame", 2048, 1536);
    return 0;
}

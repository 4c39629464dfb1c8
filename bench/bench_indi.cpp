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
    std::vector<uint8_t> frame(size_t(width) * height * 2), copy(frame.size());
    const indicam::Placement placement{0, 0};
    const indicam::AskedFrame single{false, width, height, 1, 0.01};
    const indicam::AskedFrame streamed{true, width, height, 1, 0.01};
    std::string error;
    const int rounds = 40;
    // Against a copy of what the program receives: 8-bit and 16-bit frames.
    const double memcpy8_s =
        BestOf(rounds, [&] { std::memcpy(copy.data(), stream.data(), stream.size()); });
    const double memcpy16_s =
        BestOf(rounds, [&] { std::memcpy(copy.data(), fits.data(), copy.size()); });
    const auto decode = [&](const std::vector<uint8_t> &blob, const char *format,
                            const indicam::AskedFrame &asked, int32_t deep_bits) {
        return BestOf(rounds, [&] {
            indicam::DecodeFrame(blob.data(), blob.size(), format, asked, placement, frame.data(),
                                 width, height, error, deep_bits);
        });
    };
    const double fits8_s = decode(fits, ".fits", single, 0);
    const double stream8_s = decode(stream, ".stream", streamed, 0);
    const double fits16_s = decode(fits, ".fits", single, 16);
    const double stream16_s = decode(stream, ".stream", streamed, 16);
    std::printf(
        "%-22s memcpy %7.3f ms | to 8 bits: 16-bit FITS %6.2f, 8-bit stream %5.2f x memcpy\n", what,
        memcpy8_s * 1e3, fits8_s / memcpy8_s, stream8_s / memcpy8_s);
    std::printf(
        "%-22s memcpy %7.3f ms | to 16 bits: 16-bit FITS %5.2f, 8-bit stream %5.2f x memcpy\n", "",
        memcpy16_s * 1e3, fits16_s / memcpy16_s, stream16_s / memcpy16_s);
}

}  // namespace

int main() {
    std::printf("INDI frame decoding, BLOB to program frame (best of 40):\n");
    Measure("640 x 480", 640, 480);
    Measure("1280 x 1024 full frame", 1280, 1024);
    Measure("2048 x 1536 full frame", 2048, 1536);
    return 0;
}

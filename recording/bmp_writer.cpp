#include "recording/bmp_writer.h"

#include <QFile>
#include <QtEndian>

namespace {

template <typename T>
void Put(uint8_t *&at, T value) {
    qToLittleEndian(value, at);
    at += sizeof value;
}

}  // namespace

std::array<uint8_t, BMP_HEADER_BYTES> BmpHeader(int32_t width, int32_t height) {
    const uint32_t pixel_bytes = static_cast<uint32_t>(Bitmap24::StrideFor(width)) * height;
    std::array<uint8_t, BMP_HEADER_BYTES> header{};
    uint8_t *at = header.data();
    *at++ = 'B';
    *at++ = 'M';
    Put<uint32_t>(at, BMP_HEADER_BYTES + pixel_bytes);  // file size
    Put<uint32_t>(at, 0);                               // reserved
    Put<uint32_t>(at, BMP_HEADER_BYTES);                // offset of the pixels
    Put<uint32_t>(at, 40);                              // size of the information header
    Put<uint32_t>(at, static_cast<uint32_t>(width));
    Put<uint32_t>(at, static_cast<uint32_t>(height));  // positive: bottom-up rows
    Put<uint16_t>(at, 1);                              // planes
    Put<uint16_t>(at, 24);                             // bits per pixel
    Put<uint32_t>(at, 0);                              // BI_RGB, uncompressed
    Put<uint32_t>(at, pixel_bytes);
    Put<uint32_t>(at, 0);  // horizontal resolution, unknown
    Put<uint32_t>(at, 0);  // vertical resolution, unknown
    Put<uint32_t>(at, 0);  // colours used: all
    Put<uint32_t>(at, 0);  // important colours: all
    return header;
}

bool SaveBmpImage(const QString &file_name, const Bitmap24 &bitmap) {
    if (bitmap.Width() <= 0 || bitmap.Height() <= 0) {
        return false;
    }
    const std::array<uint8_t, BMP_HEADER_BYTES> header = BmpHeader(bitmap.Width(), bitmap.Height());
    const int64_t pixel_bytes = static_cast<int64_t>(bitmap.ByteCount());

    QFile file(file_name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
        return false;
    }
    // The bitmap's memory is already in the file's row order and padding.
    bool written =
        file.write(reinterpret_cast<const char *>(header.data()), BMP_HEADER_BYTES) ==
            BMP_HEADER_BYTES &&
        file.write(reinterpret_cast<const char *>(bitmap.Bits()), pixel_bytes) == pixel_bytes;
    file.close();
    written = written && file.error() == QFileDevice::NoError;
    if (!written) {
        file.remove();
    }
    return written;
}

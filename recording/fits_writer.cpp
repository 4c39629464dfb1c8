#include "recording/fits_writer.h"

#include <QFile>
#include <QtEndian>
#include <algorithm>

namespace {

constexpr size_t KEYWORD_COLUMNS = 8;
constexpr size_t VALUE_COLUMNS = 20;

// Pulls one colour out of the bitmap into `plane`, bottom row first. Byte 0 of
// a pixel is blue, 1 green, 2 red.
void CopyPlane(const Bitmap24 &bitmap, int channel, uint8_t *plane) {
    const int32_t width = bitmap.Width();
    for (int32_t row = 0; row < bitmap.Height(); ++row) {
        const uint8_t *pixel = bitmap.Row(row) + channel;
        uint8_t *out = plane + static_cast<size_t>(row) * width;
        for (int32_t x = 0; x < width; ++x) {
            out[x] = pixel[3 * x];
        }
    }
}

}  // namespace

void WriteFitsCard(std::string &header, const std::string &keyword, const std::string &value) {
    std::string text = value;
    const size_t comma = text.find(',');
    if (comma != std::string::npos) {
        text[comma] = '.';
    }
    std::string card = keyword;
    card.resize(std::max(card.size(), KEYWORD_COLUMNS), ' ');
    card += "= ";
    if (text.size() < VALUE_COLUMNS) {
        card.append(VALUE_COLUMNS - text.size(), ' ');
    }
    card += text;
    card.resize(FITS_CARD_BYTES, ' ');
    header += card;
}

void WriteFitsEnd(std::string &header) {
    std::string card = "END";
    card.resize(FITS_CARD_BYTES, ' ');
    header += card;
}

void WriteFitsBlankCards(std::string &header, int count) {
    header.append(static_cast<size_t>(count) * FITS_CARD_BYTES, ' ');
}

std::string FitsHeader(int32_t width, int32_t height, bool color, const std::string &cards,
                       bool deep) {
    std::string header;
    header.reserve(FITS_BLOCK_BYTES);
    WriteFitsCard(header, "SIMPLE", "T");
    WriteFitsCard(header, "BITPIX", deep ? "16" : "8");
    WriteFitsCard(header, "NAXIS", color ? "3" : "2");
    WriteFitsCard(header, "NAXIS1", std::to_string(width));
    WriteFitsCard(header, "NAXIS2", std::to_string(height));
    if (color) {
        WriteFitsCard(header, "NAXIS3", "3");
    }
    WriteFitsCard(header, "BZERO", deep ? "32768" : "0");
    WriteFitsCard(header, "BSCALE", "1");
    header += cards;
    WriteFitsEnd(header);
    const int64_t room = FITS_BLOCK_BYTES - static_cast<int64_t>(header.size());
    WriteFitsBlankCards(header, static_cast<int>(std::max<int64_t>(room, 0) / FITS_CARD_BYTES));
    return header;
}

bool FitsWriter::SaveFitsImage(const QString &file_name, const Bitmap24 &bitmap, bool color,
                               const std::string &cards) {
    if (bitmap.Width() <= 0 || bitmap.Height() <= 0) {
        return false;
    }
    const std::string header = FitsHeader(bitmap.Width(), bitmap.Height(), color, cards);
    const int64_t plane_bytes = int64_t{bitmap.Width()} * bitmap.Height();
    const int planes = color ? 3 : 1;
    const int64_t data_bytes = planes * plane_bytes;
    const int64_t padding = (FITS_BLOCK_BYTES - data_bytes % FITS_BLOCK_BYTES) % FITS_BLOCK_BYTES;

    QFile file(file_name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
        return false;
    }
    bool written = file.write(header.data(), FITS_BLOCK_BYTES) == FITS_BLOCK_BYTES;
    // The padding rides along with the last plane, so each plane is one write.
    FitsPlane.resize(static_cast<size_t>(plane_bytes + padding));
    static constexpr int CHANNEL_OF_PLANE[3] = {2, 1, 0};  // red, green, blue
    for (int plane = 0; plane < planes && written; ++plane) {
        const bool last = plane == planes - 1;
        CopyPlane(bitmap, color ? CHANNEL_OF_PLANE[plane] : 0, FitsPlane.data());
        if (last) {
            std::fill(FitsPlane.begin() + plane_bytes, FitsPlane.end(), 0);
        }
        const int64_t bytes = plane_bytes + (last ? padding : 0);
        written = file.write(reinterpret_cast<const char *>(FitsPlane.data()), bytes) == bytes;
    }
    file.close();
    written = written && file.error() == QFileDevice::NoError;
    if (!written) {
        file.remove();
    }
    return written;
}

bool FitsWriter::SaveFitsSamples(const QString &file_name, const uint16_t *samples, int32_t width,
                                 int32_t height, const std::string &cards) {
    if (samples == nullptr || width <= 0 || height <= 0) {
        return false;
    }
    const std::string header = FitsHeader(width, height, false, cards, true);
    const int64_t count = int64_t{width} * height;
    const int64_t data_bytes = 2 * count;
    const int64_t padding = (FITS_BLOCK_BYTES - data_bytes % FITS_BLOCK_BYTES) % FITS_BLOCK_BYTES;
    FitsPlane.resize(static_cast<size_t>(data_bytes + padding));
    uint8_t *out = FitsPlane.data();
    for (int64_t i = 0; i < count; ++i) {
        // Less 32768 is the top bit flipped; BZERO adds it back.
        qToBigEndian(static_cast<uint16_t>(samples[i] ^ 0x8000), out + 2 * i);
    }
    std::fill(FitsPlane.begin() + data_bytes, FitsPlane.end(), 0);

    QFile file(file_name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
        return false;
    }
    const int64_t bytes = data_bytes + padding;
    bool written = file.write(header.data(), FITS_BLOCK_BYTES) == FITS_BLOCK_BYTES &&
                   file.write(reinterpret_cast<const char *>(FitsPlane.data()), bytes) == bytes;
    file.close();
    written = written && file.error() == QFileDevice::NoError;
    if (!written) {
        file.remove();
    }
    return written;
}

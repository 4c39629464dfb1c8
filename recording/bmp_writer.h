#pragma once

#include <QString>
#include <array>
#include <cstdint>

#include "platform/bitmap24.h"

inline constexpr int BMP_HEADER_BYTES = 54;

// File header and information header of an uncompressed 24-bit Windows bitmap
// of the given size: rows bottom-up, each padded to a multiple of 4 bytes, no
// colour table.
std::array<uint8_t, BMP_HEADER_BYTES> BmpHeader(int32_t width, int32_t height);

// Saves the bitmap as a 24-bit BMP file, which must not exist yet. False when
// it exists or could not be written completely; no partial file is left, so
// the name stays free.
[[nodiscard]] bool SaveBmpImage(const QString &file_name, const Bitmap24 &bitmap);

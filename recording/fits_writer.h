#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/bitmap24.h"

inline constexpr int64_t FITS_BLOCK_BYTES = 2880;
inline constexpr int FITS_CARD_BYTES = 80;

// Header cards, each appended to `header` as 80 characters: "KEYWORD = value"
// with the keyword in columns 1-8, "=" in column 9 and the value right-justified
// in columns 11-30. The first "," in a value becomes "." (numbers formatted with
// a decimal comma); a value of 20 characters or more is kept whole.
void WriteFitsCard(std::string &header, const std::string &keyword, const std::string &value);
void WriteFitsEnd(std::string &header);
void WriteFitsBlankCards(std::string &header, int count);

// The full 2880-byte primary header for an image of width x height, with a
// third axis of three planes (red, green, blue) for a colour image;
// `cards` (whole 80-character cards, at most 26) come before END. 8-bit
// samples (BITPIX 8, BZERO 0), or with `deep` unsigned 16-bit ones (BITPIX 16,
// BZERO 32768: FITS has signed 16-bit integers only).
std::string FitsHeader(int32_t width, int32_t height, bool color, const std::string &cards = {},
                       bool deep = false);

// Writes pictures as FITS files, one file per picture. Used on one thread (the
// recorder's); keeps its plane buffer from one picture to the next.
class FitsWriter {
  public:
    // Writes the bitmap as an 8-bit FITS image: one plane (the blue bytes of a
    // grey picture) or, with `color`, three planes red, green, blue; the
    // bitmap's bottom row first, as FITS readers show the first row at the
    // bottom. The data is padded with zeros to whole 2880-byte blocks. The
    // file must not exist yet. False when it exists or could not be written
    // completely; no partial file is left.
    [[nodiscard]] bool SaveFitsImage(const QString &file_name, const Bitmap24 &bitmap, bool color,
                                     const std::string &cards = {});

    // Writes one plane of width x height 16-bit samples as they lie in memory,
    // first row first (a frame's first row is the picture's bottom, which
    // FITS readers show at the bottom): BITPIX 16, each sample stored as its
    // value - 32768, big-endian, as FITS wants it. Otherwise as SaveFitsImage.
    [[nodiscard]] bool SaveFitsSamples(const QString &file_name, const uint16_t *samples,
                                       int32_t width, int32_t height,
                                       const std::string &cards = {});

  private:
    std::vector<uint8_t> FitsPlane;
};

#include "recording/fits_keywords.h"

#include <cmath>

#include <algorithm>

#include "recording/fits_writer.h"
#include "recording/time_name.h"

namespace {

constexpr size_t KEYWORD_COLUMNS = 8;
constexpr size_t VALUE_COLUMNS = 20;
// Room for a string value between "KEYWORD = " and the card's end.
constexpr size_t STRING_VALUE_MAX = FITS_CARD_BYTES - KEYWORD_COLUMNS - 2;
constexpr size_t STRING_MIN_CHARACTERS = 8;

// A card with the value starting in column 11 (strings) or right-justified to
// column 30 (numbers), and a comment after it.
void AppendCard(std::string &cards, const char *keyword, const std::string &value,
                const char *comment, bool is_string) {
    std::string card = keyword;
    card.resize(KEYWORD_COLUMNS, ' ');
    card += "= ";
    if (!is_string && value.size() < VALUE_COLUMNS) {
        card.append(VALUE_COLUMNS - value.size(), ' ');
    }
    card += value;
    if (card.size() + 3 < FITS_CARD_BYTES) {
        card += " / ";
        card += comment;
    }
    card.resize(FITS_CARD_BYTES, ' ');
    cards += card;
}

void AppendString(std::string &cards, const char *keyword, const QString &text,
                  const char *comment) {
    if (!text.trimmed().isEmpty()) {
        AppendCard(cards, keyword, FitsStringValue(text.trimmed()), comment, true);
    }
}

}  // namespace

std::string FitsDateObs(int64_t utc_ns) {
    return UtcIsoText(utc_ns).toStdString();
}

std::string FitsStringValue(const QString &text) {
    std::string inner;
    // Compatibility decomposition turns "ö" into "o" and a combining mark,
    // which is then dropped: names stay readable in plain ASCII.
    for (const QChar c : text.normalized(QString::NormalizationForm_KD)) {
        if (c.category() == QChar::Mark_NonSpacing) {
            continue;
        }
        const char16_t code = c.unicode();
        const char ascii = code >= 0x20 && code < 0x7F ? static_cast<char>(code) : '?';
        const size_t needed = ascii == '\'' ? 2 : 1;
        if (inner.size() + needed > STRING_VALUE_MAX - 2) {
            break;
        }
        inner.append(needed, ascii);
    }
    if (inner.size() < STRING_MIN_CHARACTERS) {
        inner.resize(STRING_MIN_CHARACTERS, ' ');
    }
    return "'" + inner + "'";
}

std::string FitsObservationCards(const RecordingDescription &description, int64_t exposure_start_ns,
                                 double exposure_ms) {
    std::string cards;
    if (exposure_start_ns > 0) {
        AppendCard(cards, "DATE-OBS", "'" + FitsDateObs(exposure_start_ns) + "'",
                   "exposure start, UTC", true);
    }
    const int decimals = exposure_ms == std::floor(exposure_ms) ? 3 : 6;
    AppendCard(cards, "EXPTIME", QString::number(exposure_ms / 1000.0, 'f', decimals).toStdString(),
               "exposure [s]", false);
    AppendCard(cards, "GAIN", std::to_string(description.gain), "gain control [%]", false);
    const std::string binning = std::to_string(description.binning);
    AppendCard(cards, "XBINNING", binning, "sensor pixels per sample across", false);
    AppendCard(cards, "YBINNING", binning, "sensor pixels per sample down", false);
    AppendString(cards, "INSTRUME", description.camera, "camera");
    AppendString(cards, "TELESCOP", description.telescope, "telescope");
    AppendString(cards, "OBSERVER", description.observer, "observer");
    AppendString(cards, "OBJECT", description.object, "object observed");
    AppendString(cards, "FILTER", description.filter, "filter");
    AppendCard(cards, "ROWORDER", "'BOTTOM-UP'", "first row stored is the bottom", true);
    AppendString(cards, "SWCREATE", SoftwareName(), "program that wrote the file");
    return cards;
}

std::string FitsMosaicCards(int32_t frame_height) {
    std::string cards;
    // The top row is frame row height - 1: odd (B G) or even (G R).
    AppendCard(cards, "BAYERPAT", frame_height % 2 == 0 ? "'BGGR    '" : "'GRBG    '",
               "colours of the picture's top left", true);
    AppendCard(cards, "XBAYROFF", "0", "mosaic offset across", false);
    AppendCard(cards, "YBAYROFF", "0", "mosaic offset down", false);
    return cards;
}

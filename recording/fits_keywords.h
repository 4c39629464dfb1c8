#pragma once

#include <QString>
#include <cstdint>
#include <string>

#include "recording/recording_description.h"

// The cards that tell what a FITS frame shows and how it was taken, in the
// keywords stackers and archives read: DATE-OBS (exposure start, UTC, to the
// millisecond; left out when unknown), EXPTIME (s, to the microsecond below
// whole milliseconds), GAIN, XBINNING/YBINNING,
// INSTRUME, TELESCOP, OBSERVER, OBJECT and FILTER where given, ROWORDER
// (the first row stored is the picture's bottom) and SWCREATE. Each card is
// 80 characters; the caller puts them before END.
std::string FitsObservationCards(const RecordingDescription &description, int64_t exposure_start_ns,
                                 double exposure_ms);

// The cards that tell FITS readers a 16-bit image of `frame_height` rows is
// a colour camera's raw mosaic. Its first stored row (the picture's bottom)
// runs G R, the next B G; BAYERPAT names the colours of the picture's top
// left, as Siril (1.0.6 tried) reads it with ROWORDER BOTTOM-UP, the same
// pattern as a SER's ColorID: the height's parity decides it.
std::string FitsMosaicCards(int32_t frame_height);

// ISO 8601 UTC to the millisecond, as DATE-OBS holds it: 2024-01-31T23:59:59.125.
std::string FitsDateObs(int64_t utc_ns);

// A FITS string value: quoted, an inner quote doubled, at least 8 characters
// between the quotes, only printable ASCII (accents dropped, anything else
// becomes "?"), cut to fit one card.
std::string FitsStringValue(const QString &text);

#include "preview/focus_aid.h"

void FocusAid::Pick(PicturePoint centre) {
    posx = centre.x;
    posy = centre.y;
    Restart();
}

void FocusAid::Update(const AnalysisCopy &analysis, const Bitmap24 &picture, bool colour,
                      bool flipped, FocusView &view) {
    if (posx == -1) {
        Pick(PicturePoint{picture.Width() / 2, picture.Height() / 2});
    }
    // The picture may have shrunk since the pick.
    const PicturePoint centre =
        ClampCropCentre(PicturePoint{posx, posy}, picture.Width(), picture.Height(), colour);
    posx = centre.x;
    posy = centre.y;
    if (!SampleFocusCrop(analysis.samples.get(), analysis.W, analysis.H, colour, flipped, centre,
                         samples_)) {
        return;
    }
    const Rgb trend = AddPeak(stats_, samples_.peak);
    FocusReading reading;
    reading.peak = samples_.peak;
    reading.MIN = stats_.MIN;
    reading.MAX = stats_.MAX;
    reading.Avg = stats_.Avg;
    reading.digit_colour = DigitColour(trend, samples_.peak, shown_peak_);
    shown_peak_ = samples_.peak;
    if (!_NO3D) {
        reading.plot = &samples_;
        reading.scale = PlotScaleFor(samples_);
    }
    CopyCropPicture(picture, centre, crop_);
    view.ShowFocus(reading, crop_);
}

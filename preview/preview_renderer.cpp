#include "preview/preview_renderer.h"

#include "pixels/picture_conversion.h"
#include "preview/bitmap_image.h"
#include "preview/saturation_mark.h"

void TPREVIEW::Init() {
    _SCALE = 100;
    HFLIP = false;
}

void TPREVIEW::BitmapFlip() {
    ::BitmapFlip(input_.working_bitmap);
}

void TPREVIEW::UpdateCaption() {
    if (input_.preview_busy == PREVIEW_IDLE) {
        return;
    }
    Bitmap24 &bitmap = input_.working_bitmap;
    const int32_t display_width = bitmap.Width() * _SCALE / 100;
    const int32_t display_height = bitmap.Height() * _SCALE / 100;
    if (HFLIP) {
        BitmapFlip();
    }
    // Before the stamp, whose white would count as clipped, and before the
    // stretch, which keeps pure red as it is.
    if (show_saturation) {
        MarkSaturated(bitmap);
    }
    // After the mirror, so the stamp reads left to right; before the
    // stretch, which changes its colours with the picture's.
    if (overlay) {
        DrawStamp(bitmap, input_.stamp_text, *overlay);
    }
    // A deep frame's view has the points in it already, and its stamp stays
    // as drawn.
    if (!input_.bitmap_stretched && (_BlackPoint != 0 || _WhitePoint != 255)) {
        ApplyStretch(_BlackPoint, _WhitePoint, bitmap.Bits(), bitmap.ByteCount());
    }
    BitmapToImage(bitmap, picture_);
    if (__FORMIMAGE) {
        __FORMIMAGE->ShowPicture(&picture_, display_width, display_height);
        LineUpdate();
    }
    if (histogram_window && histogram_window->Visible()) {
        // Colour: one row fewer than the picture, itself a row short of the frame.
        const int32_t rows = bitmap.Height() - (__color ? 1 : 0);
        histogram_window->HUpdate(input_.analysis.samples.get(), bitmap.Width(), __color, rows);
    }
    if (focus_window && focus_window->Visible()) {
        focus.Update(input_.analysis, bitmap, __color, HFLIP, *focus_window);
    }
    input_.preview_busy = PREVIEW_IDLE;
}

void TPREVIEW::LineUpdate() {
    const bool window_open = measurement_window && measurement_window->Visible();
    if (!measurement_line.HasLine() || !window_open) {
        if (__FORMIMAGE) {
            __FORMIMAGE->ShowMeasurementLine(nullptr);
        }
        if (window_open) {
            profile_.Clear();
            measurement_window->ShowProfile(profile_, profile_range);
        }
        return;
    }
    const QLine line(measurement_line.Start(), measurement_line.End());
    TraceProfile(picture_, _SCALE, line.p1(), line.p2(), profile_);
    profile_range.Offer(profile_.WantedLow(), profile_.WantedHigh());
    measurement_window->ShowProfile(profile_, profile_range);
    if (__FORMIMAGE) {
        __FORMIMAGE->ShowMeasurementLine(&line);
    }
    measurement_window->ShowDistance(
        SensorPixels(measurement_line.Length(), _SCALE, binning_shift));
}

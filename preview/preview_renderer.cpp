#include "preview/preview_renderer.h"

#include "preview/picture_conversion.h"

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
    if (_BlackPoint != 0 || _WhitePoint != 255) {
        ApplyStretch(BuildStretchTable(_BlackPoint, _WhitePoint), bitmap.Bits(),
                     bitmap.ByteCount());
    }
    BitmapToImage(bitmap, picture_);
    if (__FORMIMAGE) {
        __FORMIMAGE->ShowPicture(&picture_, display_width, display_height);
    }
    input_.preview_busy = PREVIEW_IDLE;
}

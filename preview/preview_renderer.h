#pragma once

#include <QImage>
#include <cstdint>

#include "preview/preview_input.h"

// The main window's picture: the image control inside its scroll box, which
// keeps a picture smaller than itself centred.
class PreviewView {
  public:
    virtual ~PreviewView() = default;
    // Shows `picture` drawn at display_width x display_height. The picture
    // stays valid, and is what gets redrawn, until the next call.
    virtual void ShowPicture(const QImage *picture, int32_t display_width,
                             int32_t display_height) = 0;
};

// Turns the working bitmap that the frame-ready handler filled into the
// picture on screen: mirror, black/white stretch, zoom. GUI thread only,
// driven by MSG_RENDER_PREVIEW.
class TPREVIEW {
  public:
    explicit TPREVIEW(PreviewInput &input) : input_(input) {}

    void Init();
    // Renders the pending frame, if any, and returns the renderer to idle.
    void UpdateCaption();
    // Mirrors the working bitmap left to right in place.
    void BitmapFlip();

    int32_t _BlackPoint = 0;    // 0..254
    int32_t _WhitePoint = 255;  // 1..255
    PreviewView *__FORMIMAGE = nullptr;
    bool HFLIP = false;
    int32_t _SCALE = 100;  // zoom in percent: 25, 50, 100, 200 or 400

  private:
    PreviewInput &input_;
    QImage picture_;  // the working bitmap as drawn, top row first
};

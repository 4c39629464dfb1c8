// The sensor window handed to the camera, and the gains that go with it.
#include <QLabel>
#include <QSlider>

#include "app/main_window.h"
#include "camera/exposure_controls.h"
#include "preview/colour_balance.h"

void TForm1::UpdateRectangle()
{
    sx = std::max(sx, 0);
    sy = std::max(sy, 0);
    if (sx + sw > FULL_WIDTH) {
        sx = FULL_WIDTH - sw;
    }
    if (sy + sheight > FULL_HEIGHT) {
        sy = FULL_HEIGHT - sheight;
    }
    const ChannelGains gains = ComputeChannelGains(RED->value(), GREEN->value(), BLUE->value(),
                                                   Gain->value(), ColorCamera1->isChecked());
    Cap->_rgain = static_cast<uint32_t>(gains.red);
    Cap->_ggain = static_cast<uint32_t>(gains.green);
    Cap->_bgain = static_cast<uint32_t>(gains.blue);
    // The sensor counts its y offset from the edge opposite the picture's top:
    // the frame's first row is shown as the picture's bottom row.
    Cap->UpdateInfo(static_cast<uint32_t>(sw), static_cast<uint32_t>(sheight),
                    static_cast<uint32_t>(FULL_HEIGHT - sheight - sy), static_cast<uint32_t>(sx));
    if (Cap->length > CANCEL_ABOVE_MS) {
        driver_.CancelExposure();
    }
    Label1->setText(QString::asprintf("%03d", RED->value()));
    Label4->setText(QString::asprintf("%03d", GREEN->value()));
    Label7->setText(QString::asprintf("%03d", BLUE->value()));
    Label6->setText(QString::asprintf("%03d%%", Gain->value()));
}

#pragma once

#include <cstdint>

#include "camera/acquisition.h"
#include "camera/driver_api.h"
#include "camera/frame_list.h"
#include "platform/messages.h"
#include "camera/preview_input.h"

// The main window's handler of MSG_FRAME_READY: routes the newest frame to the
// preview and, while a recording runs, hands every frame to the recorder.
// GUI thread only. The headless capture command uses it without a preview.
class FrameReadyHandler {
  public:
    // `preview` may be null: frames then go only to the recorder (or away).
    FrameReadyHandler(FrameList &frames, const TVideoCapture &capture, const CameraDriver &driver,
                      MessagePoster &poster, PreviewInput *preview);

    // One MSG_FRAME_READY notice. `analysis_wanted`: the histogram or the
    // focus window is visible and needs the untouched samples (a deep
    // frame's: its 8-bit view).
    void OnFrameReady(bool analysis_wanted, uint32_t now_tick);

  private:
    void FillPreview(const ImageLst &frame, bool analysis_wanted);
    bool RecordingPreviewDue(uint32_t now_tick);

    FrameList &frames_;
    const TVideoCapture &capture_;
    const CameraDriver &driver_;
    MessagePoster &poster_;
    PreviewInput *preview_;
};

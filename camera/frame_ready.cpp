#include "camera/frame_ready.h"

#include "camera/frame_conversion.h"

FrameReadyHandler::FrameReadyHandler(FrameList &frames, const TVideoCapture &capture,
                                     const CameraDriver &driver, MessagePoster &poster,
                                     PreviewInput *preview)
    : frames_(frames), capture_(capture), driver_(driver), poster_(poster), preview_(preview) {}

void FrameReadyHandler::FillPreview(const ImageLst &frame, bool analysis_wanted) {
    AnalysisCopy &analysis = preview_->analysis;
    if (analysis_wanted) {
        analysis.Reserve(static_cast<size_t>(frame.w) * frame.h);
    }
    // A deep frame is seen through its 8-bit view from here on, the points
    // applied over its depth in the same pass.
    FramePicture(driver_, frame, capture_.__color, preview_->black_point, preview_->white_point,
                 preview_->deep_view, preview_->working_bitmap,
                 analysis_wanted ? analysis.samples.get() : nullptr);
    preview_->bitmap_stretched = frame.bit_depth > 8;
    preview_->stamp_text = frame.TS;
    analysis.W = frame.w;
    analysis.H = frame.h;
}

bool FrameReadyHandler::RecordingPreviewDue(uint32_t now_tick) {
    const size_t queued = frames_.Count();
    if (queued > LIVE_PREVIEW_QUEUE) {
        preview_->writer_behind = true;
    } else if (queued <= 1) {
        preview_->writer_behind = false;
    }
    const uint32_t interval_ms =
        preview_->writer_behind ? RECORDING_PREVIEW_INTERVAL_MS : LIVE_PREVIEW_INTERVAL_MS;
    return !preview_->previewed_while_recording ||
           now_tick - preview_->last_recording_preview_tick >= interval_ms;
}

void FrameReadyHandler::OnFrameReady(bool analysis_wanted, uint32_t now_tick) {
    const bool recording = capture_.Capturing();
    // While recording, a frame that will not be shown is not converted
    // either: the GUI thread's time belongs to the writer then.
    const bool due = !recording || (preview_ && RecordingPreviewDue(now_tick));
    const bool render = preview_ && preview_->preview_busy == PREVIEW_IDLE && due;
    if (render) {
        if (PImageLst newest = frames_.Newest()) {
            FillPreview(*newest, analysis_wanted);
        }
    }
    if (recording) {
        poster_.Post(MSG_RECORD_FRAME);
        if (render) {
            preview_->previewed_while_recording = true;
            preview_->last_recording_preview_tick = now_tick;
        }
    } else {
        // One frame per notice keeps the list at about one frame. Frames a
        // recording left queued would stay for good that way: they go at once.
        frames_.RemoveOldestFrame();
        while (frames_.Count() > 1) {
            frames_.RemoveOldestFrame();
        }
    }
    if (render) {
        preview_->preview_busy = PREVIEW_PENDING;
        poster_.Post(MSG_RENDER_PREVIEW);
    }
}

#include "recording/recorder.h"

#include <QFile>
#include <QFileInfo>
#include <cstdlib>

#include "camera/frame_conversion.h"
#include "platform/rounding.h"
#include "platform/tick_count.h"
#include "platform/utc_clock.h"
#include "recording/bmp_writer.h"
#include "recording/fits_keywords.h"
#include "shell/text_format.h"

namespace {

// Whether `tick` comes before `end`, counting across the tick's wrap.
bool Before(uint32_t tick, uint32_t end) {
    return static_cast<int32_t>(end - tick) > 0;
}

}  // namespace

TAVIExport::TAVIExport(FrameList &frames, TVideoCapture &capture, const CameraDriver &driver,
                       RecorderUi &ui, int64_t avi_split_bytes)
    : log(ui),
      frames_(frames),
      Cap(capture),
      driver_(driver),
      ui_(log),
      avi_(namer, avi_split_bytes) {
    SetTexts(InterfaceTexts{});
    // A long exposure leaves seconds between notices: the watch does not wait for them.
    watch_timer_.setInterval(500);
    watch_timer_.callOnTimeout([this] { Watch(TickCount()); });
}

void TAVIExport::Init() {
    RecordBitmap.SetSize(FULL_WIDTH, FULL_HEIGHT);
    namer.Reset();
}

bool TAVIExport::Recording() const {
    return per_frame_files_ || ser_.IsOpen() || avi_.AviHandle() != AVI_NO_HANDLE;
}

void TAVIExport::SetTexts(const InterfaceTexts &texts) {
    _MSG_NOFRAMES = texts.NOFRAMES_RECORDED;
    texts_ = texts;
}

StartResult TAVIExport::StartRecording(const RecordingRequest &request, uint32_t now_tick) {
    if (request.capture_directory.isEmpty() || request.base_name.isEmpty()) {
        return StartResult::NoFileName;
    }
    // A recording replaced before its closing notice ends first: a new output
    // never leaves an older one open.
    if (Recording() && !EndOutput()) {
        ui_.ReportWriteFailure();
    }
    frames_lost = 0;
    finished_bytes_ = 0;
    capture_directory_ = request.capture_directory;
    _MODE = request.mode == MODE_NONE ? MODE_AVI : request.mode;
    __NAME = CaptureBasePath(request.capture_directory, request.base_name);
    __color = Cap.__color;
    frame_width_ = request.frame_width;
    frame_height_ = request.frame_height;
    description_ = request.description;
    // Only SER and FITS hold deep samples; the other outputs are pictures.
    if (_MODE != MODE_SER && _MODE != MODE_FIT) {
        description_.sample_bits = 8;
    }
    description_.sample_bits = std::clamp(description_.sample_bits, 8, 16);
    exposure_us_ =
        request.exposure_us >= 0 ? request.exposure_us : std::abs(request.exposure_ms) * 1000;
    log.Begin(description_, _MODE, exposure_us_, frame_width_, frame_height_);
    if (!CreateFile(request.frame_width, request.frame_height)) {
        return StartResult::OutputFailed;
    }
    const int32_t n = std::abs(request.count);
    // No seconds, like no frames, means until the observer stops it.
    frames_wanted_ = request.seconds_mode ? 0 : n;
    timed_ = request.seconds_mode && n > 0;
    frames_dropped_ = 0;
    if (!request.seconds_mode || n == 0) {
        count = n > 0 ? n : COUNT_NO_LIMIT;
    } else {
        count = COUNT_TIMED;
        duration_ms = static_cast<uint32_t>(n) * 1000;
        endtime = now_tick + duration_ms;
    }
    framecount = 0;
    started_tick_ = rate_tick_ = now_tick;
    rate_frames_ = 0;
    rate_bytes_ = 0;
    written_fps_ = bytes_per_second_ = 0;
    recording_tag_ = Cap.BeginRecording(std::abs(request.exposure_ms), std::abs(request.delay_ms));
    watch_timer_.start();
    ShowProgress(now_tick, true);
    return StartResult::Started;
}

void TAVIExport::DarksTaken(uint32_t now_tick) {
    if (!Recording()) {
        return;
    }
    // The time spent on the darks recorded nothing: the clock starts now.
    started_tick_ = rate_tick_ = now_tick;
    if (count == COUNT_TIMED) {
        endtime = now_tick + duration_ms;
    }
}

void TAVIExport::StopRecording() {
    if (Recording()) {
        Close();  // while the count still says how many frames were wanted
    }
    count = 0;
}

bool TAVIExport::CreateFile(int32_t w, int32_t h) {
    if (_MODE == MODE_FIT || _MODE == MODE_BMP) {
        per_frame_files_ = true;
        return true;
    }
    if (_MODE == MODE_SER) {
        const QString name = namer.NextFileName(__NAME, SER_EXTENSION, [&](const QString &free) {
            const SerHeaderTexts texts{description_.observer, description_.camera,
                                       description_.telescope};
            // A colour camera's SER holds its raw mosaic: stackers demosaic
            // it better than the live picture's demosaic, and keep every row.
            const int32_t color_id = __color ? SerBayerColorId(h) : SER_MONO;
            return ser_.WriteSerHeader(free, w, h, description_.sample_bits, texts, color_id) ==
                   SER_HEADER_WRITTEN;
        });
        if (name.isEmpty()) {
            return false;
        }
        FollowOutput(name);
        return true;
    }
    // The template tells the AVI writer the frame format; a colour camera's
    // pictures are one row shorter than its frames.
    const Bitmap24 SavedCopy(w, __color ? h - 1 : h);
    if (avi_.StartAviFile(__NAME, SavedCopy) == AVI_NO_HANDLE) {
        return false;
    }
    FollowOutput(avi_.FileName());
    return true;
}

void TAVIExport::FollowOutput(const QString &file_name) {
    if (!output_file_.isEmpty()) {
        finished_bytes_ += QFileInfo(output_file_).size();  // an AVI's earlier part
    }
    output_file_ = file_name;
    frames_in_output_ = 0;
    output_watch_.Watch(file_name);
    output_watched_tick_ = TickCount();
}

bool TAVIExport::OutputStillNamed(uint32_t now_tick, bool now) {
    if (output_file_.isEmpty() || (!now && now_tick - output_watched_tick_ < WATCH_INTERVAL_MS)) {
        return true;
    }
    output_watched_tick_ = now_tick;
    return output_watch_.StillNamed();
}

bool TAVIExport::EndOutput() {
    // Looked at before the file is closed: a file written on after its
    // folder was removed is lost, however well it was finished.
    const bool named = OutputStillNamed(TickCount(), true);
    bool complete = true;
    if (ser_.IsOpen()) {
        complete = ser_.FinishSerFile();
        framecount = ser_.SerFrameCount();  // less when a full disk left no room for the times
    }
    if (avi_.AviHandle() != AVI_NO_HANDLE) {
        complete = avi_.EndAviFile() && complete;
    }
    output_watch_.Stop();
    if (!output_file_.isEmpty() && frames_in_output_ > 0) {
        finished_bytes_ += QFileInfo(output_file_).size();
    }
    if (!named) {
        frames_lost += frames_in_output_;
        complete = false;
    } else if (!output_file_.isEmpty() && frames_in_output_ == 0) {
        // A file without a frame helps no one and would only take a number.
        QFile::remove(output_file_);
    }
    output_file_.clear();
    frames_in_output_ = 0;
    per_frame_files_ = false;
    watch_timer_.stop();
    Cap.EndRecording();
    if (!complete) {
        log.EndedBy(RecordingEnd::WriteFailed);
    }
    complete = log.End(framecount, static_cast<int32_t>(frames_.Count())) && complete;
    return complete;
}

int64_t TAVIExport::FileBytes() const {
    return finished_bytes_ + (output_file_.isEmpty() ? 0 : QFileInfo(output_file_).size());
}

RecordingProgress TAVIExport::Progress(uint32_t now_tick) {
    RecordingProgress progress;
    progress.frames_written = framecount - frames_lost;
    progress.frames_wanted = frames_wanted_;
    const bool running = Recording();
    if (timed_) {
        progress.seconds_left =
            running && Before(now_tick, endtime) ? RoundHalfEven((endtime - now_tick) / 1000.0) : 0;
    }
    // An ended recording's time stopped at its end.
    progress.elapsed_ms = (running ? now_tick : progress_tick_) - started_tick_;
    progress.camera_fps = FrameRateFromIntervals(Cap.FrameIntervals());
    progress.file_bytes = FileBytes();
    // The queue has no limit: a frame is lost only when the recording ends
    // before the writer reaches it.
    progress.frames_dropped = frames_dropped_;
    const uint32_t window_ms = now_tick - rate_tick_;
    if (running && window_ms >= RATE_WINDOW_MS) {
        written_fps_ = (framecount - rate_frames_) * 1000.0 / window_ms;
        bytes_per_second_ = (progress.file_bytes - rate_bytes_) * 1000.0 / window_ms;
        rate_tick_ = now_tick;
        rate_frames_ = framecount;
        rate_bytes_ = progress.file_bytes;
    } else if (running && bytes_per_second_ == 0 && progress.elapsed_ms > 0) {
        // The first second: the average since the start.
        written_fps_ = framecount * 1000.0 / progress.elapsed_ms;
    }
    // An ended recording's rate is its average.
    progress.written_fps = running                   ? written_fps_
                           : progress.elapsed_ms > 0 ? framecount * 1000.0 / progress.elapsed_ms
                                                     : 0;
    progress.free_bytes = free_space(capture_directory_);
    progress.minutes_left = running ? MinutesLeft(progress.free_bytes, bytes_per_second_) : -1;
    return progress;
}

int64_t TAVIExport::QueuedFramesWanted(uint32_t now_tick) const {
    // A timed recording wanted the frames whose exposure began before its end.
    const int64_t end_ns =
        count == COUNT_TIMED
            ? UtcNowNs() - int64_t{static_cast<int32_t>(now_tick - endtime)} * 1000000
            : INT64_MAX;
    const uint32_t tag = recording_tag_;
    const auto queued = static_cast<int64_t>(frames_.CountWhere([&](const ImageLst &frame) {
        return frame.generation == tag && frame.exposure_start_ns < end_ns;
    }));
    return count > 0 ? std::min<int64_t>(queued, count) : queued;
}

void TAVIExport::ShowProgress(uint32_t now_tick, bool now) {
    if (!now && now_tick - progress_tick_ < PROGRESS_REFRESH_MS) {
        return;
    }
    progress_tick_ = now_tick;
    ui_.ShowProgress(Progress(now_tick));
}

bool TAVIExport::TakesFrames(uint32_t now_tick) const {
    return count == COUNT_NO_LIMIT || count > 0 ||
           (count == COUNT_TIMED && Before(now_tick, endtime));
}

void TAVIExport::ProcessFrame(uint32_t now_tick) {
    TakeNotice(now_tick);
    if (Recording()) {
        ShowProgress(now_tick, false);
    }
}

void TAVIExport::Watch(uint32_t now_tick) {
    if (!Recording()) {
        return;
    }
    if (!OutputStillNamed(now_tick, true)) {
        Close(true);
        count = 0;
        return;
    }
    // Between frames too: through long exposures or a camera that stopped
    // sending, the time goes on and the rate falls.
    ShowProgress(now_tick, false);
}

void TAVIExport::TakeNotice(uint32_t now_tick) {
    if (!Recording()) {
        ui_.ShowStatus(QStringLiteral("Idle"));
        return;
    }
    if (!TakesFrames(now_tick)) {
        log.EndedBy(RecordingEnd::Completed);
        CloseAt(now_tick);
        count = 0;
        return;
    }
    const SaveResult saved = SaveFrame();
    if (saved == SaveResult::Failed) {
        EndAfterWriteFailure();
        return;
    }
    if (saved == SaveResult::NothingToSave) {
        // A notice whose frame was discarded at the recording's start, or a
        // frame from before it: only frames really written count.
        return;
    }
    ++framecount;
    if (!OutputStillNamed(now_tick, false)) {
        // Its folder was removed: every frame written goes nowhere now.
        CloseAt(now_tick, true);
        count = 0;
        return;
    }
    if (count > 0) {
        --count;
        if (count == 0) {
            // The last frame is in: the file is finished now, not an exposure later.
            log.EndedBy(RecordingEnd::Completed);
            CloseAt(now_tick);
        }
    }
}

// A frame that could not be written ends the recording at once: the files
// keep every frame written before it, and the observer is told.
void TAVIExport::EndAfterWriteFailure() {
    frames_.RemoveOldestFrame();
    Close(true);
    count = 0;
}

// A deep frame's samples for a FITS file: with the overlay on, a copy with
// the frame's own stamp drawn in, since the frame itself may still be on its
// way to the screen.
const uint16_t *TAVIExport::DeepSamplesToSave(const ImageLst &frame) {
    const auto *samples = reinterpret_cast<const uint16_t *>(frame.Data);
    if (overlay == nullptr || !overlay->visible) {
        return samples;
    }
    stamped_.assign(samples, samples + static_cast<size_t>(frame.w) * frame.h);
    DrawDeepStamp(stamped_.data(), frame.w, frame.h, frame.bit_depth, __color, frame.TS, *overlay);
    return stamped_.data();
}

TAVIExport::SaveResult TAVIExport::SaveFrame() {
    const PImageLst frame = frames_.Oldest();
    if (!frame) {
        return SaveResult::NothingToSave;
    }
    const bool deep_file = description_.sample_bits > 8;
    if (frame->generation != recording_tag_ || frame->w != frame_width_ ||
        frame->h != frame_height_ || (deep_file && frame->bit_depth != description_.sample_bits)) {
        // Exposed, at least partly, before the recording's settings reached
        // the camera: not what was asked for, and it may not fit the file.
        frames_.RemoveOldestFrame();
        return SaveResult::NothingToSave;
    }
    if (_MODE != MODE_SER && !deep_file) {
        FrameToBitmap(driver_, *frame, __color, RecordBitmap);
        // The frame's own stamp: the camera thread is already writing the
        // stamps of later frames.
        if (overlay) {
            DrawStamp(RecordBitmap, frame->TS, *overlay);
        }
    }
    bool written = false;
    switch (_MODE) {
        case MODE_SER:
            // The frame as the file stores it: its deep samples, or 8 bits.
            written = ser_.AppendSerFrame(
                deep_file ? frame->Data : EightBitSamples(*frame, narrowed_),
                static_cast<size_t>(frame->w) * frame->h * BytesPerSample(description_.sample_bits),
                frame->exposure_start_ns);
            break;
        case MODE_FIT: {
            // Made once per frame, whatever number the file ends up with.
            std::string cards =
                FitsObservationCards(description_, frame->exposure_start_ns, exposure_us_ / 1000.0);
            const uint16_t *deep_samples = nullptr;
            if (deep_file) {
                // Deep samples are kept as the camera gave them: a colour
                // camera's raw mosaic, which the cards name.
                if (__color) {
                    cards += FitsMosaicCards(frame->h);
                }
                deep_samples = DeepSamplesToSave(*frame);
            }
            const QString name =
                namer.NextFileName(__NAME, FIT_EXTENSION, [&](const QString &free) {
                    return deep_file ? fits_.SaveFitsSamples(free, deep_samples, frame->w, frame->h,
                                                             cards)
                                     : fits_.SaveFitsImage(free, RecordBitmap, __color, cards);
                });
            written = !name.isEmpty();
            if (written) {
                ui_.FileCreated(name);
                finished_bytes_ += QFileInfo(name).size();
            }
            break;
        }
        case MODE_BMP: {
            const QString name = namer.NextFileName(
                __NAME, BMP_EXTENSION,
                [&](const QString &free) { return SaveBmpImage(free, RecordBitmap); });
            written = !name.isEmpty();
            if (written) {
                ui_.FileCreated(name);
                finished_bytes_ += QFileInfo(name).size();
            }
            break;
        }
        default: {
            const QString file_before = avi_.FileName();
            written = avi_.AddAviImage(RecordBitmap);
            if (avi_.FileName() != file_before && avi_.AviHandle() != AVI_NO_HANDLE) {
                FollowOutput(avi_.FileName());  // the recording went on in a further file
            }
            break;
        }
    }
    if (!written) {
        return SaveResult::Failed;
    }
    // A SER or AVI file is announced with its first frame: one left without
    // any is removed again, and nobody should go looking for it.
    if (!output_file_.isEmpty() && ++frames_in_output_ == 1) {
        ui_.FileCreated(output_file_);
    }
    log.FrameWritten(frame->exposure_start_ns);
    frames_.RemoveOldestFrame();
    return SaveResult::Written;
}

void TAVIExport::Close(bool write_failed) {
    CloseAt(TickCount(), write_failed);
}

void TAVIExport::CloseAt(uint32_t now_tick, bool write_failed) {
    if (write_failed) {
        log.EndedBy(RecordingEnd::WriteFailed);
    }
    frames_dropped_ = QueuedFramesWanted(now_tick);
    const bool complete = EndOutput();
    progress_tick_ = now_tick;
    ui_.ShowProgress(Progress(progress_tick_));
    ui_.ReleaseCaptureButton();
    ui_.ShowStatus(framecount == frames_lost ? _MSG_NOFRAMES : QString());
    if (write_failed || !complete) {
        ui_.ReportWriteFailure();
    }
}

#include "recording/recorder.h"

#include <QFile>
#include <cstdlib>

#include "camera/frame_conversion.h"
#include "platform/free_memory.h"
#include "platform/rounding.h"
#include "platform/tick_count.h"
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
    _MSG_MEMORY = texts.MEMORYLEFT;
    _MSG_FRAMESLEFT = texts.FRAMES_LEFT;
    _MSG_CAPTURING = texts.CAPTURING;
    _MSG_SECLEFT = texts.SECONDSLEFT;
    _MSG_NOFRAMES = texts.NOFRAMES_RECORDED;
    // The free memory shows in the new language now, not at the next frame,
    // which may be a long exposure away or never come.
    memory_read_ = false;
    ShowMemory();
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
    _MODE = request.mode == MODE_NONE ? MODE_AVI : request.mode;
    __NAME = CaptureBasePath(request.capture_directory, request.base_name);
    __color = Cap.__color;
    frame_width_ = request.frame_width;
    frame_height_ = request.frame_height;
    description_ = request.description;
    exposure_ms_ = std::abs(request.exposure_ms);
    log.Begin(description_, _MODE, exposure_ms_, frame_width_, frame_height_);
    if (!CreateFile(request.frame_width, request.frame_height)) {
        return StartResult::OutputFailed;
    }
    const int32_t n = std::abs(request.count);
    // No seconds, like no frames, means until the observer stops it.
    if (!request.seconds_mode || n == 0) {
        count = n > 0 ? n : COUNT_NO_LIMIT;
    } else {
        count = COUNT_TIMED;
        duration_ms = static_cast<uint32_t>(n) * 1000;
        endtime = now_tick + duration_ms;
    }
    framecount = 0;
    recording_tag_ = Cap.BeginRecording(std::abs(request.exposure_ms), std::abs(request.delay_ms));
    watch_timer_.start();
    return StartResult::Started;
}

void TAVIExport::DarksTaken(uint32_t now_tick) {
    if (Recording() && count == COUNT_TIMED) {
        endtime = now_tick + duration_ms;
    }
}

void TAVIExport::StopRecording() {
    count = 0;
    if (Recording()) {
        Close();
    }
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
            return ser_.WriteSerHeader(free, w, h, 8, texts, color_id) == SER_HEADER_WRITTEN;
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

void TAVIExport::ShowMemory() {
    // The panel follows every notice, but asking the system costs more than
    // writing a small frame: the figure is refreshed four times a second.
    const uint32_t now = TickCount();
    if (!memory_read_ || now - memory_read_tick_ >= MEMORY_REFRESH_MS) {
        memory_read_ = true;
        memory_read_tick_ = now;
        const double mib = static_cast<double>(FreePhysicalMemoryBytes()) / 1024 / 1024;
        memory_text_ = FormatText(_MSG_MEMORY, {RoundHalfEven(mib)});
    }
    ui_.ShowMemory(memory_text_);
}

bool TAVIExport::TakesFrames(uint32_t now_tick) const {
    return count == COUNT_NO_LIMIT || count > 0 ||
           (count == COUNT_TIMED && Before(now_tick, endtime));
}

void TAVIExport::ProcessFrame(uint32_t now_tick) {
    TakeNotice(now_tick);
    ShowMemory();  // after every notice, whatever it did
}

void TAVIExport::Watch(uint32_t now_tick) {
    if (!Recording()) {
        return;
    }
    if (!OutputStillNamed(now_tick, true)) {
        Close(true);
        count = 0;
    }
}

void TAVIExport::TakeNotice(uint32_t now_tick) {
    if (!Recording()) {
        ui_.ShowStatus(QStringLiteral("Idle"));
        return;
    }
    if (!TakesFrames(now_tick)) {
        log.EndedBy(RecordingEnd::Completed);
        Close();
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
        Close(true);
        count = 0;
        return;
    }
    if (count == COUNT_TIMED) {
        const int32_t seconds_left = RoundHalfEven((endtime - now_tick) / 1000.0);
        ui_.ShowStatus(FormatText(_MSG_SECLEFT, {seconds_left, framecount}));
    } else if (count == COUNT_NO_LIMIT) {
        ui_.ShowStatus(_MSG_CAPTURING);
    } else {
        --count;
        if (count > 0) {
            ui_.ShowStatus(FormatText(_MSG_FRAMESLEFT, {count}));
        } else {
            // The last frame is in: the file is finished now, not an exposure later.
            log.EndedBy(RecordingEnd::Completed);
            Close();
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

TAVIExport::SaveResult TAVIExport::SaveFrame() {
    const PImageLst frame = frames_.Oldest();
    if (!frame) {
        return SaveResult::NothingToSave;
    }
    if (frame->generation != recording_tag_ || frame->w != frame_width_ ||
        frame->h != frame_height_) {
        // Exposed, at least partly, before the recording's settings reached
        // the camera: not what was asked for, and it may not fit the file.
        frames_.RemoveOldestFrame();
        return SaveResult::NothingToSave;
    }
    if (_MODE != MODE_SER) {
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
            written = ser_.AppendSerFrame(frame->Data, static_cast<size_t>(frame->w) * frame->h,
                                          frame->exposure_start_ns);
            break;
        case MODE_FIT: {
            const QString name =
                namer.NextFileName(__NAME, FIT_EXTENSION, [&](const QString &free) {
                    return fits_.SaveFitsImage(
                        free, RecordBitmap, __color,
                        FitsObservationCards(description_, frame->exposure_start_ns, exposure_ms_));
                });
            written = !name.isEmpty();
            if (written)
                ui_.FileCreated(name);
            break;
        }
        case MODE_BMP: {
            const QString name = namer.NextFileName(
                __NAME, BMP_EXTENSION,
                [&](const QString &free) { return SaveBmpImage(free, RecordBitmap); });
            written = !name.isEmpty();
            if (written)
                ui_.FileCreated(name);
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
    if (write_failed) {
        log.EndedBy(RecordingEnd::WriteFailed);
    }
    const bool complete = EndOutput();
    ui_.ReleaseCaptureButton();
    ui_.ShowStatus(framecount == frames_lost ? _MSG_NOFRAMES : QString());
    if (write_failed || !complete) {
        ui_.ReportWriteFailure();
    }
}

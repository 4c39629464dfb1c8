#include "recording/recorder.h"

#include <cstdlib>

#include "camera/frame_conversion.h"
#include "platform/free_memory.h"
#include "platform/rounding.h"
#include "platform/tick_count.h"
#include "recording/bmp_writer.h"
#include "shell/text_format.h"

namespace {

// Whether `tick` comes before `end`, counting across the tick's wrap.
bool Before(uint32_t tick, uint32_t end) {
    return static_cast<int32_t>(end - tick) > 0;
}

}  // namespace

TAVIExport::TAVIExport(FrameList &frames, TVideoCapture &capture, const CameraDriver &driver,
                       RecorderUi &ui, int64_t avi_split_bytes)
    : frames_(frames), Cap(capture), driver_(driver), ui_(ui), avi_(namer, avi_split_bytes) {
    SetTexts(InterfaceTexts{});
}

void TAVIExport::Init() {
    RecordBitmap.SetSize(FULL_WIDTH, FULL_HEIGHT);
    AVIHandle = OUTPUT_IDLE;
    namer.Reset();
}

void TAVIExport::SetTexts(const InterfaceTexts &texts) {
    _MSG_MEMORY = texts.MEMORYLEFT;
    _MSG_FRAMESLEFT = texts.FRAMES_LEFT;
    _MSG_CAPTURING = texts.CAPTURING;
    _MSG_SECLEFT = texts.SECONDSLEFT;
}

StartResult TAVIExport::StartRecording(const RecordingRequest &request, uint32_t now_tick) {
    driver_.CancelExposure();
    if (request.capture_directory.isEmpty() || request.base_name.isEmpty()) {
        return StartResult::NoFileName;
    }
    frames_.ClearFrameList();
    _MODE = request.mode == MODE_NONE ? MODE_AVI : request.mode;
    Cap.length = std::abs(request.exposure_ms);
    Cap.delay = std::abs(request.delay_ms);
    const int32_t n = std::abs(request.count);
    __NAME = CaptureBasePath(request.capture_directory, request.base_name);
    frame_width_ = request.frame_width;
    frame_height_ = request.frame_height;
    if (CreateFile(request.frame_width, request.frame_height)) {
        return StartResult::OutputFailed;
    }
    if (!request.seconds_mode) {
        count = n > 0 ? n : COUNT_NO_LIMIT;
    } else {
        count = COUNT_TIMED;
        endtime = now_tick + static_cast<uint32_t>(n) * 1000;
    }
    ++Cap.recording_starts;
    Cap._capturing = true;
    framecount = 0;
    return StartResult::Started;
}

void TAVIExport::StopRecording() {
    driver_.CancelExposure();
    count = 0;
    Cap.delay = 0;
}

bool TAVIExport::CreateFile(int32_t w, int32_t h) {
    if (_MODE == MODE_FIT || _MODE == MODE_BMP) {
        AVIHandle = OUTPUT_PER_FRAME_FILES;
        return false;
    }
    if (_MODE == MODE_SER) {
        const QString name = namer.NextFileName(__NAME, SER_EXTENSION, [&](const QString &free) {
            return ser_.WriteSerHeader(free, w, h, 8) == SER_HEADER_WRITTEN;
        });
        AVIHandle = name.isEmpty() ? OUTPUT_IDLE : OUTPUT_SER_OPEN;
        if (AVIHandle == OUTPUT_SER_OPEN) {
            ui_.FileCreated(name);
        }
    } else {
        // The template tells the AVI writer the frame format; a colour
        // camera's pictures are one row shorter than its frames.
        const Bitmap24 SavedCopy(w, Cap.__color ? h - 1 : h);
        AVIHandle = avi_.StartAviFile(__NAME, SavedCopy);
        if (AVIHandle != OUTPUT_IDLE) {
            ui_.FileCreated(avi_.FileName());
        }
    }
    if (AVIHandle == OUTPUT_IDLE) {
        return true;
    }
    Cap._capturing = false;
    return false;
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

void TAVIExport::TakeNotice(uint32_t now_tick) {
    if (AVIHandle == OUTPUT_IDLE) {
        ui_.ShowStatus(QStringLiteral("Idle"));
        return;
    }
    if (!TakesFrames(now_tick)) {
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
    if (count == COUNT_TIMED) {
        const int32_t seconds_left = RoundHalfEven((endtime - now_tick) / 1000.0);
        ui_.ShowStatus(FormatText(_MSG_SECLEFT, {seconds_left, framecount}));
    } else if (count == COUNT_NO_LIMIT) {
        ui_.ShowStatus(_MSG_CAPTURING);
    } else {
        --count;
        if (count > 0) {
            ui_.ShowStatus(FormatText(_MSG_FRAMESLEFT, {count}));
        }
    }
}

// A frame that could not be written ends the recording at once: the files
// keep every frame written before it, and the observer is told.
void TAVIExport::EndAfterWriteFailure() {
    frames_.RemoveOldestFrame();
    Close();
    count = 0;
    ui_.ReportWriteFailure();
}

TAVIExport::SaveResult TAVIExport::SaveFrame() {
    const PImageLst frame = frames_.Oldest();
    if (!frame) {
        return SaveResult::NothingToSave;
    }
    if (frame->w != frame_width_ || frame->h != frame_height_) {
        // Exposed before the recording's settings reached the camera: it
        // would not fit the file, and it is not what was asked for.
        frames_.RemoveOldestFrame();
        return SaveResult::NothingToSave;
    }
    if (_MODE != MODE_SER) {
        FrameToBitmap(driver_, *frame, Cap.__color, RecordBitmap);
    }
    bool written = false;
    switch (_MODE) {
        case MODE_SER:
            written = ser_.AppendSerFrame(frame->Data, static_cast<size_t>(frame->w) * frame->h);
            break;
        case MODE_FIT: {
            const QString name =
                namer.NextFileName(__NAME, FIT_EXTENSION, [&](const QString &free) {
                    return fits_.SaveFitsImage(free, RecordBitmap, Cap.__color);
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
            if (written && avi_.FileName() != file_before) {
                ui_.FileCreated(avi_.FileName());  // the recording went on in a further file
            }
            break;
        }
    }
    if (!written) {
        return SaveResult::Failed;
    }
    frames_.RemoveOldestFrame();
    return SaveResult::Written;
}

void TAVIExport::Close() {
    bool complete = true;
    if (AVIHandle == OUTPUT_SER_OPEN) {
        complete = ser_.FinishSerFile();
    } else if (AVIHandle != OUTPUT_IDLE && AVIHandle != OUTPUT_PER_FRAME_FILES) {
        complete = avi_.EndAviFile();
    }
    AVIHandle = OUTPUT_IDLE;
    ui_.ReleaseCaptureButton();
    Cap._capturing = false;
    ui_.ShowStatus(QString());
    if (!complete) {
        ui_.ReportWriteFailure();
    }
}

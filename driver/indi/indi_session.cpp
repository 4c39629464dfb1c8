#include "driver/indi/indi_session.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "driver/indi/frame_decode.h"
#include "driver/indi/indi_controls.h"
#include "driver/indi/sensor_description.h"
#include "driver/simulator/exposure_thread.h"
#include "pixels/demosaic.h"

namespace indicam {

namespace {

void Say(const std::string &message) {
    std::fprintf(stderr, "MELKOTAR.DLL: %s\n", message.c_str());
}

bool StreamAllowed() {
    const char *text = std::getenv("OMTRIX_INDI_STREAM");
    const std::string value = text != nullptr ? text : "on";
    if (value != "on" && value != "off") {
        Say("OMTRIX_INDI_STREAM=" + value + " is not a known value; using the default");
    }
    return value != "off";
}

}  // namespace

IndiSession::IndiSession() = default;

IndiSession::~IndiSession() {
    Close();
}

void IndiSession::Close() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (worker_.joinable()) {
        worker_.join();
    }
    // The client's reading thread ends with it, before the members it calls into.
    std::shared_ptr<IndiClient> client;
    {
        std::lock_guard lock(mutex_);
        client = std::move(client_);
    }
    CloseClient(std::move(client));
}

void IndiSession::CloseClient(std::shared_ptr<IndiClient> client) {
    if (!client) {
        return;
    }
    {
        // After any request under way: the stream it starts is stopped too.
        std::lock_guard send(send_mutex_);
        // A camera left streaming would go on after the program, and the
        // frames would keep the library's reading thread busy while it ends.
        if (client->StopStream(STREAM_STOP_WAIT)) {
            StreamStopped(STREAM_MAX_EXPOSURE_US);
        }
        applied_ = Applied{};
        exposure_sent_ = false;
    }
    client.reset();
}

void IndiSession::StreamStopped(int32_t exposure_us) {
    stream_restart_after_ = std::chrono::steady_clock::now() +
                            std::chrono::microseconds(std::max(exposure_us, 0)) +
                            STREAM_RESTART_PAUSE;
}

void IndiSession::ReportMissing(const IndiClient &client) {
    for (const std::string &name : client.Missing()) {
        if (reported_missing_.insert(name).second) {
            Say("the camera defines no " + name +
                ": what the program sets through it stays as the camera has it");
        }
    }
}

void IndiSession::Choose(const CameraChoice &choice) {
    std::lock_guard lock(mutex_);
    choice_ = choice;
}

std::shared_ptr<IndiClient> IndiSession::OpenClient(const CameraChoice &choice, uint64_t generation,
                                                    std::string &error) {
    IndiClient::Events events;
    events.frame = [this, generation](const FrameBlob &blob) { OnFrame(generation, blob); };
    events.lost = [this, generation] { OnLost(generation); };
    auto client = std::make_shared<IndiClient>(choice, std::move(events));
    if (!client->Open(CONNECT_TIMEOUT, error)) {
        return nullptr;
    }
    return client;
}

int32_t IndiSession::Connect() {
    Disconnect();
    CameraChoice choice;
    uint64_t generation = 0;
    {
        std::lock_guard lock(mutex_);
        choice = choice_;
        generation = ++generation_;
    }
    std::string error;
    std::shared_ptr<IndiClient> client = OpenClient(choice, generation, error);
    if (!client) {
        Say("no camera: " + error);
        return 0;
    }
    const CameraDescription camera = client->Description();
    Say("INDI camera \"" + camera.device + "\" on " + choice.host + ":" +
        std::to_string(choice.port) + ", sensor " + std::to_string(camera.sensor_width) + " x " +
        std::to_string(camera.sensor_height) + ", " + std::to_string(camera.bit_depth) + " bits" +
        (camera.bayer_pattern.empty() ? "" : ", colour " + camera.bayer_pattern) +
        (camera.can_stream ? ", video stream" : ""));
    {
        std::lock_guard send(send_mutex_);
        // A stream left running by an earlier client would flood this one.
        if (client->StopStream(STREAM_STOP_WAIT)) {
            StreamStopped(STREAM_MAX_EXPOSURE_US);
        }
        applied_ = Applied{};
        exposure_sent_ = false;
    }
    {
        std::lock_guard lock(mutex_);
        reported_missing_.clear();
        ReportMissing(*client);
        said_stream_shallow_ = false;
        // Each connection starts with 8-bit samples: a program that asks
        // for none must not get 16-bit ones an earlier one asked for.
        sample_bits_.store(8, std::memory_order_relaxed);
        client_ = std::move(client);
        camera_ = camera;
        stream_allowed_ = StreamAllowed();
        wanted_ = true;
        link_up_ = true;
        asked_.reset();
        stream_deadline_.reset();
        stream_cut_by_server_ = false;
        last_report_.clear();
        if (!worker_.joinable()) {
            worker_ = std::thread([this] { KeepLink(); });
        }
    }
    return 1;
}

void IndiSession::Disconnect() {
    guide_.Guide(0, 0);
    std::shared_ptr<IndiClient> client;
    {
        std::lock_guard lock(mutex_);
        wanted_ = false;
        link_up_ = false;
        ++generation_;
        client = std::move(client_);
        asked_.reset();
        stream_deadline_.reset();
        ReleaseBlack();
    }
    CloseClient(std::move(client));
}

void IndiSession::SetExposureSemaphore(void *semaphore) {
    semaphore_.store(semaphore, std::memory_order_relaxed);
}

void IndiSession::SetFrame(int32_t x, int32_t y, int32_t width, int32_t height) {
    std::lock_guard lock(window_mutex_);
    window_.x = x;
    window_.y = y;
    window_.width = width;
    window_.height = height;
}

void IndiSession::SetBinning(int32_t code) {
    std::lock_guard lock(window_mutex_);
    window_.bin_shift = simcam::BinShiftForCode(code);
}

void IndiSession::SetExposureTime(int32_t ms) {
    SetExposureTimeUs(static_cast<int32_t>(std::clamp<int64_t>(int64_t{ms} * 1000, 0, INT32_MAX)));
}

void IndiSession::SetExposureTimeUs(int32_t us) {
    exposure_us_.store(std::max(us, 0), std::memory_order_relaxed);
}

void IndiSession::SetSampleDepth(int32_t bits) {
    sample_bits_.store(bits == 16 ? 16 : 8, std::memory_order_relaxed);
}

SensorDescription IndiSession::Describe() const {
    std::lock_guard lock(mutex_);
    // The client keeps the newest of what the camera reported, under its own lock.
    return DescribeSensor(client_ ? client_->Description() : camera_);
}

void IndiSession::SetGain(int32_t, int32_t green, int32_t, int32_t) {
    // One gain for the whole sensor: the colour balance stays the program's.
    gain_code_.store(green, std::memory_order_relaxed);
}

void IndiSession::StartExposure(uint8_t *buffer) {
    bool request_now = false;
    {
        std::lock_guard lock(mutex_);
        // The program waits for each frame before it asks for the next; one
        // asked for early still releases the semaphore once.
        ReleaseBlack();
        // The camera may change its description (bit depth, colour pattern)
        // after connecting; the newest is used.
        if (client_) {
            camera_ = client_->Description();
        }
        const SensorInfo sensor{camera_.sensor_width, camera_.sensor_height, camera_.bayer_pattern};
        simcam::FrameWindow window;
        {
            std::lock_guard window_lock(window_mutex_);
            window = window_;
        }
        job_.active = true;
        job_.buffer = buffer;
        job_.semaphore = semaphore_.load(std::memory_order_relaxed);
        job_.request = MapWindow(window, sensor);
        // Samples as the camera makes them, in the low bits of 16-bit words.
        job_.deep_bits = sample_bits_.load(std::memory_order_relaxed) == 16
                             ? std::clamp(camera_.bit_depth, 8, 16)
                             : 0;
        request_now = link_up_;
    }
    if (request_now) {
        RequestFrame();
    } else {
        wake_.notify_all();
    }
}

void IndiSession::RequestFrame() {
    std::lock_guard send(send_mutex_);
    std::shared_ptr<IndiClient> client;
    CameraRequest request;
    bool stream_allowed = true;
    bool cut_by_server = false;
    bool restart_stream = false;
    bool deep = false;
    {
        std::lock_guard lock(mutex_);
        if (!job_.active || !link_up_ || !client_) {
            return;
        }
        if (job_.request.width == 0) {
            // An empty window (or no sensor known): nothing to read.
            ReleaseBlack();
            return;
        }
        client = client_;
        request = job_.request;
        deep = job_.deep_bits > 0;
        stream_allowed = stream_allowed_;
        cut_by_server = stream_cut_by_server_;
        restart_stream = std::exchange(restart_stream_, false);
        if (std::exchange(resend_settings_, false)) {
            applied_ = Applied{};
        }
    }
    const CameraDescription camera = client->Description();
    const int32_t exposure_us = exposure_us_.load(std::memory_order_relaxed);
    const int32_t gain_code = gain_code_.load(std::memory_order_relaxed);
    const bool streaming =
        stream_allowed && camera.can_stream && exposure_us <= STREAM_MAX_EXPOSURE_US;
    const int32_t bin = request.binning;
    const int32_t sensor_width = camera.sensor_width / bin * bin;
    const int32_t sensor_height = camera.sensor_height / bin * bin;
    const bool whole_sensor = request.x == 0 && request.y == 0 && request.width == sensor_width &&
                              request.height == sensor_height;
    const bool server_cut = streaming && cut_by_server && !whole_sensor;

    if (!applied_.valid || applied_.request != request || applied_.streaming != streaming ||
        applied_.server_cut != server_cut || restart_stream ||
        (streaming && (applied_.exposure_us != exposure_us ||
                       (camera.can_stream_full_depth && applied_.deep != deep)))) {
        // A running stream keeps its size and exposure; it is started again below.
        if (applied_.streaming) {
            client->SendSwitch("CCD_VIDEO_STREAM", "STREAM_OFF");
            applied_.streaming = false;
            StreamStopped(applied_.exposure_us);
            std::lock_guard lock(mutex_);
            stream_deadline_.reset();
        }
        const bool binned =
            client->SendNumbers("CCD_BINNING", {{"HOR_BIN", bin}, {"VER_BIN", bin}});
        // The camera reads the region itself: only so do planetary cameras
        // reach their frame rates. Where it streams nothing of a region's
        // size, the stream comes from the whole sensor and the server cuts
        // the region out (CCD_STREAM_FRAME below).
        const bool framed =
            server_cut
                ? client->SendNumbers(
                      "CCD_FRAME",
                      {{"X", 0}, {"Y", 0}, {"WIDTH", sensor_width}, {"HEIGHT", sensor_height}})
                : client->SendNumbers("CCD_FRAME", {{"X", request.x},
                                                    {"Y", request.y},
                                                    {"WIDTH", request.width},
                                                    {"HEIGHT", request.height}});
        // What could not be sent is sent again with the next exposure.
        applied_.valid = binned && framed;
        applied_.request = request;
        applied_.server_cut = server_cut;
        applied_.exposure_us = -1;
    }
    if (gain_code != applied_.gain_code && !camera.gain_property.empty() &&
        client->SendNumbers(camera.gain_property.c_str(),
                            {{camera.gain_element.c_str(),
                              CameraGain(gain_code, camera.gain_min, camera.gain_max)}})) {
        applied_.gain_code = gain_code;
    }
    if (!applied_.valid) {
        return;
    }

    AskedFrame asked{streaming, request.width / bin, request.height / bin, bin, 0};
    if (streaming) {
        asked.exposure_s = std::clamp(std::max(exposure_us, 1) / 1e6, camera.stream_exposure_min_s,
                                      camera.stream_exposure_max_s);
        if (applied_.streaming) {
            return;  // streaming as asked
        }
        {
            std::lock_guard lock(mutex_);
            asked_ = asked;
            asked_request_ = request;
            stream_deadline_.reset();
        }
        // In binned pixels of the camera's frame, from its top-left corner.
        const bool ready =
            client->SendNumbers("CCD_STREAM_FRAME", {{"X", server_cut ? request.x / bin : 0},
                                                     {"Y", server_cut ? request.y / bin : 0},
                                                     {"WIDTH", asked.width},
                                                     {"HEIGHT", asked.height}}) &&
            client->SendNumbers("STREAMING_EXPOSURE",
                                {{"STREAMING_EXPOSURE_VALUE", asked.exposure_s}});
        client->SendNumbers("LIMITS", {{"LIMITS_PREVIEW_FPS", STREAM_MAX_FPS}});
        // A stream makes deep samples 8-bit on its curve unless the camera
        // can stream them whole (newer INDI libraries).
        if (camera.can_stream_full_depth) {
            client->SendSwitch("STREAM_FULL_DEPTH", deep ? "FULL_DEPTH_16BIT" : "FULL_DEPTH_8BIT");
        } else if (deep && camera.bit_depth > 8) {
            std::lock_guard lock(mutex_);
            if (!said_stream_shallow_) {
                said_stream_shallow_ = true;
                Say("the camera streams 8-bit frames only: deep samples of exposures up to " +
                    std::to_string(STREAM_MAX_EXPOSURE_US / 1000) +
                    " ms come in 8-bit steps (OMTRIX_INDI_STREAM=off gives them whole)");
            }
        }
        // Another program's stream, still on or just switched off, needs
        // the same pause as one of ours (a longer exposure than ours counts
        // as ours at most, so that a camera left at minutes holds nothing up).
        client->StopStream(STREAM_STOP_WAIT);
        const IndiClient::StreamStop stop = client->LastStreamStop();
        const auto others_exposure = std::chrono::microseconds(static_cast<int64_t>(
            std::clamp(stop.exposure_s, 0.0, STREAM_MAX_EXPOSURE_US / 1e6) * 1e6));
        std::this_thread::sleep_until(
            std::max(stream_restart_after_, stop.at + others_exposure + STREAM_RESTART_PAUSE));
        if (ready && client->SendSwitch("CCD_VIDEO_STREAM", "STREAM_ON")) {
            applied_.streaming = true;
            applied_.exposure_us = exposure_us;
            applied_.deep = deep;
            {
                std::lock_guard lock(mutex_);
                stream_deadline_ = std::chrono::steady_clock::now() + STREAM_FRAME_WAIT;
                stream_proven_ = false;
                stream_region_by_camera_ = !server_cut && !whole_sensor;
            }
            wake_.notify_all();
        }
        return;
    }
    asked.exposure_s = std::clamp(exposure_us / 1e6, camera.exposure_min_s, camera.exposure_max_s);
    {
        std::lock_guard lock(mutex_);
        asked_ = asked;
        asked_request_ = request;
    }
    exposure_sent_ =
        client->SendNumbers("CCD_EXPOSURE", {{"CCD_EXPOSURE_VALUE", asked.exposure_s}});
}

void IndiSession::OnFrame(uint64_t generation, const FrameBlob &blob) {
    bool ask_again = false;
    {
        std::lock_guard lock(mutex_);
        if (generation != generation_ || !asked_) {
            return;  // from a closed client, or nothing asked of this one yet
        }
        const AskedFrame &asked = *asked_;
        // Stream frames from before the camera took the stream's exposure
        // are of another exposure.
        if (blob.format == ".stream" &&
            (!blob.stream_on || std::fabs(blob.stream_exposure_s - asked.exposure_s) > 0.0005)) {
            return;
        }
        const CameraRequest &request = job_.request;
        std::string error;
        // Checked even with no exposure waiting: a stream proves its region's
        // size between the program's exposures too.
        const bool waiting = job_.active && request == asked_request_;
        const Decoded decoded =
            waiting
                ? DecodeFrame(blob.data, blob.bytes, blob.format, asked, {}, job_.buffer,
                              request.frame_width, request.frame_height, error, job_.deep_bits)
                : DecodeFrame(blob.data, blob.bytes, blob.format, asked, {}, nullptr, 0, 0, error);
        switch (decoded) {
            case Decoded::Placed:
                if (asked.stream && stream_deadline_) {
                    stream_proven_ = true;
                    stream_deadline_ = std::chrono::steady_clock::now() + STREAM_FRAME_WAIT;
                }
                if (waiting) {
                    simcam::SignalFrameReady(job_.semaphore);
                    job_.active = false;
                    last_report_.clear();
                }
                break;
            case Decoded::NotAsked:
                // A stream frame is left from the camera's earlier settings,
                // and the asked one follows. A single exposure of another
                // size or binning means the camera's settings changed behind
                // the program's back (a driver resets its frame when its own
                // settings change): they are sent again, and the exposure.
                if (waiting && !asked.stream) {
                    resend_settings_ = true;
                    ask_again = true;
                }
                break;
            case Decoded::Damaged:
                ReportOnce("a frame from the camera was dropped: " + error);
                // A stream sends the next frame by itself; a single exposure
                // is asked for again.
                ask_again = waiting && !asked.stream;
                break;
        }
        rerequest_ = rerequest_ || ask_again;
    }
    if (ask_again) {
        wake_.notify_all();
    }
}

void IndiSession::OnLost(uint64_t generation) {
    {
        std::lock_guard lock(mutex_);
        if (generation != generation_ || !link_up_) {
            return;
        }
        link_up_ = false;
    }
    Say("the INDI server or its camera went away; reconnecting");
    wake_.notify_all();
}

void IndiSession::KeepLink() {
    std::unique_lock lock(mutex_);
    for (;;) {
        // Woken too when the deadline changes, to wait for the new one.
        const auto deadline = stream_deadline_;
        const auto due = [&] {
            return stopping_ || (wanted_ && !link_up_) || rerequest_ ||
                   stream_deadline_ != deadline ||
                   (deadline && std::chrono::steady_clock::now() >= *deadline);
        };
        if (deadline) {
            wake_.wait_until(lock, *deadline, due);
        } else {
            wake_.wait(lock, due);
        }
        if (stopping_) {
            return;
        }
        if (stream_deadline_ && std::chrono::steady_clock::now() >= *stream_deadline_) {
            stream_deadline_.reset();
            if (stream_region_by_camera_ && !stream_proven_) {
                stream_cut_by_server_ = true;
                Say("the camera streams no frame of a smaller region's size; it streams its "
                    "whole sensor and the server cuts the region out");
            } else {
                restart_stream_ = true;
                ReportOnce("the camera's stream sent nothing for a while; it is started again");
            }
            rerequest_ = job_.active;
        }
        if (wanted_ && !link_up_) {
            std::shared_ptr<IndiClient> old = std::move(client_);
            const CameraChoice choice = choice_;
            const uint64_t generation = ++generation_;
            asked_.reset();
            stream_deadline_.reset();
            lock.unlock();
            old.reset();
            std::string error;
            std::shared_ptr<IndiClient> fresh = OpenClient(choice, generation, error);
            {
                std::lock_guard send(send_mutex_);
                if (fresh && fresh->StopStream(STREAM_STOP_WAIT)) {
                    StreamStopped(STREAM_MAX_EXPOSURE_US);
                }
                applied_ = Applied{};
                exposure_sent_ = false;
            }
            lock.lock();
            if (stopping_ || !wanted_ || generation != generation_) {
                lock.unlock();
                fresh.reset();
                lock.lock();
                continue;
            }
            if (!fresh) {
                ReportOnce("reconnecting failed: " + error);
                wake_.wait_for(lock, RECONNECT_PAUSE, [this] { return stopping_ || !wanted_; });
                continue;
            }
            ReportMissing(*fresh);
            client_ = std::move(fresh);
            camera_ = client_->Description();
            link_up_ = true;
            rerequest_ = job_.active;
            last_report_.clear();
            Say("reconnected to the INDI camera \"" + camera_.device + "\"");
        }
        if (rerequest_) {
            rerequest_ = false;
            lock.unlock();
            RequestFrame();
            lock.lock();
        }
    }
}

void IndiSession::CancelExposure() {
    std::lock_guard send(send_mutex_);
    // Abort first, so that an exposure the program starts on the release is
    // not the one aborted.
    if (exposure_sent_) {
        std::shared_ptr<IndiClient> client;
        {
            std::lock_guard lock(mutex_);
            client = link_up_ ? client_ : nullptr;
        }
        if (client) {
            client->SendSwitch("CCD_ABORT_EXPOSURE", "ABORT");
        }
        exposure_sent_ = false;
    }
    std::lock_guard lock(mutex_);
    ReleaseBlack();
}

void IndiSession::ReleaseBlack() {
    if (!job_.active) {
        return;
    }
    if (job_.buffer != nullptr) {
        std::memset(job_.buffer, 0,
                    static_cast<size_t>(int64_t{job_.request.frame_width} *
                                        job_.request.frame_height * (job_.deep_bits > 0 ? 2 : 1)));
    }
    simcam::SignalFrameReady(job_.semaphore);
    job_.active = false;
}

void IndiSession::Guide(int32_t direction_bits, int32_t duration_ms) {
    guide_.Guide(direction_bits, duration_ms);
}

void IndiSession::SendGuidePulses(const GuidePulses &pulses) {
    std::lock_guard send(send_mutex_);
    std::shared_ptr<IndiClient> client;
    {
        std::lock_guard lock(mutex_);
        client = link_up_ ? client_ : nullptr;
    }
    if (!client) {
        return;
    }
    client->SendNumbers("TELESCOPE_TIMED_GUIDE_NS",
                        {{"TIMED_GUIDE_N", pulses.north_ms}, {"TIMED_GUIDE_S", pulses.south_ms}});
    client->SendNumbers("TELESCOPE_TIMED_GUIDE_WE",
                        {{"TIMED_GUIDE_W", pulses.west_ms}, {"TIMED_GUIDE_E", pulses.east_ms}});
}

void IndiSession::Demosaic(const uint8_t *mosaic, uint8_t *bgr, int32_t width, int32_t height) {
    simcam::DemosaicBilinear(mosaic, bgr, width, height);
}

void IndiSession::ReportOnce(const std::string &message) {
    if (message != last_report_) {
        last_report_ = message;
        Say(message);
    }
}

}  // namespace indicam

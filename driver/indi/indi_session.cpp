#include "driver/indi/indi_session.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "driver/indi/frame_decode.h"
#include "driver/indi/indi_controls.h"
#include "driver/simulator/demosaic.h"
#include "driver/simulator/exposure_thread.h"

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
    client.reset();
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
    // A stream left running by an earlier client would flood this one.
    client->SendSwitch("CCD_VIDEO_STREAM", "STREAM_OFF");
    const CameraDescription camera = client->Description();
    Say("INDI camera \"" + camera.device + "\" on " + choice.host + ":" +
        std::to_string(choice.port) + ", sensor " + std::to_string(camera.sensor_width) + " x " +
        std::to_string(camera.sensor_height) + ", " + std::to_string(camera.bit_depth) + " bits" +
        (camera.bayer_pattern.empty() ? "" : ", colour " + camera.bayer_pattern) +
        (camera.can_stream ? ", video stream" : ""));
    {
        std::lock_guard send(send_mutex_);
        applied_ = Applied{};
        exposure_sent_ = false;
    }
    {
        std::lock_guard lock(mutex_);
        client_ = std::move(client);
        camera_ = camera;
        stream_allowed_ = StreamAllowed();
        wanted_ = true;
        link_up_ = true;
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
        ReleaseBlack();
    }
    client.reset();
}

void IndiSession::SetExposureSemaphore(void *semaphore) {
    semaphore_.store(semaphore, std::memory_order_relaxed);
}

void IndiSession::SetFrame(int32_t x, int32_t y, int32_t width, int32_t height) {
    geometry_.SetFrame(x, y, width, height);
}

void IndiSession::SetExposureTime(int32_t ms) {
    exposure_ms_.store(std::max(ms, 0), std::memory_order_relaxed);
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
        const SensorInfo sensor{camera_.sensor_width, camera_.sensor_height, camera_.bit_depth,
                                camera_.bayer_pattern};
        job_.active = true;
        job_.buffer = buffer;
        job_.semaphore = semaphore_.load(std::memory_order_relaxed);
        job_.request = MapWindow(geometry_.Window(), sensor);
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
    {
        std::lock_guard lock(mutex_);
        if (!job_.active || !link_up_ || !client_) {
            return;
        }
        if (job_.request.width == 0) {
            // The window lies wholly beyond the real sensor: all black.
            ReleaseBlack();
            return;
        }
        client = client_;
        request = job_.request;
        stream_allowed = stream_allowed_;
    }
    const CameraDescription camera = client->Description();
    const int32_t exposure_ms = exposure_ms_.load(std::memory_order_relaxed);
    const int32_t gain_code = gain_code_.load(std::memory_order_relaxed);
    const bool streaming =
        stream_allowed && camera.can_stream && exposure_ms <= STREAM_MAX_EXPOSURE_MS;

    if (!applied_.valid || applied_.request != request || applied_.streaming != streaming) {
        // A running stream keeps its size; it is restarted below.
        if (applied_.streaming) {
            client->SendSwitch("CCD_VIDEO_STREAM", "STREAM_OFF");
            applied_.streaming = false;
        }
        client->SendNumbers("CCD_BINNING",
                            {{"HOR_BIN", request.binning}, {"VER_BIN", request.binning}});
        if (streaming) {
            // The stream is cut from the whole sensor by the server, through
            // CCD_STREAM_FRAME below: drivers such as the INDI simulator
            // stream nothing at all from a smaller CCD_FRAME.
            client->SendNumbers(
                "CCD_FRAME",
                {{"X", 0},
                 {"Y", 0},
                 {"WIDTH", camera.sensor_width / request.binning * request.binning},
                 {"HEIGHT", camera.sensor_height / request.binning * request.binning}});
        } else {
            client->SendNumbers("CCD_FRAME", {{"X", request.x},
                                              {"Y", request.y},
                                              {"WIDTH", request.width},
                                              {"HEIGHT", request.height}});
        }
        applied_.request = request;
        applied_.exposure_ms = -1;
    }
    if (gain_code != applied_.gain_code && !camera.gain_property.empty()) {
        client->SendNumbers(camera.gain_property.c_str(),
                            {{camera.gain_element.c_str(),
                              CameraGain(gain_code, camera.gain_min, camera.gain_max)}});
    }
    applied_.gain_code = gain_code;
    applied_.valid = true;

    if (streaming) {
        if (!applied_.streaming || applied_.exposure_ms != exposure_ms) {
            // In binned pixels of the whole sensor, from its top-left corner.
            client->SendNumbers("CCD_STREAM_FRAME", {{"X", request.x / request.binning},
                                                     {"Y", request.y / request.binning},
                                                     {"WIDTH", request.width / request.binning},
                                                     {"HEIGHT", request.height / request.binning}});
            client->SendNumbers("STREAMING_EXPOSURE",
                                {{"STREAMING_EXPOSURE_VALUE", std::max(exposure_ms, 1) / 1000.0}});
            client->SendNumbers("LIMITS", {{"LIMITS_PREVIEW_FPS", STREAM_MAX_FPS}});
            client->SendSwitch("CCD_VIDEO_STREAM", "STREAM_ON");
            applied_.streaming = true;
            applied_.exposure_ms = exposure_ms;
        }
        return;
    }
    const double seconds =
        std::clamp(exposure_ms / 1000.0, camera.exposure_min_s, camera.exposure_max_s);
    client->SendNumbers("CCD_EXPOSURE", {{"CCD_EXPOSURE_VALUE", seconds}});
    applied_.exposure_ms = exposure_ms;
    exposure_sent_ = true;
}

void IndiSession::OnFrame(uint64_t generation, const FrameBlob &blob) {
    bool ask_again = false;
    {
        std::lock_guard lock(mutex_);
        if (generation != generation_ || !job_.active) {
            return;  // a stream frame nobody waits for, or from a closed client
        }
        const CameraRequest &request = job_.request;
        std::string error;
        if (!DecodeFrame(blob.data, blob.bytes, blob.format, blob.stream_width, blob.stream_height,
                         request.placement, job_.buffer, request.frame_width, request.frame_height,
                         error)) {
            ReportOnce("a frame from the camera was dropped: " + error);
            // A stream sends the next frame by itself; a single exposure is
            // asked for again.
            ask_again = blob.format != ".stream";
        } else {
            simcam::SignalFrameReady(job_.semaphore);
            job_.active = false;
            last_report_.clear();
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
        wake_.wait(lock, [this] { return stopping_ || (wanted_ && !link_up_) || rerequest_; });
        if (stopping_) {
            return;
        }
        if (wanted_ && !link_up_) {
            std::shared_ptr<IndiClient> old = std::move(client_);
            const CameraChoice choice = choice_;
            const uint64_t generation = ++generation_;
            lock.unlock();
            old.reset();
            std::string error;
            std::shared_ptr<IndiClient> fresh = OpenClient(choice, generation, error);
            {
                std::lock_guard send(send_mutex_);
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
            fresh->SendSwitch("CCD_VIDEO_STREAM", "STREAM_OFF");
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
        std::memset(
            job_.buffer, 0,
            static_cast<size_t>(int64_t{job_.request.frame_width} * job_.request.frame_height));
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

#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>

#include "driver/camera_choice.h"
#include "driver/camera_source.h"
#include "driver/indi/frame_decode.h"
#include "driver/indi/guide_repeater.h"
#include "driver/indi/indi_client.h"
#include "driver/indi/sensor_mapping.h"

namespace indicam {

// How long connecting to the server and its camera may take.
inline constexpr std::chrono::milliseconds CONNECT_TIMEOUT{5000};
// The pause between attempts to reach a server that has gone.
inline constexpr std::chrono::milliseconds RECONNECT_PAUSE{1000};
// Exposures up to this length come from the camera's video stream, where it
// has one and OMTRIX_INDI_STREAM is not `off`; longer ones are single
// exposures.
inline constexpr int32_t STREAM_MAX_EXPOSURE_US = 100000;
// The stream rate asked of the server (its highest).
inline constexpr double STREAM_MAX_FPS = 120;
// How long a stream may go without a frame of the asked size. A camera
// asked for a smaller region that sends none in this time from its start
// streams its whole sensor instead, and the server cuts the region out;
// any other stream is switched off and on again.
inline constexpr std::chrono::milliseconds STREAM_FRAME_WAIT{2500};
// How long the program's end and a disconnection wait for the camera to
// report its stream off.
inline constexpr std::chrono::milliseconds STREAM_STOP_WAIT{1000};
// A stream switched off, by this program or another, is switched on again
// no sooner than its exposure and this pause later. The INDI simulator's
// stream thread finishes the frame it is making after the stream is off (a
// few hundred ms on a busy machine); switched on before that, it takes
// 1 / exposure for the exposure (100 s at 10 ms) and sends nothing until then.
inline constexpr std::chrono::milliseconds STREAM_RESTART_PAUSE{1000};

// A camera behind an INDI server. The server's frames arrive on the client
// library's reading thread, which places them in the program's buffer and
// releases the semaphore. A worker thread reconnects when the server or the
// camera goes away; an exposure started meanwhile waits for it (or for the
// program's cancel).
class IndiSession final : public CameraSource {
  public:
    IndiSession();
    ~IndiSession() override;

    // Stops reconnecting and closes the connection, for good; waits for the
    // library's reading thread. Called again, it does nothing.
    void Close();

    // The server and camera that the next Connect reaches.
    void Choose(const CameraChoice &choice);

    int32_t Connect() override;
    void Disconnect() override;
    void SetNoiseReduction(bool) override {}
    void SetExposureSemaphore(void *semaphore) override;
    void SetFrame(int32_t x, int32_t y, int32_t width, int32_t height) override;
    void SetBinning(int32_t code) override;
    void SetExposureTime(int32_t ms) override;
    void SetExposureTimeUs(int32_t us) override;
    void SetSampleDepth(int32_t bits) override;
    // From the GUI thread; the camera's properties come on the library's.
    SensorDescription Describe() const override;
    void SetGain(int32_t red, int32_t green, int32_t blue, int32_t green2) override;
    void SetFastTransfer(bool) override {}
    void StartExposure(uint8_t *buffer) override;
    void CancelExposure() override;
    void SetVerticalBlanking(int32_t) override {}
    void Guide(int32_t direction_bits, int32_t duration_ms) override;
    void Demosaic(const uint8_t *mosaic, uint8_t *bgr, int32_t width, int32_t height) override;

  private:
    // The exposure the program is waiting for.
    struct Job {
        bool active = false;
        uint8_t *buffer = nullptr;
        void *semaphore = nullptr;
        CameraRequest request;
        // 0: 8-bit samples; else 16-bit ones of this many bits (PlaceImage).
        int32_t deep_bits = 0;
    };
    // What the camera was last told, as far as it took it.
    struct Applied {
        bool valid = false;  // binning and frame
        CameraRequest request;
        bool server_cut = false;  // the frame is the whole sensor, the stream's frame the region
        int32_t gain_code = -1;
        int32_t exposure_us = -1;  // of the stream
        bool streaming = false;
        bool deep = false;  // the stream's depth as last asked
    };

    std::shared_ptr<IndiClient> OpenClient(const CameraChoice &choice, uint64_t generation,
                                           std::string &error);
    void OnFrame(uint64_t generation, const FrameBlob &blob);
    void OnLost(uint64_t generation);
    void KeepLink();
    // Programs the camera for the waiting exposure and asks for its frame.
    void RequestFrame();
    // Switches a stream this client started off and closes the client.
    void CloseClient(std::shared_ptr<IndiClient> client);
    // Notes a stream of `exposure_us` switched off; under send_mutex_.
    void StreamStopped(int32_t exposure_us);
    // Says once per connection which properties the camera lacks.
    void ReportMissing(const IndiClient &client);
    // Ends the waiting exposure with a black frame; under mutex_.
    void ReleaseBlack();
    void ReportOnce(const std::string &message);
    void SendGuidePulses(const GuidePulses &pulses);

    // The program's window as it set it, fitted to the sensor when an
    // exposure starts.
    std::mutex window_mutex_;
    simcam::FrameWindow window_;  // under window_mutex_
    std::atomic<int32_t> exposure_us_{100000};
    std::atomic<int32_t> sample_bits_{8};
    std::atomic<int32_t> gain_code_{8};
    std::atomic<void *> semaphore_{nullptr};

    // One send to the server at a time. Taken before mutex_, never inside it:
    // the reading thread may wait for mutex_ while the library holds its
    // socket.
    std::mutex send_mutex_;
    Applied applied_;             // under send_mutex_
    bool exposure_sent_ = false;  // a single exposure is running; under send_mutex_
    std::chrono::steady_clock::time_point stream_restart_after_;  // under send_mutex_

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    CameraChoice choice_;
    std::shared_ptr<IndiClient> client_;
    uint64_t generation_ = 0;  // of client_; events of older clients are ignored
    bool wanted_ = false;      // the program has connected; keep the link up
    bool link_up_ = false;
    bool rerequest_ = false;
    bool stopping_ = false;
    Job job_;
    // What the camera was last asked for: the frames it sends are checked
    // against it. Unset while nothing has been asked of this client.
    std::optional<AskedFrame> asked_;
    CameraRequest asked_request_;
    // While the stream runs: by this time it must send a frame of the
    // asked size.
    std::optional<std::chrono::steady_clock::time_point> stream_deadline_;
    bool stream_proven_ = false;            // it has sent one since it started
    bool stream_region_by_camera_ = false;  // the camera reads a smaller region itself
    bool restart_stream_ = false;
    bool resend_settings_ = false;  // the camera's frame or binning changed
    // The camera streams nothing or the wrong size from a smaller region:
    // it streams the whole sensor and the server cuts the region out.
    bool stream_cut_by_server_ = false;
    std::set<std::string> reported_missing_;
    bool said_stream_shallow_ = false;  // that deep samples stream in 8-bit steps
    CameraDescription camera_;
    bool stream_allowed_ = true;  // OMTRIX_INDI_STREAM
    std::string last_report_;
    std::thread worker_;
    // Last, so that it stops renewing before the rest goes.
    GuideRepeater guide_{[this](const GuidePulses &pulses) { SendGuidePulses(pulses); }};
};

}  // namespace indicam

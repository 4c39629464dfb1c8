#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "driver/camera_choice.h"
#include "driver/camera_source.h"
#include "driver/indi/guide_repeater.h"
#include "driver/indi/indi_client.h"
#include "driver/indi/sensor_mapping.h"
#include "driver/simulator/frame_geometry.h"

namespace indicam {

// How long connecting to the server and its camera may take.
inline constexpr std::chrono::milliseconds CONNECT_TIMEOUT{5000};
// The pause between attempts to reach a server that has gone.
inline constexpr std::chrono::milliseconds RECONNECT_PAUSE{1000};
// Exposures up to this length come from the camera's video stream, where it
// has one and OMTRIX_INDI_STREAM is not `off`; longer ones are single
// exposures.
inline constexpr int32_t STREAM_MAX_EXPOSURE_MS = 100;
// The stream rate asked of the server (its highest).
inline constexpr double STREAM_MAX_FPS = 120;

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
    void SetBinning(int32_t code) override { geometry_.SetBinning(code); }
    void SetExposureTime(int32_t ms) override;
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
    };
    // What the camera was last told.
    struct Applied {
        bool valid = false;
        CameraRequest request;
        int32_t gain_code = -1;
        int32_t exposure_ms = -1;
        bool streaming = false;
    };

    std::shared_ptr<IndiClient> OpenClient(const CameraChoice &choice, uint64_t generation,
                                           std::string &error);
    void OnFrame(uint64_t generation, const FrameBlob &blob);
    void OnLost(uint64_t generation);
    void KeepLink();
    // Programs the camera for the waiting exposure and asks for its frame.
    void RequestFrame();
    // Ends the waiting exposure with a black frame; under mutex_.
    void ReleaseBlack();
    void ReportOnce(const std::string &message);
    void SendGuidePulses(const GuidePulses &pulses);

    simcam::FrameGeometry geometry_;
    std::atomic<int32_t> exposure_ms_{100};
    std::atomic<int32_t> gain_code_{8};
    std::atomic<void *> semaphore_{nullptr};

    // One send to the server at a time. Taken before mutex_, never inside it:
    // the reading thread may wait for mutex_ while the library holds its
    // socket.
    std::mutex send_mutex_;
    Applied applied_;             // under send_mutex_
    bool exposure_sent_ = false;  // a single exposure is running; under send_mutex_

    std::mutex mutex_;
    std::condition_variable wake_;
    CameraChoice choice_;
    std::shared_ptr<IndiClient> client_;
    uint64_t generation_ = 0;  // of client_; events of older clients are ignored
    bool wanted_ = false;      // the program has connected; keep the link up
    bool link_up_ = false;
    bool rerequest_ = false;
    bool stopping_ = false;
    Job job_;
    CameraDescription camera_;
    bool stream_allowed_ = true;  // OMTRIX_INDI_STREAM
    std::string last_report_;
    std::thread worker_;
    // Last, so that it stops renewing before the rest goes.
    GuideRepeater guide_{[this](const GuidePulses &pulses) { SendGuidePulses(pulses); }};
};

}  // namespace indicam

#pragma once

#include <libindi/baseclient.h>
#include <libindi/basedevice.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "driver/camera_choice.h"

namespace indicam {

// What the camera has told about itself, as the server last reported it.
struct CameraDescription {
    std::string device;
    int32_t sensor_width = 0;
    int32_t sensor_height = 0;
    int32_t bit_depth = 8;
    double pixel_size_um = 0;   // 0: unknown
    std::string bayer_pattern;  // empty: mono
    bool can_stream = false;
    bool can_guide = false;
    // Where the gain lives: CCD_GAIN.GAIN, or an element of CCD_CONTROLS.
    std::string gain_property;
    std::string gain_element;
    double gain_min = 0;
    double gain_max = 0;
    double exposure_min_s = 0;
    double exposure_max_s = 3600;
    double exposure_step_s = 0;
    double stream_exposure_min_s = 0;  // STREAMING_EXPOSURE's range
    double stream_exposure_max_s = 3600;
    bool can_stream_full_depth = false;  // STREAM_FULL_DEPTH: 16-bit stream frames
};

// A picture as the camera's image property delivered it; its bytes live only
// during the call that hands it on.
struct FrameBlob {
    const uint8_t *data = nullptr;
    size_t bytes = 0;
    std::string_view format;
    // The stream as the camera last reported it when the picture came.
    bool stream_on = false;
    double stream_exposure_s = -1;
};

// One connection to an INDI server and one camera on it. The library calls
// the overrides on its own reading thread; they only note what changed and
// hand frames on. The sends may come from any thread, one at a time.
class IndiClient final : public INDI::BaseClient {
  public:
    struct Events {
        std::function<void(const FrameBlob &blob)> frame;
        // The server or the camera went away.
        std::function<void()> lost;
    };

    IndiClient(const CameraChoice &choice, Events events);
    ~IndiClient() override;

    // Connects to the server, finds the camera, connects it and waits until
    // it has described its sensor, all within `timeout`. False with the
    // reason in `error`.
    bool Open(std::chrono::milliseconds timeout, std::string &error);
    CameraDescription Description() const;
    // The properties the settings need that the camera had not defined when
    // Open gave up waiting for them.
    std::vector<std::string> Missing() const;

    // Sends the whole number property with new values for the elements
    // named; false when the camera has no such property or element.
    bool SendNumbers(const char *property,
                     const std::vector<std::pair<const char *, double>> &values);
    // Sends the whole switch property with `element` on and every other
    // member off; false when the camera has no such property or element.
    bool SendSwitch(const char *property, const char *element);
    // Switches the video stream off where the camera reports it on, and
    // waits up to `timeout` for the camera to report it off. True when it
    // was on.
    bool StopStream(std::chrono::milliseconds timeout);

    // When the camera last reported its stream switched off, by this
    // program or another, and the stream's exposure then; a default time
    // point while it has not.
    struct StreamStop {
        std::chrono::steady_clock::time_point at;
        double exposure_s = 0;
    };
    StreamStop LastStreamStop() const;

  protected:
    void newDevice(INDI::BaseDevice device) override;
    void newProperty(INDI::Property property) override;
    void updateProperty(INDI::Property property) override;
    void removeProperty(INDI::Property property) override;
    void removeDevice(INDI::BaseDevice device) override;
    void serverDisconnected(int exit_code) override;
    // Messages the server addresses to no device, or for devices this client
    // does not watch: the library would print each on stderr.
    void newUniversalMessage(std::string) override {}

  private:
    // Notes what a property says about the camera; under mutex_.
    void Note(const INDI::Property &property);
    bool IsCamera(const char *device) const;
    // The properties the settings need that are not defined yet; under mutex_.
    std::vector<std::string> Undefined() const;
    void ReportLost();

    const CameraChoice choice_;
    const Events events_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    CameraDescription description_;
    bool connection_seen_ = false;
    bool camera_connected_ = false;
    bool has_image_property_ = false;
    bool updated_ = false;  // a property update has been read
    bool connect_failed_ = false;
    bool lost_ = false;
    std::set<std::string, std::less<>> defined_;  // the camera's properties
    std::vector<std::string> missing_;
    bool stream_on_ = false;         // CCD_VIDEO_STREAM as last reported
    double stream_exposure_s_ = -1;  // STREAMING_EXPOSURE as last reported
    StreamStop stream_stop_;
    std::thread::id reader_thread_;  // the library's, from its first report
};

}  // namespace indicam

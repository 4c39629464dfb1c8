#pragma once

#include <libindi/baseclient.h>
#include <libindi/basedevice.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
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
    std::string bayer_pattern;  // empty: mono
    int32_t stream_width = 0;   // CCD_STREAM_FRAME, the size of stream frames
    int32_t stream_height = 0;
    bool can_stream = false;
    bool can_guide = false;
    // Where the gain lives: CCD_GAIN.GAIN, or an element of CCD_CONTROLS.
    std::string gain_property;
    std::string gain_element;
    double gain_min = 0;
    double gain_max = 0;
    double exposure_min_s = 0;
    double exposure_max_s = 3600;
};

// A picture as the camera's image property delivered it; its bytes live only
// during the call that hands it on.
struct FrameBlob {
    const uint8_t *data = nullptr;
    size_t bytes = 0;
    std::string_view format;
    int32_t stream_width = 0;  // the size of stream frames when it came
    int32_t stream_height = 0;
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

    // Sends new values for elements of a number property of the camera; false
    // when the camera has no such property.
    bool SendNumbers(const char *property,
                     const std::vector<std::pair<const char *, double>> &values);
    // Turns one element of a switch property on.
    bool SendSwitch(const char *property, const char *element);

  protected:
    void newDevice(INDI::BaseDevice device) override;
    void newProperty(INDI::Property property) override;
    void updateProperty(INDI::Property property) override;
    void removeDevice(INDI::BaseDevice device) override;
    void serverDisconnected(int exit_code) override;

  private:
    // Notes what a property says about the camera; under mutex_.
    void Note(const INDI::Property &property);
    bool IsCamera(const char *device) const;
    void ReportLost();

    const CameraChoice choice_;
    const Events events_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    CameraDescription description_;
    bool connection_seen_ = false;
    bool camera_connected_ = false;
    bool has_image_property_ = false;
    bool lost_ = false;
    // The library's reading thread calls into this object until it has
    // reported the server gone, also while this object is being destroyed:
    // the destructor waits for that report.
    bool reading_ = false;      // a connection was made, so the thread runs
    bool server_gone_ = false;  // the thread's last call has been made
};

}  // namespace indicam

#include "driver/indi/indi_client.h"

#include <libindi/indipropertyblob.h>
#include <libindi/indipropertynumber.h>
#include <libindi/indipropertyswitch.h>
#include <libindi/indipropertytext.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "driver/indi/device_listing.h"
#include "driver/indi/sigpipe_block.h"

namespace indicam {

namespace {

constexpr const char *IMAGE_PROPERTY = "CCD1";
constexpr std::chrono::milliseconds STREAM_PROPERTY_WAIT{1000};

double NumberValue(const INDI::PropertyNumber &number, const char *element, double fallback) {
    const auto *widget = number.findWidgetByName(element);
    return widget != nullptr ? widget->getValue() : fallback;
}

}  // namespace

IndiClient::IndiClient(const CameraChoice &choice, Events events)
    : choice_(choice), events_(std::move(events)) {
    setServer(choice_.host.c_str(), static_cast<unsigned int>(choice_.port));
    if (!choice_.device.empty()) {
        description_.device = choice_.device;
        watchDevice(choice_.device.c_str());
    }
}

IndiClient::~IndiClient() {
    if (isServerConnected()) {
        const SigpipeBlock no_sigpipe;
        disconnectServer();
    }
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, READER_END_WAIT, [this] { return !reading_ || server_gone_; });
}

bool IndiClient::Open(std::chrono::milliseconds timeout, std::string &error) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    const std::string server = choice_.host + ":" + std::to_string(choice_.port);
    setConnectionTimeout(static_cast<uint32_t>(timeout.count() / 1000),
                         static_cast<uint32_t>(timeout.count() % 1000) * 1000);
    // The library's reading thread starts here and takes this thread's
    // signal mask with it: its own writes to the server (the first request
    // for the properties) then fail, not kill the program, when the server
    // has gone.
    bool connected = false;
    {
        const SigpipeBlock no_sigpipe;
        connected = connectServer();
    }
    if (!connected) {
        error = "no INDI server answers at " + server;
        return false;
    }
    {
        std::lock_guard lock(mutex_);
        reading_ = true;
    }
    std::unique_lock lock(mutex_);
    if (!changed_.wait_until(lock, deadline, [&] {
            return lost_ || (!description_.device.empty() && connection_seen_);
        })) {
        error = choice_.device.empty() ? "the INDI server at " + server + " offers no camera"
                                       : "the INDI server at " + server +
                                             " has no camera named \"" + choice_.device + "\"";
        return false;
    }
    if (lost_) {
        error = "the INDI server at " + server + " closed the connection";
        return false;
    }
    const std::string device = description_.device;
    if (!camera_connected_) {
        lock.unlock();
        const SigpipeBlock no_sigpipe;
        connectDevice(device.c_str());
        lock.lock();
    }
    if (!changed_.wait_until(lock, deadline,
                             [&] {
                                 return lost_ || (camera_connected_ && has_image_property_ &&
                                                  description_.sensor_width > 0 &&
                                                  description_.sensor_height > 0 &&
                                                  description_.bit_depth > 0);
                             }) ||
        lost_) {
        error = "the camera \"" + device + "\" on " + server + " did not connect";
        return false;
    }
    // The stream's properties follow the camera's own in the same burst;
    // a camera without a stream costs this wait once per connection.
    changed_.wait_for(lock, STREAM_PROPERTY_WAIT, [&] { return lost_ || description_.can_stream; });
    lock.unlock();

    // Frames as FITS, sent to this client: stored on the server's disk or
    // compressed they would be of no use here.
    SendSwitch("UPLOAD_MODE", "UPLOAD_CLIENT");
    SendSwitch("CCD_COMPRESSION", "INDI_DISABLED");
    SendSwitch("CCD_TRANSFER_FORMAT", "FORMAT_FITS");
    return true;
}

CameraDescription IndiClient::Description() const {
    std::lock_guard lock(mutex_);
    return description_;
}

bool IndiClient::SendNumbers(const char *property,
                             const std::vector<std::pair<const char *, double>> &values) {
    const std::string device = Description().device;
    INDI::PropertyNumber number = getDevice(device.c_str()).getNumber(property);
    if (!number.isValid()) {
        return false;
    }
    const SigpipeBlock no_sigpipe;
    for (const auto &[element, value] : values) {
        if (auto *widget = number.findWidgetByName(element)) {
            widget->setValue(value);
        }
    }
    sendNewNumber(number);
    return true;
}

bool IndiClient::SendSwitch(const char *property, const char *element) {
    const std::string device = Description().device;
    INDI::PropertySwitch switches = getDevice(device.c_str()).getSwitch(property);
    if (!switches.isValid() || switches.findWidgetByName(element) == nullptr) {
        return false;
    }
    const SigpipeBlock no_sigpipe;
    sendNewSwitch(device.c_str(), property, element);
    return true;
}

void IndiClient::newDevice(INDI::BaseDevice) {}

void IndiClient::newProperty(INDI::Property property) {
    // Frames come to this client, whole: asked for here, on the client's
    // reading thread, because the library keeps its BLOB modes unguarded
    // from that thread.
    if (property.getType() == INDI_BLOB && property.isNameMatch(IMAGE_PROPERTY)) {
        const SigpipeBlock no_sigpipe;
        setBLOBMode(B_ALSO, property.getDeviceName(), IMAGE_PROPERTY);
    }
    {
        std::lock_guard lock(mutex_);
        Note(property);
        changed_.notify_all();
    }
}

void IndiClient::updateProperty(INDI::Property property) {
    if (property.getType() == INDI_BLOB && property.isNameMatch(IMAGE_PROPERTY)) {
        FrameBlob frame;
        bool ours = false;
        {
            std::lock_guard lock(mutex_);
            ours = IsCamera(property.getDeviceName());
            frame.stream_width = description_.stream_width;
            frame.stream_height = description_.stream_height;
        }
        INDI::PropertyBlob blob(property);
        if (ours && events_.frame && blob.size() > 0) {
            const auto &image = blob[0];
            frame.data = static_cast<const uint8_t *>(image.getBlob());
            frame.bytes = static_cast<size_t>(std::max(image.getBlobLen(), 0));
            frame.format = image.getFormat() != nullptr ? image.getFormat() : "";
            events_.frame(frame);
        }
        return;
    }
    bool lost = false;
    {
        std::lock_guard lock(mutex_);
        const bool was_connected = camera_connected_;
        Note(property);
        lost = was_connected && !camera_connected_;
        changed_.notify_all();
    }
    if (lost) {
        ReportLost();
    }
}

void IndiClient::removeDevice(INDI::BaseDevice device) {
    bool lost = false;
    {
        std::lock_guard lock(mutex_);
        lost = IsCamera(device.getDeviceName());
    }
    if (lost) {
        ReportLost();
    }
}

void IndiClient::serverDisconnected(int) {
    ReportLost();
    std::lock_guard lock(mutex_);
    server_gone_ = true;
    changed_.notify_all();
}

void IndiClient::ReportLost() {
    {
        std::lock_guard lock(mutex_);
        if (lost_) {
            return;
        }
        lost_ = true;
        changed_.notify_all();
    }
    if (events_.lost) {
        events_.lost();
    }
}

bool IndiClient::IsCamera(const char *device) const {
    return device != nullptr && !description_.device.empty() && description_.device == device;
}

void IndiClient::Note(const INDI::Property &property) {
    const char *device = property.getDeviceName();
    if (description_.device.empty() && SaysCamera(property)) {
        description_.device = device;
        // What the camera defined before it said it was one.
        for (const INDI::Property &earlier : property.getBaseDevice().getProperties()) {
            if (!earlier.isNameMatch("DRIVER_INFO")) {
                Note(earlier);
            }
        }
    }
    if (!IsCamera(device)) {
        return;
    }
    CameraDescription &camera = description_;
    switch (property.getType()) {
        case INDI_NUMBER: {
            INDI::PropertyNumber number(property);
            if (number.isNameMatch("CCD_INFO")) {
                camera.sensor_width = static_cast<int32_t>(NumberValue(number, "CCD_MAX_X", 0));
                camera.sensor_height = static_cast<int32_t>(NumberValue(number, "CCD_MAX_Y", 0));
                camera.bit_depth = static_cast<int32_t>(NumberValue(number, "CCD_BITSPERPIXEL", 8));
            } else if (number.isNameMatch("CCD_STREAM_FRAME")) {
                camera.stream_width = static_cast<int32_t>(NumberValue(number, "WIDTH", 0));
                camera.stream_height = static_cast<int32_t>(NumberValue(number, "HEIGHT", 0));
            } else if (number.isNameMatch("CCD_EXPOSURE")) {
                if (const auto *exposure = number.findWidgetByName("CCD_EXPOSURE_VALUE")) {
                    camera.exposure_min_s = exposure->getMin();
                    camera.exposure_max_s = exposure->getMax();
                }
            } else if (number.isNameMatch("TELESCOPE_TIMED_GUIDE_NS")) {
                camera.can_guide = true;
            } else if (number.isNameMatch("CCD_GAIN") || number.isNameMatch("CCD_CONTROLS")) {
                // CCD_GAIN is the standard; CCD_CONTROLS only where it is absent.
                const bool standard = number.isNameMatch("CCD_GAIN");
                const auto *gain = number.findWidgetByName(standard ? "GAIN" : "Gain");
                if (gain != nullptr && (standard || camera.gain_property != "CCD_GAIN")) {
                    camera.gain_property = number.getName();
                    camera.gain_element = gain->getName();
                    camera.gain_min = gain->getMin();
                    camera.gain_max = gain->getMax();
                }
            }
            break;
        }
        case INDI_SWITCH: {
            INDI::PropertySwitch switches(property);
            if (switches.isNameMatch("CONNECTION")) {
                const auto *connect = switches.findWidgetByName("CONNECT");
                camera_connected_ = connect != nullptr && connect->getState() == ISS_ON;
                connection_seen_ = true;
            } else if (switches.isNameMatch("CCD_VIDEO_STREAM")) {
                camera.can_stream = true;
            }
            break;
        }
        case INDI_TEXT: {
            INDI::PropertyText text(property);
            if (text.isNameMatch("CCD_CFA")) {
                const auto *type = text.findWidgetByName("CFA_TYPE");
                camera.bayer_pattern =
                    type != nullptr && type->getText() != nullptr ? type->getText() : "";
            }
            break;
        }
        case INDI_BLOB:
            has_image_property_ = has_image_property_ || property.isNameMatch(IMAGE_PROPERTY);
            break;
        default:
            break;
    }
}

}  // namespace indicam

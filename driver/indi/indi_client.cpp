#include "driver/indi/indi_client.h"

#include <libindi/indipropertyblob.h>
#include <libindi/indipropertynumber.h>
#include <libindi/indipropertyswitch.h>
#include <libindi/indipropertytext.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "driver/indi/device_listing.h"
#include "driver/indi/sensor_mapping.h"
#include "driver/indi/sigpipe_block.h"

namespace indicam {

namespace {

constexpr const char *IMAGE_PROPERTY = "CCD1";
constexpr std::chrono::milliseconds STREAM_PROPERTY_WAIT{1000};
// How long the properties the settings need may take to follow the camera's
// connection; a camera still without one then lacks it for good.
constexpr std::chrono::milliseconds PROPERTY_WAIT{2000};

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
    // ~BaseClient empties the library's device tables before its socket
    // ends the reading thread, which may still be reading into them: the
    // thread must be over first. disconnectServer returns once the thread
    // has closed the socket, its last step (libindi 1.9.9). A stream keeps
    // the thread busy; it is stopped before, see StopStream.
    bool reading_ended = true;
    if (isServerConnected()) {
        const SigpipeBlock no_sigpipe;
        reading_ended = disconnectServer();
    }
    if (reading_ended) {
        for (const INDI::BaseDevice &device : getDevices()) {
            ReleaseDeviceProperties(device);
        }
    }
    // A connection that failed ends with the reading thread's report of the
    // server gone, its last call into this object: it may come after
    // connectServer has given up waiting.
    std::unique_lock lock(mutex_);
    if (connect_failed_) {
        changed_.wait_for(lock, READER_END_WAIT, [this] { return lost_; });
    }
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
        std::lock_guard lock(mutex_);
        connect_failed_ = true;
        error = "no INDI server answers at " + server;
        return false;
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
    // The rest of what the settings need comes after the connection too,
    // from some drivers seconds later: settings sent before would be lost.
    changed_.wait_until(lock, std::min(deadline, std::chrono::steady_clock::now() + PROPERTY_WAIT),
                        [&] { return lost_ || Undefined().empty(); });
    missing_ = Undefined();
    lock.unlock();

    // Frames as FITS, sent to this client: stored on the server's disk or
    // compressed they would be of no use here.
    SendSwitch("UPLOAD_MODE", "UPLOAD_CLIENT");
    SendSwitch("CCD_COMPRESSION", "INDI_DISABLED");
    SendSwitch("CCD_TRANSFER_FORMAT", "FORMAT_FITS");
    // The camera's answer is the first property update (set…Vector) this
    // client reads. libindi 1.9.9 makes the tables it reads updates with
    // (static locals) on the first one and destroys them at the program's
    // end, before any handler registered earlier runs: the handler that
    // closes this client at the end is registered after Open returns, so
    // it must run after they are made. A camera already connected sends
    // none before.
    lock.lock();
    changed_.wait_until(lock, deadline, [this] { return lost_ || updated_; });
    return true;
}

CameraDescription IndiClient::Description() const {
    std::lock_guard lock(mutex_);
    return description_;
}

std::vector<std::string> IndiClient::Missing() const {
    std::lock_guard lock(mutex_);
    return missing_;
}

std::vector<std::string> IndiClient::Undefined() const {
    std::vector<std::string> names;
    const auto need = [&](const char *name) {
        if (!defined_.contains(name)) {
            names.emplace_back(name);
        }
    };
    for (const char *name :
         {"UPLOAD_MODE", "CCD_TRANSFER_FORMAT", "CCD_FRAME", "CCD_BINNING", "CCD_EXPOSURE"}) {
        need(name);
    }
    if (description_.gain_property.empty()) {
        names.emplace_back("CCD_GAIN");
    }
    if (description_.can_stream) {
        for (const char *name : {"CCD_STREAM_FRAME", "STREAMING_EXPOSURE", "LIMITS"}) {
            need(name);
        }
    }
    return names;
}

bool IndiClient::SendNumbers(const char *property,
                             const std::vector<std::pair<const char *, double>> &values) {
    const std::string device = Description().device;
    const INDI::PropertyNumber current = getDevice(device.c_str()).getNumber(property);
    if (!current.isValid()) {
        return false;
    }
    // A copy of our own, sent whole: the library's copy is the server's word,
    // kept by the reading thread.
    INDI::PropertyNumber request(current.size());
    request.setDeviceName(device.c_str());
    request.setName(property);
    for (size_t i = 0; i < current.size(); ++i) {
        request[i].setName(current[i].getName());
        request[i].setValue(current[i].getValue());
    }
    for (const auto &[element, value] : values) {
        auto *widget = request.findWidgetByName(element);
        if (widget == nullptr) {
            return false;
        }
        widget->setValue(value);
    }
    const SigpipeBlock no_sigpipe;
    sendNewNumber(request);
    return true;
}

bool IndiClient::SendSwitch(const char *property, const char *element) {
    const std::string device = Description().device;
    const INDI::PropertySwitch current = getDevice(device.c_str()).getSwitch(property);
    if (!current.isValid() || current.findWidgetByName(element) == nullptr) {
        return false;
    }
    // The library's own sendNewSwitch(device, property, element) turns the
    // element on in its copy, leaving the others as they are, and sends the
    // first member that is on: with the stream on, STREAM_OFF went out as
    // STREAM_ON. A copy of our own with every member's state says exactly
    // what is meant; as any-of-many it goes out whole, not as its first
    // member on.
    INDI::PropertySwitch request(current.size());
    request.setDeviceName(device.c_str());
    request.setName(property);
    request.setRule(ISR_NOFMANY);
    for (size_t i = 0; i < current.size(); ++i) {
        request[i].setName(current[i].getName());
        request[i].setState(current[i].isNameMatch(element) ? ISS_ON : ISS_OFF);
    }
    const SigpipeBlock no_sigpipe;
    sendNewSwitch(request);
    return true;
}

bool IndiClient::StopStream(std::chrono::milliseconds timeout) {
    {
        std::lock_guard lock(mutex_);
        if (!stream_on_ || lost_) {
            return false;
        }
    }
    if (!SendSwitch("CCD_VIDEO_STREAM", "STREAM_OFF")) {
        return false;
    }
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, timeout, [this] { return !stream_on_ || lost_; });
    return true;
}

IndiClient::StreamStop IndiClient::LastStreamStop() const {
    std::lock_guard lock(mutex_);
    return stream_stop_;
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
        reader_thread_ = std::this_thread::get_id();
        Note(property);
        changed_.notify_all();
    }
}

void IndiClient::updateProperty(INDI::Property property) {
    {
        std::lock_guard lock(mutex_);
        updated_ = true;
        changed_.notify_all();
    }
    if (property.getType() == INDI_BLOB && property.isNameMatch(IMAGE_PROPERTY)) {
        FrameBlob frame;
        bool ours = false;
        {
            std::lock_guard lock(mutex_);
            ours = IsCamera(property.getDeviceName());
            frame.stream_on = stream_on_;
            frame.stream_exposure_s = stream_exposure_s_;
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

void IndiClient::removeProperty(INDI::Property property) {
    std::lock_guard lock(mutex_);
    if (IsCamera(property.getDeviceName()) && property.getName() != nullptr) {
        defined_.erase(std::string(property.getName()));
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
    // The library forgets the device right after this call.
    ReleaseDeviceProperties(device);
}

void IndiClient::serverDisconnected(int) {
    bool from_reader = false;
    {
        std::lock_guard lock(mutex_);
        from_reader = reader_thread_ == std::this_thread::get_id();
    }
    ReportLost();
    // The library forgets its devices right after this call. A send that
    // failed makes the library call it on the sending thread, while its
    // reading thread may still be reading a picture into their buffers
    // (libindi 1.9.9): those are then left to the library rather than
    // freed under that thread.
    if (from_reader) {
        for (const INDI::BaseDevice &device : getDevices()) {
            ReleaseDeviceProperties(device);
        }
    }
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
    if (property.getName() != nullptr) {
        defined_.emplace(property.getName());
    }
    CameraDescription &camera = description_;
    switch (property.getType()) {
        case INDI_NUMBER: {
            INDI::PropertyNumber number(property);
            if (number.isNameMatch("CCD_INFO")) {
                camera.sensor_width = static_cast<int32_t>(NumberValue(number, "CCD_MAX_X", 0));
                camera.sensor_height = static_cast<int32_t>(NumberValue(number, "CCD_MAX_Y", 0));
                camera.bit_depth = static_cast<int32_t>(NumberValue(number, "CCD_BITSPERPIXEL", 8));
                camera.pixel_size_um = NumberValue(number, "CCD_PIXEL_SIZE", 0);
            } else if (number.isNameMatch("STREAMING_EXPOSURE")) {
                if (const auto *exposure = number.findWidgetByName("STREAMING_EXPOSURE_VALUE")) {
                    stream_exposure_s_ = exposure->getValue();
                    camera.stream_exposure_min_s = exposure->getMin();
                    camera.stream_exposure_max_s = exposure->getMax();
                }
            } else if (number.isNameMatch("CCD_EXPOSURE")) {
                if (const auto *exposure = number.findWidgetByName("CCD_EXPOSURE_VALUE")) {
                    camera.exposure_min_s = exposure->getMin();
                    camera.exposure_max_s = exposure->getMax();
                    camera.exposure_step_s = exposure->getStep();
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
                const auto *on = switches.findWidgetByName("STREAM_ON");
                const bool was_on = stream_on_;
                stream_on_ = on != nullptr && on->getState() == ISS_ON;
                if (was_on && !stream_on_) {
                    stream_stop_ = {std::chrono::steady_clock::now(), stream_exposure_s_};
                }
            } else if (switches.isNameMatch("STREAM_FULL_DEPTH")) {
                camera.can_stream_full_depth = true;
            }
            break;
        }
        case INDI_TEXT: {
            INDI::PropertyText text(property);
            if (text.isNameMatch("CCD_CFA")) {
                const auto value = [&](const char *name) -> const char * {
                    const auto *widget = text.findWidgetByName(name);
                    return widget != nullptr && widget->getText() != nullptr ? widget->getText()
                                                                             : "";
                };
                camera.bayer_pattern =
                    PatternAtOffset(value("CFA_TYPE"), std::atoi(value("CFA_OFFSET_X")),
                                    std::atoi(value("CFA_OFFSET_Y")));
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

#include "driver/indi/device_listing.h"

#include <libindi/baseclient.h>
#include <libindi/basedevice.h>
#include <libindi/indipropertyblob.h>
#include <libindi/indipropertytext.h>

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <mutex>

#include "driver/indi/sigpipe_block.h"

// libindiclient's deallocator for BLOB buffers (shared memory or malloc);
// its header declares it only for builds with shared BLOBs.
extern "C" void IDSharedBlobFree(void *ptr);

namespace indicam {

namespace {

using Clock = std::chrono::steady_clock;

// Collects the cameras among the devices a server announces.
class DeviceLister final : public INDI::BaseClient {
  public:
    // Waits until the server, once it has said something, has been quiet
    // for LISTING_QUIET, or until `deadline`.
    // The library's reading thread must be over before ~BaseClient empties
    // the tables it reads into: disconnectServer waits for its last step.
    ~DeviceLister() override {
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
        // A failed connection ends with the thread's report of the server
        // gone, which may come after connectServer has given up waiting.
        std::unique_lock lock(mutex_);
        if (connect_failed_) {
            changed_.wait_for(lock, READER_END_WAIT, [this] { return lost_; });
        }
    }

    bool Connect() {
        const SigpipeBlock no_sigpipe;
        const bool connected = connectServer();
        std::lock_guard lock(mutex_);
        connect_failed_ = !connected;
        return connected;
    }

    std::vector<std::string> WaitForCameras(Clock::time_point deadline) {
        std::unique_lock lock(mutex_);
        for (;;) {
            const Clock::time_point until =
                heard_ ? std::min(last_news_ + LISTING_QUIET, deadline) : deadline;
            if (Clock::now() >= until || lost_) {
                break;
            }
            changed_.wait_until(lock, until);
        }
        std::sort(cameras_.begin(), cameras_.end());
        return cameras_;
    }

  protected:
    void newProperty(INDI::Property property) override {
        {
            std::lock_guard lock(mutex_);
            last_news_ = Clock::now();
            heard_ = true;
            const std::string device = property.getDeviceName();
            if (SaysCamera(property) &&
                std::find(cameras_.begin(), cameras_.end(), device) == cameras_.end()) {
                cameras_.push_back(device);
            }
            changed_.notify_all();
        }
    }
    void serverDisconnected(int) override {
        // The library forgets its devices right after this call.
        for (const INDI::BaseDevice &device : getDevices()) {
            ReleaseDeviceProperties(device);
        }
        std::lock_guard lock(mutex_);
        lost_ = true;
        changed_.notify_all();
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> cameras_;
    Clock::time_point last_news_;
    bool heard_ = false;
    bool connect_failed_ = false;
    bool lost_ = false;
};

}  // namespace

bool SaysCamera(const INDI::Property &property) {
    if (!property.isNameMatch("DRIVER_INFO") || property.getType() != INDI_TEXT) {
        return false;
    }
    const INDI::PropertyText info(property);
    const auto *interface = info.findWidgetByName("DRIVER_INTERFACE");
    return interface != nullptr && interface->getText() != nullptr &&
           (std::atoi(interface->getText()) & INDI::BaseDevice::CCD_INTERFACE) != 0;
}

void ReleaseDeviceProperties(INDI::BaseDevice device) {
    if (!device.isValid()) {
        return;
    }
    std::vector<std::string> names;
    for (const INDI::Property &property : device.getProperties()) {
        names.emplace_back(property.getName());
        // Nor does it free a BLOB's buffer, which it (re)allocates for
        // every picture that comes.
        if (property.getType() == INDI_BLOB) {
            INDI::PropertyBlob blob(property);
            for (auto &element : blob) {
                IDSharedBlobFree(element.getBlob());
                element.setBlob(nullptr);
                element.setBlobLen(0);
                element.setSize(0);
            }
        }
    }
    char error[MAXRBUF];
    for (const std::string &name : names) {
        device.removeProperty(name.c_str(), error);
    }
}

std::vector<std::string> ListIndiCameras(const std::string &host, int32_t port,
                                         std::chrono::milliseconds timeout, std::string &error) {
    const Clock::time_point deadline = Clock::now() + timeout;
    DeviceLister lister;
    lister.setServer(host.c_str(), static_cast<unsigned int>(port));
    lister.setConnectionTimeout(static_cast<uint32_t>(timeout.count() / 1000),
                                static_cast<uint32_t>(timeout.count() % 1000) * 1000);
    if (!lister.Connect()) {
        error = "no INDI server answers at " + host + ":" + std::to_string(port);
        return {};
    }
    return lister.WaitForCameras(deadline);
}

}  // namespace indicam

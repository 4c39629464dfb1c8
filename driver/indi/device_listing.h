#pragma once

#include <libindi/basedevice.h>
#include <libindi/indiproperty.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace indicam {

// How long a listing may take at most, and how long the server must have
// been quiet before the devices it announced are taken as all of them.
inline constexpr std::chrono::milliseconds LISTING_TIMEOUT{3000};
inline constexpr std::chrono::milliseconds LISTING_QUIET{400};

// How long a client's destructor waits for the library's reading thread to
// report a failed connection, its last call into the client.
inline constexpr std::chrono::milliseconds READER_END_WAIT{2000};

// Whether a property is a device's DRIVER_INFO that says the device is a camera.
bool SaysCamera(const INDI::Property &property);

// libindi 1.9.9 frees a device and its properties, which point at each
// other, only when the last of the device's handles that it counts by hand
// goes. It loses count when it assigns one handle over another (for every
// device it makes, and again at every disconnection), so device and
// properties stay allocated for good. Removing the properties breaks the
// circle; the BLOBs' buffers, which it never frees, are freed here too. Only
// where the client's reading thread cannot be reading into the device: on
// that thread, or after it has ended.
void ReleaseDeviceProperties(INDI::BaseDevice device);

// The cameras an INDI server offers, by device name, sorted; the call returns
// within `timeout` whatever the server does. Empty with the reason in `error`
// when no server answers (an empty list without an error: a server without
// cameras).
std::vector<std::string> ListIndiCameras(const std::string &host, int32_t port,
                                         std::chrono::milliseconds timeout, std::string &error);

}  // namespace indicam

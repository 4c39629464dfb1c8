#pragma once

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

// Whether a property is a device's DRIVER_INFO that says the device is a camera.
bool SaysCamera(const INDI::Property &property);

// The cameras an INDI server offers, by device name, sorted; the call returns
// within `timeout` whatever the server does. Empty with the reason in `error`
// when no server answers (an empty list without an error: a server without
// cameras).
std::vector<std::string> ListIndiCameras(const std::string &host, int32_t port,
                                         std::chrono::milliseconds timeout, std::string &error);

}  // namespace indicam

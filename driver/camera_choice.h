#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Which camera the driver library serves: its simulator, or a camera behind
// an INDI server. Written as `simulator` or `indi[:HOST[:PORT]][/DEVICE]`, the
// form of the OMTRIX_CAMERA variable and of `omtrix-capture --camera`.
struct CameraChoice {
    enum class Kind { Simulator, Indi };
    static constexpr int32_t DEFAULT_INDI_PORT = 7624;

    Kind kind = Kind::Simulator;
    std::string host = "localhost";
    int32_t port = DEFAULT_INDI_PORT;
    std::string device;  // empty: the first camera the server offers

    bool operator==(const CameraChoice &) const = default;
};

// Empty text means the simulator. Nothing with `error` set when the text is
// not a choice (an unknown kind, a port outside 1 … 65535, an empty device).
std::optional<CameraChoice> ParseCameraChoice(std::string_view text, std::string &error);

// The text that ParseCameraChoice reads back as the same choice; defaults are
// left out.
std::string FormatCameraChoice(const CameraChoice &choice);

#include "driver/camera_choice.h"

namespace {

constexpr std::string_view SIMULATOR = "simulator";
constexpr std::string_view INDI = "indi";
constexpr int32_t MAX_PORT = 65535;

// 1 … 65535 from decimal digits only; 0 for anything else.
int32_t ParsePort(std::string_view text) {
    if (text.empty() || text.size() > 5) {
        return 0;
    }
    int32_t port = 0;
    for (char digit : text) {
        if (digit < '0' || digit > '9') {
            return 0;
        }
        port = port * 10 + (digit - '0');
    }
    return port <= MAX_PORT ? port : 0;
}

}  // namespace

std::optional<CameraChoice> ParseCameraChoice(std::string_view text, std::string &error) {
    CameraChoice choice;
    if (text.empty() || text == SIMULATOR) {
        return choice;
    }
    if (text.substr(0, INDI.size()) != INDI) {
        error = "unknown camera \"" + std::string(text) +
                "\" (simulator or indi[:HOST[:PORT]][/DEVICE])";
        return std::nullopt;
    }
    std::string_view rest = text.substr(INDI.size());
    choice.kind = CameraChoice::Kind::Indi;

    // The device name may hold any character, colons and spaces included.
    if (const size_t slash = rest.find('/'); slash != std::string_view::npos) {
        choice.device = rest.substr(slash + 1);
        rest = rest.substr(0, slash);
        if (choice.device.empty()) {
            error = "the device name after '/' is empty";
            return std::nullopt;
        }
    }
    if (rest.empty()) {
        return choice;
    }
    if (rest.front() != ':') {
        error = "unknown camera \"" + std::string(text) +
                "\" (simulator or indi[:HOST[:PORT]][/DEVICE])";
        return std::nullopt;
    }
    rest.remove_prefix(1);
    const size_t colon = rest.find(':');
    const std::string_view host = rest.substr(0, colon);
    if (!host.empty()) {
        choice.host = host;
    }
    if (colon != std::string_view::npos) {
        choice.port = ParsePort(rest.substr(colon + 1));
        if (choice.port == 0) {
            error = "the port \"" + std::string(rest.substr(colon + 1)) +
                    "\" is not a number from 1 to 65535";
            return std::nullopt;
        }
    }
    return choice;
}

std::string FormatCameraChoice(const CameraChoice &choice) {
    if (choice.kind == CameraChoice::Kind::Simulator) {
        return std::string(SIMULATOR);
    }
    std::string text(INDI);
    const bool default_port = choice.port == CameraChoice::DEFAULT_INDI_PORT;
    if (choice.host != "localhost" || !default_port) {
        text += ":" + choice.host;
    }
    if (!default_port) {
        text += ":" + std::to_string(choice.port);
    }
    if (!choice.device.empty()) {
        text += "/" + choice.device;
    }
    return text;
}

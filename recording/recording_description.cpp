#include "recording/recording_description.h"

#include <string>

#include "driver/camera_choice.h"

QString SoftwareName() {
    return QStringLiteral("Omtrix " OMTRIX_VERSION);
}

QString CameraNameOf(const QString &camera_choice) {
    std::string error;
    const std::optional<CameraChoice> choice =
        ParseCameraChoice(camera_choice.toStdString(), error);
    if (!choice || choice->kind == CameraChoice::Kind::Simulator) {
        return QStringLiteral("Omtrix simulator");
    }
    if (choice->device.empty()) {
        return QStringLiteral("INDI camera");
    }
    return QString::fromStdString(choice->device);
}

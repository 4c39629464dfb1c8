#pragma once

#include <QString>

// Texts the program shows from code: messages and status formats, by their
// language-file keys. They start as the English texts the program carries
// and are replaced whenever a language is applied.
struct InterfaceTexts {
    QString NO_CAMERA_ERROR = QStringLiteral("No camera detected");
    QString CAMERA_CONNECTING = QStringLiteral("Connecting to the camera...");
    QString CAMERA_CONNECTED = QStringLiteral("Camera connected");
    QString SETAVIFILE = QStringLiteral("Please set the capture location and file name first.");
    QString AVIERROR = QStringLiteral("The output file could not be written.");
    QString LBL_COUNT = QStringLiteral("Count");
    QString LBL_DURATION = QStringLiteral("Duration");
    // Status formats of a recording: one integer each, seconds mode two.
    QString MEMORYLEFT = QStringLiteral("%d MB");
    QString FRAMES_LEFT = QStringLiteral("%d frames left");
    QString CAPTURING = QStringLiteral("Capturing...");
    QString SECONDSLEFT = QStringLiteral("%d s left, %d frames");
};

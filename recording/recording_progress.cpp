#include "recording/recording_progress.h"

#include <QStorageInfo>
#include <cmath>

#include "platform/rounding.h"
#include "shell/text_format.h"

int64_t FreeDiskBytes(const QString &folder) {
    if (folder.isEmpty()) {
        return -1;
    }
    const QStorageInfo disk(folder);
    return disk.isValid() && disk.isReady() ? disk.bytesAvailable() : -1;
}

DiskLevel DiskLevelOf(double minutes_left) {
    if (minutes_left < 0 || minutes_left >= DISK_LOW_MINUTES) {
        return DiskLevel::Plenty;
    }
    return minutes_left < DISK_CRITICAL_MINUTES ? DiskLevel::Critical : DiskLevel::Low;
}

double MinutesLeft(int64_t free_bytes, double bytes_per_second) {
    if (free_bytes < 0 || !(bytes_per_second > 0)) {
        return -1;
    }
    return static_cast<double>(free_bytes) / bytes_per_second / 60;
}

QString FramesText(const RecordingProgress &progress, const InterfaceTexts &texts) {
    const QString written = FormatText(texts.REC_WRITTEN, {progress.frames_written});
    if (progress.seconds_left >= 0) {
        return FormatText(texts.SECONDSLEFT, {progress.seconds_left, progress.frames_written});
    }
    if (progress.frames_wanted > 0) {
        const int32_t left = std::max(progress.frames_wanted - progress.frames_written, 0);
        return written + QStringLiteral(", ") + FormatText(texts.FRAMES_LEFT, {left});
    }
    return texts.CAPTURING + QLatin1Char(' ') + written;
}

QString ElapsedText(uint32_t elapsed_ms) {
    const uint32_t seconds = elapsed_ms / 1000;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString RatesText(const RecordingProgress &progress, const InterfaceTexts &texts) {
    return QStringLiteral("%1 %2, %3 %4")
        .arg(texts.STATUS_FRAMERATE, QString::number(progress.camera_fps, 'f', 1),
             texts.REC_WRITTENRATE, QString::number(progress.written_fps, 'f', 1));
}

QString DroppedText(const RecordingProgress &progress, const InterfaceTexts &texts) {
    return FormatText(texts.REC_DROPPED, {progress.frames_dropped});
}

QString FileSizeText(int64_t bytes) {
    return QString::number(static_cast<double>(bytes) / 1e6, 'f', 1) + QStringLiteral(" MB");
}

QString FreeDiskText(int64_t free_bytes, double minutes_left, const InterfaceTexts &texts) {
    if (free_bytes < 0) {
        return {};
    }
    QString text = FormatText(texts.MEMORYLEFT, {RoundHalfEven(free_bytes / 1e6)});
    if (minutes_left >= 0) {
        // Whole minutes, rounded down: the disk must not end before the figure.
        const double shown = std::min(std::floor(minutes_left), 1e9);
        text +=
            QStringLiteral(", ") + FormatText(texts.REC_MINUTES, {static_cast<long long>(shown)});
    }
    return text;
}

QString ProgressLine(const RecordingProgress &progress, const InterfaceTexts &texts) {
    QStringList parts{FramesText(progress, texts), ElapsedText(progress.elapsed_ms),
                      RatesText(progress, texts), DroppedText(progress, texts),
                      FileSizeText(progress.file_bytes)};
    const QString disk = FreeDiskText(progress.free_bytes, progress.minutes_left, texts);
    if (!disk.isEmpty()) {
        parts.append(disk);
    }
    return parts.join(QStringLiteral(" | "));
}

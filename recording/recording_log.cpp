#include "recording/recording_log.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include "recording/time_name.h"

namespace {

constexpr int64_t NS_PER_US = 1000;

int64_t LastExposureEndNs(const RecordingFacts &facts) {
    return facts.last_start_ns + int64_t{facts.exposure_us} * NS_PER_US;
}

QString UtcText(int64_t utc_ns) {
    return UtcIsoText(utc_ns) + QLatin1Char('Z');
}

const char *EndText(RecordingEnd end) {
    switch (end) {
        case RecordingEnd::Completed:
            return "completed";
        case RecordingEnd::WriteFailed:
            return "write failed";
        case RecordingEnd::CameraStopped:
            return "camera stopped";
        case RecordingEnd::Signal:
            return "stopped by a signal";
        case RecordingEnd::Stopped:
            break;
    }
    return "stopped by the observer";
}

const char *FormatName(int32_t mode) {
    // The recorder's output kinds: 1 AVI, 2 FIT, 3 SER, 4 BMP.
    switch (mode) {
        case 2:
            return "FIT";
        case 3:
            return "SER";
        case 4:
            return "BMP";
        default:
            return "AVI";
    }
}

}  // namespace

QString RecordingLogText(const RecordingFacts &facts) {
    const RecordingDescription &d = facts.description;
    QStringList lines;
    const auto add = [&](const char *key, const QString &value) {
        // A line break typed into a field must not start a key of its own.
        lines << QString::fromLatin1(key) + '=' + QString(value).replace('\n', ' ').remove('\r');
    };
    add("Program", SoftwareName());
    add("Camera", d.camera);
    add("Observer", d.observer);
    add("Telescope", d.telescope);
    add("Object", d.object);
    add("Filter", d.filter);
    add("Profile", d.profile);
    add("Format", facts.format);
    add("File", QFileInfo(facts.first_file).fileName());
    if (facts.frames_written > 0) {
        const int64_t end_ns = LastExposureEndNs(facts);
        const int64_t duration_ns = end_ns - facts.first_start_ns;
        add("StartUTC", UtcText(facts.first_start_ns));
        add("MidUTC", UtcText(MidTimeNs(facts)));
        add("EndUTC", UtcText(end_ns));
        add("Duration_s", QString::number(duration_ns / 1e9, 'f', 3));
    } else {
        for (const char *key : {"StartUTC", "MidUTC", "EndUTC", "Duration_s"}) {
            add(key, QString());
        }
    }
    add("FramesWritten", QString::number(facts.frames_written));
    add("FramesDelivered", QString::number(facts.frames_written + facts.frames_unwritten));
    add("FramesDropped", QString::number(facts.frames_unwritten));
    const int64_t span_ns = facts.last_start_ns - facts.first_start_ns;
    add("MeanFrameRate_fps",
        facts.frames_written > 1 && span_ns > 0
            ? QString::number((facts.frames_written - 1) * 1e9 / span_ns, 'f', 2)
            : QString());
    // Whole milliseconds as ever, a fraction only where there is one.
    add("Exposure_ms", facts.exposure_us % 1000 == 0
                           ? QString::number(facts.exposure_us / 1000)
                           : QString::number(facts.exposure_us / 1000.0, 'f', 3));
    add("Gain", QString::number(d.gain));
    add("Window", QStringLiteral("%1x%2+%3+%4")
                      .arg(d.window_width)
                      .arg(d.window_height)
                      .arg(d.window_x)
                      .arg(d.window_y));
    add("Binning", QStringLiteral("%1x%1").arg(d.binning));
    add("FrameSize", QStringLiteral("%1x%2").arg(facts.frame_width).arg(facts.frame_height));
    add("SampleBits", QString::number(d.sample_bits));
    add("DarkFrames", QString::number(d.dark_count));
    add("SolarLimit", d.solar_limit < 0 ? QStringLiteral("off") : QString::number(d.solar_limit));
    add("Ended", QString::fromLatin1(EndText(facts.end)));
    return lines.join('\n') + '\n';
}

int64_t MidTimeNs(const RecordingFacts &facts) {
    const int64_t end_ns = LastExposureEndNs(facts);
    return facts.first_start_ns + (end_ns - facts.first_start_ns) / 2;
}

QString RecordingLogName(const QString &first_file) {
    return first_file + QStringLiteral(".txt");
}

void RecordingLog::Begin(const RecordingDescription &description, int32_t mode, int32_t exposure_us,
                         int32_t frame_width, int32_t frame_height) {
    facts_ = RecordingFacts{};
    facts_.description = description;
    facts_.format = QString::fromLatin1(FormatName(mode));
    facts_.exposure_us = exposure_us;
    facts_.frame_width = frame_width;
    facts_.frame_height = frame_height;
    files_created_ = 0;
    running_ = true;
}

void RecordingLog::FrameWritten(int64_t exposure_start_ns) {
    if (facts_.first_start_ns == 0) {
        facts_.first_start_ns = exposure_start_ns;
    }
    facts_.last_start_ns = exposure_start_ns;
}

void RecordingLog::EndedBy(RecordingEnd end) {
    // The first cause stands: a write failure is not turned into a stop by
    // the close that follows it.
    if (running_ && facts_.end == RecordingEnd::Stopped) {
        facts_.end = end;
    }
}

void RecordingLog::FileCreated(const QString &file_name) {
    if (running_) {
        ++files_created_;
        if (facts_.first_file.isEmpty()) {
            facts_.first_file = file_name;
        }
    }
    ui_.FileCreated(file_name);
}

bool RecordingLog::End(int32_t frames_written, int32_t frames_unwritten) {
    if (!running_) {
        return true;
    }
    running_ = false;
    last_log_.clear();
    facts_.frames_written = frames_written;
    facts_.frames_unwritten = facts_.end == RecordingEnd::Completed ? 0 : frames_unwritten;
    if (facts_.description.name_by_time) {
        NameByTime();
    }
    if (!facts_.description.write_log || facts_.first_file.isEmpty()) {
        return true;
    }
    const QString name = RecordingLogName(facts_.first_file);
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Text)) {
        return false;
    }
    const QByteArray text = RecordingLogText(facts_).toUtf8();
    const bool written = file.write(text) == text.size();
    file.close();
    if (!written || file.error() != QFileDevice::NoError) {
        file.remove();
        return false;
    }
    last_log_ = name;
    return true;
}

// The mid-time is known only now, so the file is renamed at the end. Only a
// recording of one file with frames takes the name: FIT and BMP frames and
// the parts of a split AVI keep their numbers, which order them.
void RecordingLog::NameByTime() {
    const bool one_file =
        facts_.format == QLatin1String("SER") || facts_.format == QLatin1String("AVI");
    if (!one_file || files_created_ != 1 || facts_.frames_written == 0) {
        return;
    }
    const RecordingDescription &d = facts_.description;
    const QString renamed = RenameExclusively(
        facts_.first_file, TimeBasedName(MidTimeNs(facts_), d.observer, d.filter, d.object));
    if (!renamed.isEmpty()) {
        facts_.first_file = renamed;
        ui_.FileCreated(renamed);
    }
}

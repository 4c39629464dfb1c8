#pragma once

// Helpers the writer tests share: reading back files, little-endian fields,
// a file-size limit for provoking write failures, and running external readers.

#include <sys/resource.h>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

inline std::vector<uint8_t> ReadFileBytes(const QString &file_name) {
    std::ifstream in(file_name.toStdString(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline uint32_t Le16At(const std::vector<uint8_t> &bytes, size_t offset) {
    return bytes.at(offset) | bytes.at(offset + 1) << 8;
}

inline uint32_t Le32At(const std::vector<uint8_t> &bytes, size_t offset) {
    return Le16At(bytes, offset) | Le16At(bytes, offset + 2) << 16;
}

inline int64_t Le64At(const std::vector<uint8_t> &bytes, size_t offset) {
    return static_cast<int64_t>(Le32At(bytes, offset) |
                                static_cast<uint64_t>(Le32At(bytes, offset + 4)) << 32);
}

inline std::string TextAt(const std::vector<uint8_t> &bytes, size_t offset, size_t size) {
    return std::string(bytes.begin() + offset, bytes.begin() + offset + size);
}

// Lowers this process's file-size limit (as a full disk would stop writes),
// with the signal that would otherwise end the process ignored; both come back
// at the end of the scope. Works without special rights.
class ScopedFileSizeLimit {
  public:
    explicit ScopedFileSizeLimit(rlim_t max_bytes) {
        getrlimit(RLIMIT_FSIZE, &old_limit_);
        rlimit limit = old_limit_;
        limit.rlim_cur = max_bytes;
        active_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
        old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    }
    ~ScopedFileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_limit_);
        std::signal(SIGXFSZ, old_handler_);
    }
    ScopedFileSizeLimit(const ScopedFileSizeLimit &) = delete;
    ScopedFileSizeLimit &operator=(const ScopedFileSizeLimit &) = delete;
    bool Active() const { return active_; }

  private:
    rlimit old_limit_{};
    void (*old_handler_)(int) = nullptr;
    bool active_ = false;
};

inline bool ToolInstalled(const QString &program) {
    return !QStandardPaths::findExecutable(program).isEmpty();
}

struct ToolRun {
    int exit_code = -1;
    QString output;
    QString errors;
};

inline ToolRun RunTool(const QString &program, const QStringList &arguments) {
    QProcess process;
    process.start(program, arguments);
    ToolRun run;
    if (process.waitForFinished(60000)) {
        run.exit_code = process.exitCode();
    }
    run.output = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.errors = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

// ffprobe's description of a file's first video stream, as key=value pairs
// (width, height, nb_read_frames, r_frame_rate, ...), plus "exit_code" and
// "errors" (what it complained about; empty for a sound file).
inline std::map<std::string, std::string> ProbeVideoStream(const QString &file_name) {
    const ToolRun run = RunTool(
        "ffprobe", {"-v", "error", "-select_streams", "v:0", "-count_frames", "-show_entries",
                    "stream=codec_name,width,height,nb_read_frames,r_frame_rate", "-of",
                    "default=noprint_wrappers=1", file_name});
    std::map<std::string, std::string> fields;
    for (const QString &line : run.output.split('\n', Qt::SkipEmptyParts)) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0) {
            fields[line.left(equals).toStdString()] = line.mid(equals + 1).trimmed().toStdString();
        }
    }
    fields["exit_code"] = std::to_string(run.exit_code);
    fields["errors"] = run.errors.trimmed().toStdString();
    return fields;
}

// A FITS file's primary image of 16-bit integers, as its reader should take
// it: each stored value (big-endian) plus BZERO, first stored row first.
struct Fits16Image {
    int32_t width = 0;
    int32_t height = 0;
    int32_t bitpix = 0;
    int64_t bzero = 0;
    std::vector<uint16_t> samples;  // empty when the file is not such an image
};

inline Fits16Image ReadFits16(const QString &file_name) {
    const std::vector<uint8_t> bytes = ReadFileBytes(file_name);
    Fits16Image image;
    size_t at = 0;
    for (bool end = false; !end && at + 80 <= bytes.size(); at += 80) {
        const std::string card(bytes.begin() + at, bytes.begin() + at + 80);
        const std::string keyword = card.substr(0, card.find_first_of(" ="));
        const long long value = std::atoll(card.substr(10, 20).c_str());
        end = keyword == "END";
        if (keyword == "BITPIX") {
            image.bitpix = static_cast<int32_t>(value);
        } else if (keyword == "NAXIS1") {
            image.width = static_cast<int32_t>(value);
        } else if (keyword == "NAXIS2") {
            image.height = static_cast<int32_t>(value);
        } else if (keyword == "BZERO") {
            image.bzero = value;
        }
    }
    const size_t data = (at + 2879) / 2880 * 2880;
    const size_t count = size_t(image.width) * size_t(image.height);
    if (image.bitpix != 16 || data + 2 * count > bytes.size()) {
        return image;
    }
    for (size_t i = 0; i < count; ++i) {
        const auto stored =
            static_cast<int16_t>(bytes[data + 2 * i] << 8 | bytes[data + 2 * i + 1]);
        image.samples.push_back(static_cast<uint16_t>(stored + image.bzero));
    }
    return image;
}

// A Python that has astropy, the system's first: observers' own Pythons often
// lack it. Empty when none has.
inline QString PythonWithAstropy() {
    for (const QString &python : {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
        if (RunTool(python, {"-c", "import astropy"}).exit_code == 0) {
            return python;
        }
    }
    return {};
}

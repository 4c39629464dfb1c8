#include "recording/ser_writer.h"

#include <QtEndian>
#include <array>
#include <cstring>

namespace {

// 100-ns ticks from 1 January 0001 to 1 January 1970.
constexpr int64_t TICKS_AT_UNIX_EPOCH = 621355968000000000;
constexpr int64_t TICKS_PER_MILLISECOND = 10000;
constexpr int64_t TICKS_PER_SECOND = 10000000;

constexpr char FILE_ID[] = "LUCAM_RECORDER";
constexpr size_t TEXT_FIELD_BYTES = 40;

void WriteSerInt64(uint8_t *&at, int64_t value) {
    qToLittleEndian(value, at);
    at += sizeof value;
}

}  // namespace

SerDateTimes SerDateTimesOf(const QDateTime &moment) {
    const int64_t utc_ticks =
        TICKS_AT_UNIX_EPOCH + moment.toMSecsSinceEpoch() * TICKS_PER_MILLISECOND;
    const int64_t offset_ticks = int64_t{moment.toLocalTime().offsetFromUtc()} * TICKS_PER_SECOND;
    return {utc_ticks + offset_ticks, utc_ticks};
}

void WriteSerInt(uint8_t *&at, int32_t value) {
    qToLittleEndian(value, at);
    at += sizeof value;
}

SerWriter::~SerWriter() {
    if (IsOpen()) {
        (void)FinishSerFile();
    }
}

int32_t SerWriter::WriteSerHeader(const QString &file_name, int32_t width, int32_t height,
                                  int32_t depth) {
    if (IsOpen()) {
        (void)FinishSerFile();
    }
    frame_count_ = 0;
    row_bytes_ = int64_t{width} * ((depth + 7) / 8);
    frame_bytes_ = row_bytes_ * height;
    if (width <= 0 || height <= 0 || depth <= 0 || depth > 16) {
        return SER_HEADER_FAILED;
    }
    top_row_first_.resize(static_cast<size_t>(frame_bytes_));

    std::array<uint8_t, SER_HEADER_BYTES> header{};
    uint8_t *at = header.data();
    std::memcpy(at, FILE_ID, sizeof FILE_ID - 1);
    at += sizeof FILE_ID - 1;
    WriteSerInt(at, 0);  // LuID
    WriteSerInt(at, 0);  // ColorID: monochrome
    WriteSerInt(at, 0);  // LittleEndian
    WriteSerInt(at, width);
    WriteSerInt(at, height);
    WriteSerInt(at, depth);
    WriteSerInt(at, 0);                          // FrameCount, written when the file is finished
    std::memset(at, '_', 3 * TEXT_FIELD_BYTES);  // Observer, Instrument, Telescope
    at += 3 * TEXT_FIELD_BYTES;
    const SerDateTimes now = SerDateTimesOf(QDateTime::currentDateTime());
    WriteSerInt64(at, now.local_ticks);
    WriteSerInt64(at, now.utc_ticks);

    SerFile.setFileName(file_name);
    if (!SerFile.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
        return SER_HEADER_FAILED;
    }
    if (SerFile.write(reinterpret_cast<const char *>(header.data()), SER_HEADER_BYTES) !=
        SER_HEADER_BYTES) {
        SerFile.close();
        SerFile.remove();
        return SER_HEADER_FAILED;
    }
    return SER_HEADER_WRITTEN;
}

bool SerWriter::AppendSerFrame(const uint8_t *data, size_t byte_count) {
    if (!IsOpen() || data == nullptr || static_cast<int64_t>(byte_count) != frame_bytes_) {
        return false;
    }
    // Turning the rows over in memory costs far less than the disk write and
    // keeps it to one call per frame. The frame is read front to back, where
    // the processor's prefetching keeps up: a frame that waited in the queue
    // is no longer in the cache, and reading its rows backwards made the
    // turning over take a third longer.
    const size_t row_bytes = static_cast<size_t>(row_bytes_);
    uint8_t *top_down_row = top_row_first_.data() + byte_count;
    for (const uint8_t *in = data; in < data + byte_count; in += row_bytes) {
        top_down_row -= row_bytes;
        std::memcpy(top_down_row, in, row_bytes);
    }
    const int64_t frames_end = SER_HEADER_BYTES + frame_count_ * frame_bytes_;
    if (SerFile.write(reinterpret_cast<const char *>(top_row_first_.data()), frame_bytes_) ==
        frame_bytes_) {
        ++frame_count_;
        return true;
    }
    // Cut away whatever part of the frame reached the disk, so the file ends
    // after the last complete frame and readers find no torn one.
    SerFile.resize(frames_end);
    SerFile.seek(frames_end);
    SerFile.unsetError();
    return false;
}

bool SerWriter::FinishSerFile() {
    if (!IsOpen()) {
        return false;
    }
    std::array<uint8_t, 4> count{};
    uint8_t *at = count.data();
    WriteSerInt(at, frame_count_);
    SerFile.unsetError();
    const bool patched = SerFile.seek(SER_FRAME_COUNT_OFFSET) &&
                         SerFile.write(reinterpret_cast<const char *>(count.data()), 4) == 4;
    SerFile.close();
    return patched && SerFile.error() == QFileDevice::NoError;
}

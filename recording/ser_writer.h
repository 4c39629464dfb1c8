#pragma once

#include <QDateTime>
#include <QFile>
#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include <sys/uio.h>

// Results of WriteSerHeader.
inline constexpr int32_t SER_HEADER_WRITTEN = -3;
inline constexpr int32_t SER_HEADER_FAILED = -1;

inline constexpr int64_t SER_HEADER_BYTES = 178;
inline constexpr int64_t SER_FRAME_COUNT_OFFSET = 38;
inline constexpr int64_t SER_DATE_TIME_OFFSET = 162;
inline constexpr int64_t SER_DATE_TIME_UTC_OFFSET = 170;

// The header's LittleEndian field, for 16-bit samples, which are always
// written little-endian. The standard says 1 for that, but the first programs
// to write SER used the field the other way round, and stackers followed
// them: Siril (1.0.6 tried) reads 0 as little-endian and 1 as big-endian.
// FFmpeg (5.1 tried) keeps to the standard: it reads our 16-bit samples with
// their bytes swapped. No value suits both; 0 suits the stackers observers
// use, and has always been in our 8-bit files.
inline constexpr int32_t SER_LITTLE_ENDIAN_FLAG = 0;

// The header's ColorID: monochrome, or a Bayer mosaic named by the colours
// of the top-left 2 x 2 cell of the stored picture, row by row.
inline constexpr int32_t SER_MONO = 0;
inline constexpr int32_t SER_BAYER_RGGB = 8;
inline constexpr int32_t SER_BAYER_GRBG = 9;
inline constexpr int32_t SER_BAYER_GBRG = 10;
inline constexpr int32_t SER_BAYER_BGGR = 11;

// The ColorID of a colour camera's raw mosaic of `frame_height` rows as a
// SER file stores it. The camera delivers the mosaic in the frame's own
// order, whatever the window's offset or binning: even frame rows G R G R,
// odd rows B G B G, counted from frame row 0, the picture's bottom (the
// simulator renders it so, the INDI source moves its window by a pixel to
// line the camera's pattern up with it). SER stores the top row first, so
// the file's first row is frame row height - 1, and the height's parity
// decides the pattern.
int32_t SerBayerColorId(int32_t frame_height);

// A moment as SER dates store it: 100-ns ticks since 1 January 0001 00:00,
// once in local time and once in UTC.
struct SerDateTimes {
    int64_t local_ticks;
    int64_t utc_ticks;
};
SerDateTimes SerDateTimesOf(const QDateTime &moment);
// The same for a moment in ns since 1970-01-01 00:00 UTC, to the 100 ns.
SerDateTimes SerDateTimesOfUtcNs(int64_t utc_ns);

// The header's Observer, Instrument and Telescope: UTF-8 in 40 bytes each,
// cut at a whole character and padded with zero bytes; an empty one is
// written as 40 underscores.
struct SerHeaderTexts {
    QString observer;
    QString instrument;
    QString telescope;
};

// Appends one 32-bit little-endian integer to the header being built.
void WriteSerInt(uint8_t *&at, int32_t value);

// One SER sequence file: a 178-byte header, the frames' raw samples back to
// back, each frame top row first as SER readers expect, and once finished the
// timestamp trailer of SER version 3 (each frame's exposure start in 100-ns
// ticks since 0001-01-01 UTC, 8 bytes little-endian, in frame order). Used on
// one thread (the recorder's). Every frame goes to the system in one write
// (two above 1024 rows), straight from the frame's own memory; a
// frame that fails is cut away again and not counted, so the file always ends
// after its last complete frame and, once finished, says how many it holds.
class SerWriter {
  public:
    SerWriter() = default;
    ~SerWriter();
    SerWriter(const SerWriter &) = delete;
    SerWriter &operator=(const SerWriter &) = delete;

    // Creates the file, which must not exist yet, writes the header with a
    // frame count of 0, the current date (replaced by the first frame's start
    // when the file is finished), `texts` and `color_id`, and keeps the file
    // open. A file
    // still open is finished first. Returns SER_HEADER_WRITTEN, or
    // SER_HEADER_FAILED when the file exists already or could not be created
    // or written (nothing of ours is left behind then).
    [[nodiscard]] int32_t WriteSerHeader(const QString &file_name, int32_t width, int32_t height,
                                         int32_t depth, const SerHeaderTexts &texts = {},
                                         int32_t color_id = SER_MONO);

    // Appends one frame of exactly width x height samples of the header's
    // depth (bytes up to 8 bits, else 16-bit words), row 0 being the bottom
    // of the picture (as frames are held in memory); the file gets its rows
    // in the opposite order. `exposure_start_ns`
    // is the frame's exposure start (UtcNowNs; 0 when unknown, and then the
    // file gets no trailer). False when nothing is open, the size is wrong or
    // the write failed; the frame is then not in the file and not counted.
    [[nodiscard]] bool AppendSerFrame(const uint8_t *data, size_t byte_count,
                                      int64_t exposure_start_ns);

    // Writes the trailer, the frame count and the first frame's start into
    // the file and closes it. A disk too full for the trailer costs the newest
    // frames, one at a time, until it fits, so that trailer and count always
    // agree. False when nothing was open, a frame had to go, or the count or
    // the closing failed.
    [[nodiscard]] bool FinishSerFile();

    bool IsOpen() const { return SerFile.isOpen(); }
    // Frames fully written since the header.
    int32_t SerFrameCount() const { return frame_count_; }

  private:
    // Writes a frame's rows at `offset`, top row (the frame's last) first.
    bool WriteRowsTurnedOver(const uint8_t *data, int64_t offset);
    bool WriteTimestampTrailer();
    bool PatchHeader();

    QFile SerFile;
    int32_t frame_count_ = 0;
    int64_t frame_bytes_ = 0;
    int64_t row_bytes_ = 0;
    // The rows of one system call, last frame row first: as many as Linux
    // takes in one (IOV_MAX), all the rows of a frame up to 1024 rows.
    std::array<iovec, 1024> row_slices_{};
    static constexpr int64_t WRITE_BACK_STEP_BYTES = 8 << 20;
    int64_t write_back_from_ = 0;  // where the disk has not been asked to start yet
    void StartWriteBack(int64_t written_end);
    // Each written frame's exposure start (UtcNowNs), and whether all are known.
    std::vector<int64_t> starts_ns_;
    bool starts_known_ = true;
};

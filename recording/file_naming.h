#pragma once

#include <QString>
#include <cstdint>

// Extensions of the four outputs, upper case as other programs expect them.
inline constexpr const char *AVI_EXTENSION = ".AVI";
inline constexpr const char *SER_EXTENSION = ".SER";
inline constexpr const char *FIT_EXTENSION = ".FIT";
inline constexpr const char *BMP_EXTENSION = ".BMP";

// The recording's base path: capture directory and base name joined with the
// platform's separator. A directory that already ends in a separator (a
// drive or file-system root) gets no second one.
QString CaptureBasePath(const QString &directory, const QString &base_name);

// "<base path>_<number><extension>": five digits with leading zeros up to
// 99999 and all digits beyond; IRIS numbering drops the leading zeros.
QString OutputFileName(const QString &base_path, int32_t number, const QString &extension,
                       bool iris_numbering);

// Hands out output file names (OutputFileName), never the name of an
// existing file. The search for a free number resumes where the previous request with the
// same base path and extension stopped, and starts again from 0 when either
// changes. Used on one thread (the recorder's).
class FileNamer {
  public:
    QString NextFileName(const QString &base_path, const QString &extension);

    // Start-up state: no previous request, number 0, IRIS numbering off.
    void Reset();

    void SetIrisNumbering(bool on) { iris_numbering_ = on; }
    bool IrisNumbering() const { return iris_numbering_; }
    const QString &LastFileKey() const { return last_file_key_; }
    int32_t LastFileNumber() const { return last_file_number_; }

  private:
    QString last_file_key_;
    int32_t last_file_number_ = 0;
    bool iris_numbering_ = false;
};

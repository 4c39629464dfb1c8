#pragma once

#include <QString>
#include <QtGlobal>
#include <cstdint>

// Extensions of the four outputs. Linux tools (Siril, shell globs) match them
// case-sensitively and expect lower case; Windows matches either case and its
// programs have always written upper case.
#if defined(Q_OS_WIN)
inline constexpr const char *AVI_EXTENSION = ".AVI";
inline constexpr const char *SER_EXTENSION = ".SER";
inline constexpr const char *FIT_EXTENSION = ".FIT";
inline constexpr const char *BMP_EXTENSION = ".BMP";
#else
inline constexpr const char *AVI_EXTENSION = ".avi";
inline constexpr const char *SER_EXTENSION = ".ser";
inline constexpr const char *FIT_EXTENSION = ".fit";
inline constexpr const char *BMP_EXTENSION = ".bmp";
#endif

// The recording's base path: capture directory and base name joined with the
// platform's separator. A directory that already ends in a separator (a
// drive or file-system root) gets no second one.
QString CaptureBasePath(const QString &directory, const QString &base_name);

// "<base path>_<number><extension>": five digits with leading zeros up to
// 99999 and all digits beyond; IRIS numbering drops the leading zeros.
QString OutputFileName(const QString &base_path, int32_t number, const QString &extension,
                       bool iris_numbering);

// Hands out numbered output files (OutputFileName) and never lets one
// overwrite an existing file, even when other programs, or other recordings
// of this one, write into the same folder at the same moment. A number is
// taken when a file of that number exists with its extension in either case,
// numbered with or without leading zeros.
// The search for a free number resumes where the previous request with the
// same base path and extension stopped, and starts again from 0 when either
// changes. Used on one thread (the recorder's).
class FileNamer {
  public:
    // Creates the next output file: `create(name)` must create the named file
    // only if no file of that name exists (O_EXCL, QIODevice::NewOnly) and
    // returns whether it did. A name that another writer took between the
    // check and the creation moves on to the next number. Returns the name
    // of the file created, or an empty string when the creation failed for
    // another reason; the next request then tries the same number again.
    template <typename Create>
    QString NextFileName(const QString &base_path, const QString &extension, Create &&create) {
        int32_t number = ResumeNumber(base_path + extension);
        while (true) {
            const QString name = FreeName(base_path, extension, number);
            last_file_number_ = number;
            if (create(name)) {
                return name;
            }
            if (!Exists(name)) {
                return QString();
            }
            ++number;
        }
    }

    // Start-up state: no previous request, number 0, IRIS numbering off.
    void Reset();

    void SetIrisNumbering(bool on) { iris_numbering_ = on; }
    bool IrisNumbering() const { return iris_numbering_; }
    const QString &LastFileKey() const { return last_file_key_; }
    int32_t LastFileNumber() const { return last_file_number_; }

  private:
    // The number to start the search at for `key` (base path and extension),
    // which becomes the last key.
    int32_t ResumeNumber(const QString &key);
    // The name of the first number from `number` on that is not taken;
    // `number` becomes that number.
    QString FreeName(const QString &base_path, const QString &extension, int32_t &number) const;
    // Whether something, a dangling link included, has that name.
    static bool Exists(const QString &name);
    // Whether a file of that number exists in any of its spellings.
    static bool Taken(const QString &base_path, const QString &extension, int32_t number);

    QString last_file_key_;
    int32_t last_file_number_ = 0;
    bool iris_numbering_ = false;
};

#include "recording/file_naming.h"

#include <QDir>
#include <QFileInfo>

QString CaptureBasePath(const QString &directory, const QString &base_name) {
    if (directory.isEmpty()) {
        return base_name;
    }
    const QChar separator = QDir::separator();
    if (directory.endsWith(QLatin1Char('/')) || directory.endsWith(separator)) {
        return directory + base_name;
    }
    return directory + separator + base_name;
}

QString OutputFileName(const QString &base_path, int32_t number, const QString &extension,
                       bool iris_numbering) {
    // Justifying to 5 pads shorter numbers and leaves longer ones whole.
    const int digits = iris_numbering ? 0 : 5;
    return base_path + QLatin1Char('_') + QString::number(number).rightJustified(digits, u'0') +
           extension;
}

int32_t FileNamer::ResumeNumber(const QString &key) {
    const int32_t number = key == last_file_key_ ? last_file_number_ : 0;
    last_file_key_ = key;
    return number;
}

bool FileNamer::Taken(const QString &base_path, const QString &extension, int32_t number) {
    // Older recordings wrote upper-case extensions, and a stacker sorting by
    // number reads NAME_107 and NAME_00107 as one: a number is taken in
    // either case and either numbering.
    for (const QString &ending : {extension.toLower(), extension.toUpper()}) {
        for (bool iris : {false, true}) {
            if (Exists(OutputFileName(base_path, number, ending, iris))) {
                return true;
            }
        }
    }
    return false;
}

QString FileNamer::FreeName(const QString &base_path, const QString &extension,
                            int32_t &number) const {
    while (Taken(base_path, extension, number)) {
        ++number;
    }
    return OutputFileName(base_path, number, extension, iris_numbering_);
}

bool FileNamer::Exists(const QString &name) {
    const QFileInfo info(name);
    return info.exists() || info.isSymLink();
}

void FileNamer::Reset() {
    last_file_key_.clear();
    last_file_number_ = 0;
    iris_numbering_ = false;
}

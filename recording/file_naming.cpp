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

QString FileNamer::NextFileName(const QString &base_path, const QString &extension) {
    const QString key = base_path + extension;
    int32_t number = key == last_file_key_ ? last_file_number_ : 0;
    last_file_key_ = key;
    QString name = OutputFileName(base_path, number, extension, iris_numbering_);
    while (QFileInfo::exists(name)) {
        ++number;
        name = OutputFileName(base_path, number, extension, iris_numbering_);
    }
    last_file_number_ = number;
    return name;
}

void FileNamer::Reset() {
    last_file_key_.clear();
    last_file_number_ = 0;
    iris_numbering_ = false;
}

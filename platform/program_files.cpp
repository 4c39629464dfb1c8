#include "platform/program_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString ProgramFilePath(const QString &file_name) {
    return ProgramFilePath(QCoreApplication::applicationDirPath(), file_name);
}

QString ProgramFilePath(const QString &program_folder, const QString &file_name) {
    const QDir folder(program_folder);
    const QString beside = folder.filePath(file_name);
    if (QFileInfo::exists(beside)) {
        return beside;
    }
    // The build computes this path relative to the executables' folder.
    const QString installed =
        QDir::cleanPath(folder.filePath(QStringLiteral(OMTRIX_LIBRARY_FOLDER_FROM_PROGRAM)));
    const QString in_library = QDir(installed).filePath(file_name);
    return QFileInfo::exists(in_library) ? in_library : beside;
}

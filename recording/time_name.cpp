#include "recording/time_name.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cerrno>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

constexpr int64_t NS_PER_MS = 1000000;
constexpr int64_t MS_PER_TENTH_MINUTE = 6000;
// More names than anyone records in one minute.
constexpr int MAX_NAME_TRIES = 1000;

// Moves the file only when `to` is free, in one step where the file system
// can: a hard link fails when the name exists. Where links are not supported
// (FAT, exFAT), Qt's rename, which refuses an existing name too.
bool MoveToFreeName(const QString &from, const QString &to) {
#ifdef Q_OS_UNIX
    if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0) {
        return ::unlink(QFile::encodeName(from).constData()) == 0;
    }
    if (errno == EEXIST) {
        return false;
    }
#endif
    return QFile::rename(from, to);
}

}  // namespace

QString TimeNameField(const QString &text) {
    QString field;
    for (const QChar c : text.trimmed().normalized(QString::NormalizationForm_KD)) {
        if (c.category() == QChar::Mark_NonSpacing) {
            continue;
        }
        const bool kept = c.unicode() < 0x80 && (c.isLetterOrNumber() || c == QLatin1Char('+') ||
                                                 c == QLatin1Char('.') || c == QLatin1Char('_'));
        field += kept ? c : QLatin1Char('_');
    }
    return field;
}

QString UtcIsoText(int64_t utc_ns) {
    return QDateTime::fromMSecsSinceEpoch(utc_ns / NS_PER_MS, Qt::UTC)
        .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
}

QString TimeBasedName(int64_t utc_ns, const QString &observer, const QString &filter,
                      const QString &object) {
    const int64_t ms = utc_ns / NS_PER_MS;
    // Rounded to the tenth of a minute, the carry going into the minutes.
    const int64_t tenths = (ms + MS_PER_TENTH_MINUTE / 2) / MS_PER_TENTH_MINUTE;
    const QDateTime minute = QDateTime::fromMSecsSinceEpoch(tenths / 10 * 60000, Qt::UTC);
    QStringList parts{minute.toString(QStringLiteral("yyyy-MM-dd-HHmm")) + '_' +
                      QString::number(tenths % 10)};
    for (const QString &text : {observer, filter, object}) {
        const QString field = TimeNameField(text);
        if (!field.isEmpty()) {
            parts << field;
        }
    }
    return parts.join('-');
}

QString RenameExclusively(const QString &file_name, const QString &base_name) {
    const QFileInfo file(file_name);
    const QString stem = file.dir().filePath(base_name);
    const QString extension = QLatin1Char('.') + file.suffix();
    for (int attempt = 1; attempt <= MAX_NAME_TRIES; ++attempt) {
        const QString name = attempt == 1
                                 ? stem + extension
                                 : QStringLiteral("%1_%2%3").arg(stem).arg(attempt).arg(extension);
        if (MoveToFreeName(file_name, name)) {
            return name;
        }
        if (!QFileInfo::exists(name)) {
            return {};  // failed for another reason than a taken name
        }
    }
    return {};
}

#include "recording/time_name.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

namespace {

int64_t UtcNs(int y, int mo, int d, int h, int mi, int s, int ms) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC).toMSecsSinceEpoch() * 1000000;
}

// The time to the nearest tenth of a minute, the fields WinJUPOS splits at
// the dashes, nothing a file system or WinJUPOS cannot take.
TEST(TimeBasedNameTest, TenthsOfAMinuteAndCleanFields) {
    const struct {
        const char *name;
        int64_t utc_ns;
        QString observer, filter, object;
        QString expected;
    } cases[] = {
        {"all fields", UtcNs(2024, 3, 5, 12, 34, 56, 900), "Ann", "R", "Jupiter",
         "2024-03-05-1234_9-Ann-R-Jupiter"},
        {"below half a tenth", UtcNs(2024, 3, 5, 12, 34, 2, 999), "", "", "", "2024-03-05-1234_0"},
        {"half a tenth rounds up", UtcNs(2024, 3, 5, 12, 34, 3, 0), "", "", "Mars",
         "2024-03-05-1234_1-Mars"},
        {"carry into the next day", UtcNs(2024, 1, 31, 23, 59, 57, 0), "", "IR685", "",
         "2024-02-01-0000_0-IR685"},
        {"accents, blanks, dashes and forbidden characters", UtcNs(2024, 3, 5, 1, 2, 0, 0),
         QString::fromUtf8(" Jörg O-Neil "), "a/b:c*d?e\"f<g>h|i\\j", "Sat.+",
         "2024-03-05-0102_0-Jorg_O_Neil-a_b_c_d_e_f_g_h_i_j-Sat.+"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(TimeBasedName(c.utc_ns, c.observer, c.filter, c.object), c.expected) << c.name;
    }
}

// Renaming never replaces another file: a taken name gets a number after it.
TEST(TimeBasedNameTest, RenamingNeverReplacesAnotherFile) {
    QTemporaryDir dir;
    const auto make = [&](const QString &name, const QByteArray &content) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return file.fileName();
    };
    make("2024-03-05-1234_9-Ann.ser", "older");
    const QString first = make("CAPTURE_00000.ser", "first");
    const QString second = make("CAPTURE_00001.ser", "second");
    EXPECT_EQ(RenameExclusively(first, "2024-03-05-1234_9-Ann"),
              dir.filePath("2024-03-05-1234_9-Ann_2.ser"));
    EXPECT_EQ(RenameExclusively(second, "2024-03-05-1234_9-Ann"),
              dir.filePath("2024-03-05-1234_9-Ann_3.ser"));
    const struct {
        const char *name;
        QByteArray content;
    } files[] = {{"2024-03-05-1234_9-Ann.ser", "older"},
                 {"2024-03-05-1234_9-Ann_2.ser", "first"},
                 {"2024-03-05-1234_9-Ann_3.ser", "second"}};
    for (const auto &f : files) {
        QFile file(dir.filePath(f.name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << f.name;
        EXPECT_EQ(file.readAll(), f.content) << f.name;
    }
    EXPECT_FALSE(QFile::exists(first));
    EXPECT_EQ(RenameExclusively(dir.filePath("missing.ser"), "x"), QString());
}

}  // namespace

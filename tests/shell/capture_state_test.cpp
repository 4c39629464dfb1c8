#include "shell/capture_state.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "shell/capture_state_samples.h"

namespace {

QByteArray Bytes(const QString &file_name) {
    QFile file(file_name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Replace(const QString &file_name, const QByteArray &from, const QByteArray &to) {
    QByteArray bytes = Bytes(file_name);
    ASSERT_TRUE(bytes.contains(from)) << from.constData();
    bytes.replace(from, to);
    QFile file(file_name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

TEST(CaptureProfile, GivesBackEveryValueWritten) {
    QTemporaryDir dir;
    const QString file =
        ProfileFile(dir.filePath(QStringLiteral("profiles")), QStringLiteral("Jupiter IR"));
    QString error;
    for (const CaptureState &state : {UnusualCaptureState(), CaptureState{}}) {
        ASSERT_TRUE(WriteProfile(file, state, error)) << qPrintable(error);
        const std::optional<CaptureState> read = ReadProfile(file, error);
        ASSERT_TRUE(read.has_value()) << qPrintable(error);
        EXPECT_TRUE(*read == state);
    }
    EXPECT_EQ(ProfileNames(dir.filePath(QStringLiteral("profiles"))),
              QStringList{QStringLiteral("Jupiter IR")});
}

TEST(CaptureProfile, DamagedFileIsRefusedAsAWhole) {
    const struct {
        const char *from;
        const char *to;
        const char *said;  // a part of the message
    } cases[] = {
        {"GAIN=73", "GAIN=101", "GAIN \"101\""},
        {"GAIN=73", "GAIN=-3", "GAIN"},
        {"GAIN=73", "GAIN=7x", "GAIN"},
        {"STAMPHOURS=-5", "STAMPHOURS=13", "STAMPHOURS"},
        {"OUTPUTTYPE=SER", "OUTPUTTYPE=MOV", "AVI|FIT|SER|BMP"},
        {"COUNTMODE=SECONDS", "COUNTMODE=", "COUNTMODE"},
        {"SUBWIDTH=640", "SUBWIDTH=99999999999", "SUBWIDTH"},
        {"SUBWIDTH=640", "SUBWIDTH=4100", "SUBWIDTH"},  // wider than any sensor taken
        {"SUBWIDTH=640\n", "", "has no SUBWIDTH"},
        {"GAIN=73", "GAIN=\"73", "line"},
        {"BINNING=2", "BINNING 2", "line"},
    };
    QTemporaryDir dir;
    const QString file = ProfileFile(dir.path(), QStringLiteral("p"));
    for (const auto &c : cases) {
        QString error;
        ASSERT_TRUE(WriteProfile(file, UnusualCaptureState(), error));
        Replace(file, c.from, c.to);
        EXPECT_FALSE(ReadProfile(file, error).has_value()) << c.to;
        EXPECT_TRUE(error.contains(QLatin1String(c.said))) << qPrintable(error);
        EXPECT_TRUE(error.contains(QDir::toNativeSeparators(file))) << qPrintable(error);
    }
    QString error;
    EXPECT_FALSE(ReadProfile(ProfileFile(dir.path(), QStringLiteral("absent")), error));
    EXPECT_FALSE(error.isEmpty());
}

// A profile written before a value existed still reads, with its default.
TEST(CaptureProfile, AProfileOlderThanTheSixteenBitChoiceAndMicrosecondsReads) {
    QTemporaryDir dir;
    const QString file = ProfileFile(dir.path(), QStringLiteral("old"));
    QString error;
    ASSERT_TRUE(WriteProfile(file, UnusualCaptureState(), error));
    Replace(file, "SIXTEENBIT=T\n", "");
    Replace(file, "EXPOSUREUS=750\n", "");
    const std::optional<CaptureState> read = ReadProfile(file, error);
    ASSERT_TRUE(read.has_value()) << qPrintable(error);
    CaptureState expected = UnusualCaptureState();
    expected.sixteen_bit = false;
    expected.exposure_us = CaptureState().exposure_us;
    EXPECT_TRUE(*read == expected);
}

TEST(StoredCaptureState, OutOfRangeValuesFallBackToTheirDefaultsAndSaySo) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Omtrix.ini"));
    {
        SettingsStore store(file);
        WriteCaptureState(store, UnusualCaptureState());
        store.WriteSetting(QStringLiteral("EXPOLENGTH"), QStringLiteral("20000"));
        store.WriteSetting(QStringLiteral("OUTPUTTYPE"), QStringLiteral("ser"));
        store.WriteSetting(QStringLiteral("GAIN"), QStringLiteral("abc"));
        // Empty numbers have always read as 0, held at the range's nearest end.
        store.WriteSetting(QStringLiteral("EXPOCOUNT"), QString());
        store.WriteSetting(QStringLiteral("REDBALANCE"), QString());
    }
    QStringList problems;
    const CaptureState read = ReadStoredCaptureState(SettingsStore(file), problems);
    CaptureState expected = UnusualCaptureState();
    expected.exposure_ms = CaptureState{}.exposure_ms;
    expected.output_kind = CaptureState{}.output_kind;
    expected.gain = CaptureState{}.gain;
    expected.count = 0;
    expected.red = 1;
    EXPECT_TRUE(read == expected);
    ASSERT_EQ(problems.size(), 3);
    EXPECT_TRUE(problems[0].contains(
        QLatin1String("EXPOLENGTH \"20000\" is not one of 0..19999: 100 is used")))
        << qPrintable(problems[0]);
    EXPECT_TRUE(problems[1].contains(QLatin1String("GAIN \"abc\" is not a number: 10 is used")))
        << qPrintable(problems[1]);
    EXPECT_TRUE(problems[2].contains(QLatin1String("OUTPUTTYPE \"ser\" is not one of")))
        << qPrintable(problems[2]);

    // A first start: nothing stored, nothing said.
    problems.clear();
    EXPECT_TRUE(ReadStoredCaptureState(SettingsStore(dir.filePath(QStringLiteral("none.ini"))),
                                       problems) == CaptureState{});
    EXPECT_TRUE(problems.isEmpty());
}

TEST(CaptureProfile, NamesAreThoseEveryFileSystemTakes) {
    for (const char *name : {"Jupiter IR", "Mars-RGB_2", "Sun Hα"}) {
        EXPECT_TRUE(IsProfileName(QString::fromUtf8(name))) << name;
    }
    for (const char *name : {"", " ", " Moon", "Moon ", ".hidden", "a/b", "a\\b", "a:b", "a*b",
                             "a?b", "a\"b", "a<b", "a|b", "tab\there"}) {
        EXPECT_FALSE(IsProfileName(QString::fromUtf8(name))) << name;
    }
    EXPECT_FALSE(IsProfileName(QString(65, QLatin1Char('x'))));
}

}  // namespace

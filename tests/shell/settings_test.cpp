#include "shell/settings.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>

#include "recording/writer_test_support.h"
#include "support/captured_warnings.h"

namespace {

class SettingsTest : public ::testing::Test {
  protected:
    QString File() const { return dir.filePath("Omtrix.ini"); }
    void WriteFile(const QByteArray &bytes) {
        QFile file(File());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    QByteArray FileBytes(const QString &name) const {
        QFile file(name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
    }
    QTemporaryDir dir;
};

TEST(ParseIniLine, JudgesEachLineOnItsOwn) {
    using K = IniLineKind;
    const struct {
        const char *line;
        IniLineKind kind;
        const char *name;
        const char *value;
        bool remark;
    } cases[] = {
        {"", K::Blank, "", "", false},
        {"  \t", K::Blank, "", "", false},
        {"GAIN=33", K::Setting, "GAIN", "33", false},
        {"  GAIN = 33  ", K::Setting, "GAIN", "33", false},
        {"CAPFILE=", K::Setting, "CAPFILE", "", false},
        {"CAPDIR=\"/data/astro, night 1\"", K::Setting, "CAPDIR", "/data/astro, night 1", false},
        {"CAPFILE=\" M42 \"", K::Setting, "CAPFILE", " M42 ", false},
        {"CAPFILE=a\\\\b\\x41", K::Setting, "CAPFILE", "a\\bA", false},
        {"CAPFILE=@@home", K::Setting, "CAPFILE", "@home", false},
        {"GAIN=33 ; my usual gain", K::Setting, "GAIN", "33", true},
        {"; a note", K::Remark, "", "", false},
        {"[General]", K::Section, "General", "", false},
        {"[ Camera ] ", K::Section, "Camera", "", false},
        {"note to self", K::Unreadable, "", "", false},
        {"# GAIN 40 next time", K::Unreadable, "", "", false},
        {"=5", K::Unreadable, "", "", false},
        {"[broken", K::Unreadable, "", "", false},
        {"[General] GAIN=5", K::Unreadable, "", "", false},
        {"CAPFILE=\"JUPITER", K::Unreadable, "", "", false},  // would run on into the next line
        {"CAPDIR=/data\\", K::Unreadable, "", "", false},     // likewise
        {"GAIN=1, 2, 3", K::Unreadable, "", "", false},       // a list, not a text
        {"GAIN=@Variant(junk)", K::Unreadable, "", "", false},
        {"CAPFILE=\xff\xfe", K::Unreadable, "", "", false},
    };
    for (const auto &c : cases) {
        const IniLine line = ParseIniLine(QByteArrayView(c.line));
        EXPECT_EQ(line.kind, c.kind) << c.line;
        if (c.kind == K::Setting || c.kind == K::Section) {
            EXPECT_EQ(line.name, QString::fromUtf8(c.name)) << c.line;
            EXPECT_EQ(line.value, QString::fromUtf8(c.value)) << c.line;
            EXPECT_EQ(line.remark, c.remark) << c.line;
        }
    }
}

// The file of the report: four settings and a note. Every setting counts,
// the file as it was is kept before the rewrite, and the rewrite says it
// succeeded because it did.
TEST_F(SettingsTest, OneBadLineCostsOnlyItselfAndIsKeptBeforeTheRewrite) {
    const QByteArray original =
        "CAPFILE=JUPITER\nCAPDIR=/tmp\nGAIN=33\nEXPOCOUNT=250\nnote to self\n";
    WriteFile(original);
    CapturedWarnings warnings;
    {
        const SettingsStore store(File());
        EXPECT_EQ(store.ReadSetting("CAPFILE", ""), "JUPITER");
        EXPECT_EQ(store.ReadSetting("CAPDIR", ""), "/tmp");
        EXPECT_EQ(store.ReadSetting("GAIN", "10"), "33");
        EXPECT_EQ(store.ReadSetting("EXPOCOUNT", "1"), "250");
    }
    EXPECT_EQ(warnings.With("line 5 of " + File()).size(), 1)
        << warnings.All().join('\n').toStdString();

    SettingsMirror mirror{"100", "0", "250", "JUPITER", "/tmp", "F", "100", "100", "100", "40"};
    {
        SettingsStore store(File());
        EXPECT_TRUE(SaveSettings(store, mirror));
    }
    EXPECT_EQ(FileBytes(File() + ".bad"), original);
    EXPECT_EQ(warnings.With("kept as " + File() + ".bad").size(), 1);
    QSettings written(File(), QSettings::IniFormat);
    EXPECT_EQ(written.status(), QSettings::NoError);
    EXPECT_EQ(written.value("GAIN").toString(), "40");
    EXPECT_EQ(written.value("CAPFILE").toString(), "JUPITER");
    EXPECT_FALSE(FileBytes(File()).contains("note to self"));

    // The rewritten file is clean: the next exit keeps no further copy.
    {
        SettingsStore store(File());
        EXPECT_TRUE(SaveSettings(store, mirror));
    }
    EXPECT_FALSE(QFileInfo::exists(File() + ".bad.1"));
    EXPECT_EQ(warnings.All().size(), 2) << warnings.All().join('\n').toStdString();
}

TEST_F(SettingsTest, ACommentIsKeptInACopyAndAnEarlierCopyIsNeverReplaced) {
    WriteFile("older copy");
    ASSERT_TRUE(QFile::rename(File(), File() + ".bad"));
    const QByteArray original = "; gain 40 for Saturn\nGAIN=33 ; Jupiter\n";
    WriteFile(original);
    {
        SettingsStore store(File());
        EXPECT_EQ(store.ReadSetting("GAIN", "10"), "33");
        store.WriteSetting("GAIN", "40");
        EXPECT_TRUE(store.Flush());
    }
    EXPECT_EQ(FileBytes(File() + ".bad"), "older copy");
    EXPECT_EQ(FileBytes(File() + ".bad.1"), original);
    EXPECT_EQ(SettingsStore(File()).ReadSetting("GAIN", "10"), "40");
}

// A file the store cannot read is never replaced by this run's values: a
// folder in its place, or a file without read permission.
TEST_F(SettingsTest, AFileThatCannotBeReadIsLeftAsItIs) {
    // Reads give the defaults, the write is refused, and both say why.
    auto expect_refused = [&](const QString &reason) {
        CapturedWarnings warnings;
        SettingsStore store(File());
        EXPECT_EQ(store.ReadSetting("GAIN", "10"), "10");
        store.WriteSetting("GAIN", "40");
        EXPECT_FALSE(store.Flush());
        EXPECT_EQ(warnings.With(reason).size(), 2) << warnings.All().join('\n').toStdString();
    };
    ASSERT_TRUE(QDir(dir.path()).mkdir("Omtrix.ini"));
    expect_refused("is a folder");
    EXPECT_TRUE(QFileInfo(File()).isDir());
    ASSERT_TRUE(QDir(dir.path()).rmdir("Omtrix.ini"));

    if (geteuid() == 0) {
        GTEST_SKIP() << "the administrator reads every file";
    }
    WriteFile("GAIN=33\n");
    ASSERT_TRUE(QFile::setPermissions(File(), QFileDevice::WriteOwner));
    expect_refused("could not be read");
    ASSERT_TRUE(QFile::setPermissions(File(), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    EXPECT_EQ(FileBytes(File()), "GAIN=33\n");
}

TEST_F(SettingsTest, AFullDiskLeavesTheStoredValuesAsTheyWere) {
    WriteFile("[General]\nGAIN=33\n");
    SettingsMirror mirror{"100", "0", "250", "JUPITER", "/tmp", "F", "100", "100", "100", "40"};
    {
        const ScopedFileSizeLimit disk_full(16);
        ASSERT_TRUE(disk_full.Active());
        SettingsStore store(File());
        EXPECT_FALSE(SaveSettings(store, mirror));
    }
    EXPECT_EQ(FileBytes(File()), "[General]\nGAIN=33\n");
}

TEST_F(SettingsTest, MissingValuesAndMissingFileYieldTheDefault) {
    SettingsStore store(File());
    EXPECT_EQ(store.ReadSetting("EXPOCOUNT", "1"), "1");
    EXPECT_EQ(store.ReadSetting("", "x"), "x");
}

// Qt writes the file; the store reads it line by line itself, and must read
// back every text exactly, however Qt had to quote or escape it.
TEST_F(SettingsTest, WrittenTextsComeBackExactlyIncludingTheEmptyText) {
    const QString texts[] = {
        "M42 run",
        "",
        " leading",
        "trailing ",
        "/data/astro, night 1",
        "a;b=c",
        "\"",
        "say \"hi\"",
        "C:\\data\\x",
        "tab\there, line\nbreak",
        "\x01"
        "ab",
        "@home",
        "@@twice",
        "@Variant(x)",
        QString::fromUtf8("J\u00fcpiter \u2609"),
        ",",
        "#hash",
        "ends in \\",
    };
    {
        SettingsStore store(File());
        for (size_t i = 0; i < std::size(texts); ++i) {
            store.WriteSetting(QString("TEXT%1").arg(i), texts[i]);
        }
        EXPECT_TRUE(store.Flush());
    }
    CapturedWarnings warnings;
    SettingsStore store(File());
    for (size_t i = 0; i < std::size(texts); ++i) {
        EXPECT_EQ(store.ReadSetting(QString("TEXT%1").arg(i), "?"), texts[i]) << i;
    }
    EXPECT_TRUE(warnings.All().isEmpty()) << warnings.All().join('\n').toStdString();
}

TEST_F(SettingsTest, AnEmptyValueNameWritesNothing) {
    {
        SettingsStore store(File());
        store.WriteSetting("", "lost");
        store.Flush();
    }
    QFile file(File());
    if (file.open(QIODevice::ReadOnly)) {
        EXPECT_FALSE(file.readAll().contains("lost"));
    }
}

TEST_F(SettingsTest, SaveSettingsWritesAllTenMirroredValues) {
    SettingsMirror mirror{"2000", "50", "300", "JUPITER", "/tmp/x", "T", "90", "80", "70", "33"};
    {
        SettingsStore store(File());
        EXPECT_TRUE(SaveSettings(store, mirror));
    }
    SettingsStore store(File());
    EXPECT_EQ(store.ReadSetting("EXPOLENGTH", ""), "2000");
    EXPECT_EQ(store.ReadSetting("EXPODELAY", ""), "50");
    EXPECT_EQ(store.ReadSetting("EXPOCOUNT", ""), "300");
    EXPECT_EQ(store.ReadSetting("CAPFILE", ""), "JUPITER");
    EXPECT_EQ(store.ReadSetting("CAPDIR", ""), "/tmp/x");
    EXPECT_EQ(store.ReadSetting("COLORMODE", ""), "T");
    EXPECT_EQ(store.ReadSetting("REDBALANCE", ""), "90");
    EXPECT_EQ(store.ReadSetting("GREENBALANCE", ""), "80");
    EXPECT_EQ(store.ReadSetting("BLUEBALANCE", ""), "70");
    EXPECT_EQ(store.ReadSetting("GAIN", ""), "33");
}

TEST_F(SettingsTest, AStoreThatCannotBeWrittenSaysSo) {
    SettingsStore store(dir.filePath("missing/folder/that/is/a/file/Omtrix.ini"));
    QFile blocker(dir.filePath("missing"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));  // a file where a folder should be
    blocker.close();
    store.WriteSetting("GAIN", "20");
    EXPECT_FALSE(store.Flush());
}

TEST_F(SettingsTest, AHandEditedFileWithOtherKindsOfValuesFallsBack) {
    QFile file(File());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Text));
    QTextStream(&file) << "[General]\nGAIN=1, 2, 3\nCAPFILE=plain\n";
    file.close();
    SettingsStore store(File());
    EXPECT_EQ(store.ReadSetting("GAIN", "10"), "10");
    EXPECT_EQ(store.ReadSetting("CAPFILE", ""), "plain");
}

}  // namespace

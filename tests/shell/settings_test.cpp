#include "shell/settings.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

class SettingsTest : public ::testing::Test {
  protected:
    QString File() const { return dir.filePath("Omtrix.ini"); }
    QTemporaryDir dir;
};

TEST_F(SettingsTest, MissingValuesAndMissingFileYieldTheDefault) {
    SettingsStore store(File());
    EXPECT_EQ(store.ReadSetting("EXPOCOUNT", "1"), "1");
    EXPECT_EQ(store.ReadSetting("", "x"), "x");
}

TEST_F(SettingsTest, WrittenTextsComeBackExactlyIncludingTheEmptyText) {
    {
        SettingsStore store(File());
        store.WriteSetting("CAPFILE", "M42 run");
        store.WriteSetting("REDBALANCE", "");
        store.WriteSetting("CAPDIR", "/data/astro, night 1");
        EXPECT_TRUE(store.Flush());
    }
    SettingsStore store(File());
    EXPECT_EQ(store.ReadSetting("CAPFILE", "?"), "M42 run");
    EXPECT_EQ(store.ReadSetting("REDBALANCE", "100"), "");
    EXPECT_EQ(store.ReadSetting("CAPDIR", "?"), "/data/astro, night 1");
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

TEST(SettingInteger, ReadsPlainDecimalNumbersOnly) {
    EXPECT_EQ(SettingInteger("250", 1), 250);
    EXPECT_EQ(SettingInteger("007", 1), 7);
    EXPECT_EQ(SettingInteger("", 100), 0) << "the empty text reads as 0";
    EXPECT_EQ(SettingInteger("abc", 100), 100);
    EXPECT_EQ(SettingInteger("-5", 10), 10);
    EXPECT_EQ(SettingInteger("+5", 10), 10);
    EXPECT_EQ(SettingInteger(" 5", 10), 10);
    EXPECT_EQ(SettingInteger("12.5", 10), 10);
    EXPECT_EQ(SettingInteger("99999999999", 10), 10);
}

}  // namespace

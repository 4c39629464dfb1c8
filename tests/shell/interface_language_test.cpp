#include "shell/interface_language.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSet>
#include <QTemporaryDir>

namespace {

// Records what applying a language would show.
class RecordingLanguageUi : public LanguageUi {
  public:
    void ApplyTexts(const InterfaceTexts &texts) override { applied.push_back(texts); }
    void ShowLanguageProblem(const QString &message) override { problems.append(message); }

    std::vector<InterfaceTexts> applied;
    QStringList problems;
};

class InterfaceLanguageTest : public ::testing::Test {
  protected:
    // A file defining every key but `left_out` as "text of KEY".
    void WriteFile(const char *name, const QSet<QString> &left_out = {},
                   const QByteArray &extra = {}) {
        QByteArray bytes = "# test texts\r\n" + extra;
        for (const TextLookup &lookup : INTERFACE_LOOKUPS) {
            if (!left_out.contains(QLatin1String(lookup.key))) {
                bytes += QByteArray(lookup.key) + " = text of " + lookup.key + "\r\n";
            }
        }
        bytes += "END\r\n";
        QFile file(dir.filePath(QLatin1String(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    void Select(char letter) {
        language.Select(StartupLanguage(QString(QLatin1Char(letter))), dir.path(), store);
    }
    QString Stored() const { return store.ReadSetting("LANGUAGE", "<none>"); }

    QTemporaryDir dir;
    SettingsStore store{dir.filePath("Omtrix.ini")};
    RecordingLanguageUi ui;
    InterfaceLanguage language{ui};
};

TEST(StartupLanguage, TheStoredLetterChoosesAndAnythingElseIsEnglish) {
    // Swedish can be chosen in the menu, so "Y" must survive a restart too.
    const std::pair<const char *, char> cases[] = {{"N", 'N'},  {"G", 'G'}, {"U", 'U'}, {"X", 'X'},
                                                   {"Fr", 'F'}, {"Y", 'Y'}, {"E", 'E'}, {"Q", 'E'},
                                                   {"", 'E'},   {"g", 'E'}, {" G", 'E'}};
    for (auto [stored, letter] : cases) {
        EXPECT_EQ(StartupLanguage(QString::fromLatin1(stored)).letter, letter) << stored;
    }
}

TEST_F(InterfaceLanguageTest, ACompleteFileFillsEveryTextAndStoresTheLetter) {
    WriteFile("DEUTSCH.LNG");
    Select('G');
    ASSERT_EQ(ui.applied.size(), 1u);
    for (const TextLookup &lookup : INTERFACE_LOOKUPS) {
        EXPECT_EQ(ui.applied[0].*lookup.text, QStringLiteral("text of ") + lookup.key);
    }
    EXPECT_TRUE(ui.problems.isEmpty()) << ui.problems.join("\n").toStdString();
    EXPECT_EQ(Stored(), "G");
}

TEST_F(InterfaceLanguageTest, MissingKeysAreReportedOnceInOneMessage) {
    WriteFile("FRANCAIS.LNG", {"ABOUT", "LBL_COUNT", "FRM_HISTO"});
    Select('F');
    ASSERT_EQ(ui.applied.size(), 1u);
    const InterfaceTexts &texts = ui.applied[0];
    EXPECT_EQ(texts.ABOUT, "UNDEF:ABOUT");
    EXPECT_EQ(texts.LBL_COUNT, "UNDEF:LBL_COUNT");
    EXPECT_EQ(texts.LBL_DURATION, "text of LBL_DURATION");
    ASSERT_EQ(ui.problems.size(), 1);
    // In look-up order, each key once although ABOUT is looked up three times.
    EXPECT_TRUE(ui.problems[0].endsWith("Key not found ABOUT, FRM_HISTO, LBL_COUNT"))
        << ui.problems[0].toStdString();
    EXPECT_TRUE(ui.problems[0].contains("FRANCAIS.LNG"));
    EXPECT_EQ(Stored(), "F");
}

TEST_F(InterfaceLanguageTest, AMissingFileIsNamedInOneMessageAndEveryTextIsUndefined) {
    Select('U');
    ASSERT_EQ(ui.applied.size(), 1u);
    for (const TextLookup &lookup : INTERFACE_LOOKUPS) {
        EXPECT_EQ(ui.applied[0].*lookup.text, QStringLiteral("UNDEF:") + lookup.key);
    }
    ASSERT_EQ(ui.problems.size(), 1);
    EXPECT_TRUE(ui.problems[0].contains(dir.filePath("CHINESE.LNG")));
    EXPECT_EQ(Stored(), "U");
}

TEST_F(InterfaceLanguageTest, EachLoadStartsAFreshTable) {
    WriteFile("ENGLISH.LNG", {}, "EXTRA = only here\r\n");
    WriteFile("DUTCH.LNG");
    EXPECT_TRUE(language.LoadLanguage(dir.filePath("ENGLISH.LNG")));
    EXPECT_EQ(language.LookupText(" extra\t"), "only here");
    EXPECT_TRUE(language.LoadLanguage(dir.filePath("DUTCH.LNG")));
    EXPECT_EQ(language.LookupText("Extra"), "UNDEF:EXTRA");
}

}  // namespace

// The language files the program ships.
#include <gtest/gtest.h>

#include <QFile>
#include <QStringDecoder>

#include "shell/interface_language.h"

// Found by the test framework next to the type, for readable test names.
void PrintTo(const LanguageChoice &language, std::ostream *out) {
    *out << language.file_name;
}

namespace {

class ShippedLanguageFile : public ::testing::TestWithParam<LanguageChoice> {};

TEST_P(ShippedLanguageFile, DefinesEveryKeyOnceAndEndsWithAnEndLine) {
    QFile file(QStringLiteral(OMTRIX_LNG_DIR "/") + QLatin1String(GetParam().file_name));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    EXPECT_FALSE(utf8.hasError());
    EXPECT_EQ(text.trimmed().split(QLatin1Char('\n')).last().trimmed(), "END");

    const LanguageTable table = ParseLanguageFile(bytes);
    EXPECT_TRUE(table.found_end);
    for (const TextLookup &lookup : INTERFACE_LOOKUPS) {
        EXPECT_NE(table.Find(QLatin1String(lookup.key)), nullptr) << lookup.key;
    }
    for (const TextLookup &lookup : ADDED_LOOKUPS) {
        EXPECT_NE(table.Find(QLatin1String(lookup.key)), nullptr) << lookup.key;
    }
    // Nothing else, and no key twice (a second definition would be ignored).
    int definitions = 0;
    for (const QByteArray &line : bytes.split('\n')) {
        const qsizetype comment = line.indexOf('#');
        definitions += (comment < 0 ? line : line.first(comment)).contains('=') ? 1 : 0;
    }
    EXPECT_EQ(definitions, 205);
    EXPECT_EQ(table.Entries().size(), 205u);
}

TEST_P(ShippedLanguageFile, KeepsWhatTheProgramReliesOn) {
    QFile file(QStringLiteral(OMTRIX_LNG_DIR "/") + QLatin1String(GetParam().file_name));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const LanguageTable table = ParseLanguageFile(file.readAll());
    auto text = [&](const char *key) {
        const QString *value = table.Find(QLatin1String(key));
        return value ? *value : QString();
    };
    // The count button's caption tells the two modes apart.
    EXPECT_NE(text("LBL_COUNT"), text("LBL_DURATION"));
    // The exposure's length and a timed recording's duration are not one word.
    EXPECT_FALSE(text("LBL_LENGTH").contains(text("LBL_DURATION"), Qt::CaseInsensitive));
    // Status formats keep their number placeholders.
    EXPECT_EQ(text("FRAMES_LEFT").count(QStringLiteral("%d")), 1);
    EXPECT_EQ(text("MEMORYLEFT").count(QStringLiteral("%d")), 1);
    EXPECT_EQ(text("SECONDSLEFT").count(QStringLiteral("%d")), 2);
    EXPECT_EQ(text("CAM_FOUND").count(QStringLiteral("%d")), 1);
    for (const char *key : {"REC_WRITTEN", "REC_DROPPED", "REC_MINUTES", "REC_SUMMARY"}) {
        EXPECT_EQ(text(key).count(QStringLiteral("%d")), 1) << key;
    }
    EXPECT_EQ(text("MSG_DARKPROGRESS").count(QStringLiteral("%d")), 2);
    // The dark-frame prompts name the prompt's own button.
    EXPECT_TRUE(text("MSG_COVERCAMERA").contains(QStringLiteral("OK")));
    EXPECT_TRUE(text("MSG_UNCOVERCAMERA").contains(QStringLiteral("OK")));
}

INSTANTIATE_TEST_SUITE_P(Languages, ShippedLanguageFile, ::testing::ValuesIn(LANGUAGES),
                         [](const auto &info) { return std::string(info.param.menu_item); });

}  // namespace

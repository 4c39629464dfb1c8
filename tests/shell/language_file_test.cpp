#include "shell/language_file.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

QByteArrayView Bytes(const std::string &text) {
    return QByteArrayView(text.data(), static_cast<qsizetype>(text.size()));
}

// The value a file gives a key, or "<none>".
QString ValueOf(const LanguageTable &table, const char *key) {
    const QString *value = table.Find(QString::fromUtf8(key));
    return value ? *value : QStringLiteral("<none>");
}

using namespace std::string_literals;

struct LineCase {
    const char *name;
    std::string file;
    const char *key;
    std::string value;  // UTF-8, or "<none>"
};

class LanguageFileRules : public ::testing::TestWithParam<LineCase> {};

TEST_P(LanguageFileRules, GiveTheKeyItsValue) {
    const LineCase &c = GetParam();
    EXPECT_EQ(ValueOf(ParseLanguageFile(Bytes(c.file)), c.key),
              QString::fromUtf8(c.value.data(), static_cast<qsizetype>(c.value.size())));
}

// Octal escapes keep each file on one line: \032 is Ctrl-Z, \303\266 is UTF-8 o-umlaut.
INSTANTIATE_TEST_SUITE_P(
    Lines, LanguageFileRules,
    ::testing::Values(
        LineCase{"CommentDropped", "exit = Quit # menu\r\n", "EXIT", "Quit"},
        LineCase{"SplitAtTheFirstEquals", "M_FILE==File\r\n", "M_FILE", "=File"},
        LineCase{"FirstDefinitionWins", "M_EXIT=First\r\nM_EXIT=Second\r\n", "M_EXIT", "First"},
        LineCase{"KeyUpperCasedValueKept", "  m_exit \t=  Quit now  \r\n", "M_EXIT", "Quit now"},
        LineCase{"OnlyAsciiLettersUpperCased", "gr\303\266e=x", "GR\303\266E", "x"},
        LineCase{"EndLineIsStillAnEntry", "Endpoint=x\r\n", "ENDPOINT", "x"},
        LineCase{"NothingAfterTheEndLine", "A=1\r\nend of texts\r\nB=2\r\n", "B", "<none>"},
        LineCase{"IndentedEndDoesNotEnd", " END\r\nB=2\r\n", "B", "2"},
        LineCase{"CommentedEndDoesNotEnd", "#END\r\nB=2\r\n", "B", "2"},
        LineCase{"CtrlZEndsTheFile", "A=1\r\n\032B=2\r\n", "B", "<none>"},
        LineCase{"LineFeedOnly", "A=1\nB=2\n", "B", "2"},
        LineCase{"CarriageReturnOnly", "A=1\rB=2\r", "B", "2"},
        LineCase{"LastLineWithoutEnding", "A=1\r\nB=2", "B", "2"},
        LineCase{"EmptyValueIsNoDefinition", "A=  # later\r\nA=real\r\n", "A", "real"},
        LineCase{"LineWithoutEqualsIgnored", "A value\r\nA=b\r\n", "A", "b"},
        LineCase{"ByteOrderMarkIsNotPartOfTheKey", "\357\273\277A=b\r\n", "A", "b"},
        LineCase{"NulStaysInsideAValue", "A=b\0c\r\n"s, "A", "b\0c"s},
        LineCase{"NulAtTheEndsIsTrimmed", "\0B=d\0\r\n"s, "B", "d"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(LanguageFile, EndFlagTellsWhetherAnEndLineWasMet) {
    EXPECT_TRUE(ParseLanguageFile("A=1\r\nend").found_end);
    EXPECT_FALSE(ParseLanguageFile("A=1\r\n").found_end);
    EXPECT_FALSE(ParseLanguageFile("A=1\r\n\032END\r\n").found_end);
}

struct DecodeCase {
    const char *name;
    std::string bytes;
    const char16_t *text;
};

class LanguageFileDecoding : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(LanguageFileDecoding, ReadsUtf8ElseWindows1252) {
    EXPECT_EQ(DecodeLanguageFile(Bytes(GetParam().bytes)), QString::fromUtf16(GetParam().text));
}

// One bad byte makes the whole file Windows-1252, so nothing is read half one way.
INSTANTIATE_TEST_SUITE_P(
    Files, LanguageFileDecoding,
    ::testing::Values(DecodeCase{"Utf8", "Fran\303\247ais \346\233\235", u"Fran\u00e7ais \u66dd"},
                      DecodeCase{"Windows1252", "Fran\347ais \200 \223x\224 \237 \201",
                                 u"Fran\u00e7ais \u20ac \u201cx\u201d \u0178 \u0081"},
                      DecodeCase{"OneBadByteDecidesTheWholeFile", "\303\247 \347",
                                 u"\u00c3\u00a7 \u00e7"},
                      DecodeCase{"TruncatedUtf8Sequence", "ab\346\233", u"ab\u00e6\u203a"},
                      DecodeCase{"OverlongUtf8", "\300\257", u"\u00c0\u00af"},
                      DecodeCase{"BadBytesAfterCtrlZDoNotCount", "\303\247\032\347", u"\u00e7"}),
    [](const auto &info) { return std::string(info.param.name); });

// Whatever the bytes, the parser ends with a table that keeps its rules.
void ExpectSoundTable(const LanguageTable &table) {
    EXPECT_LE(static_cast<qsizetype>(table.Entries().size()), LANGUAGE_TABLE_SLOTS);
    for (const LanguageEntry &entry : table.Entries()) {
        ASSERT_FALSE(entry.key.isEmpty());
        ASSERT_FALSE(entry.value.isEmpty());
        EXPECT_EQ(entry.key, LanguageKey(entry.key));
        EXPECT_EQ(table.Find(entry.key), &entry.value);
    }
}

TEST(LanguageFileFuzz, RandomBytesGiveASoundTable) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 200; ++round) {
        std::string bytes(std::uniform_int_distribution<size_t>(0, 8192)(random), '\0');
        // Mostly printable with many separators, so that entries do form.
        const char common[] = "AB=#= \r\n\032\t\0\347\303";
        for (char &byte : bytes) {
            byte = (random() % 2) ? common[random() % (sizeof common - 1)]
                                  : static_cast<char>(random() & 0xff);
        }
        ExpectSoundTable(ParseLanguageFile(Bytes(bytes)));
    }
}

TEST(LanguageFileFuzz, AMegabyteLineIsReadWhole) {
    const std::string long_key(1 << 20, 'k');
    const std::string long_value(1 << 20, 'v');
    const LanguageTable table =
        ParseLanguageFile(Bytes(long_key + "=1\r\nA=" + long_value + "\r\n" + long_value));
    ExpectSoundTable(table);
    EXPECT_EQ(ValueOf(table, std::string(1 << 20, 'K').c_str()), "1");
    EXPECT_EQ(ValueOf(table, "A").size(), 1 << 20);
}

TEST(LanguageFileFuzz, KeysBeyondTheTableAreIgnored) {
    std::string file;
    for (int i = 0; i < 10000; ++i) {
        file += "KEY" + std::to_string(i) + "=text " + std::to_string(i) + "\r\n";
    }
    const LanguageTable table = ParseLanguageFile(Bytes(file));
    ExpectSoundTable(table);
    EXPECT_EQ(static_cast<qsizetype>(table.Entries().size()), LANGUAGE_TABLE_SLOTS);
    EXPECT_EQ(ValueOf(table, "KEY255"), "text 255");
    EXPECT_EQ(ValueOf(table, "KEY256"), "<none>");
    EXPECT_EQ(ValueOf(table, "KEY9999"), "<none>");
}

}  // namespace

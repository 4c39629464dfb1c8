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

struct LineCase {
    const char *name;
    std::string file;
    const char *key;
    const char *value;  // UTF-8, or "<none>"
};

class LanguageFileRules : public ::testing::TestWithParam<LineCase> {};

TEST_P(LanguageFileRules, GiveTheKeyItsValue) {
    const LineCase &c = GetParam();
    EXPECT_EQ(ValueOf(ParseLanguageFile(Bytes(c.file)), c.key), QString::fromUtf8(c.value));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LanguageFileRules,
    ::testing::Values(
        LineCase{"CommentDropped", "exit = Quit # menu\r\n", "EXIT", "Quit"},
        LineCase{"SplitAtTheFirstEquals", "M_FILE==File\r\n", "M_FILE", "=File"},
        LineCase{"FirstDefinitionWins", "M_EXIT=First\r\nM_EXIT=Second\r\n", "M_EXIT", "First"},
        LineCase{"KeyUpperCasedValueKept", "  m_exit \t=  Quit now  \r\n", "M_EXIT", "Quit now"},
        LineCase{"OnlyAsciiLettersUpperCased",
                 "gr\xc3\xb6\xc3\x9f"
                 "e=x",
                 "GR\xc3\xb6\xc3\x9f"
                 "E",
                 "x"},
        LineCase{"EndLineIsStillAnEntry", "Endpoint=x\r\n", "ENDPOINT", "x"},
        LineCase{"NothingAfterTheEndLine", "A=1\r\nend of texts\r\nB=2\r\n", "B", "<none>"},
        LineCase{"IndentedEndDoesNotEnd", " END\r\nB=2\r\n", "B", "2"},
        LineCase{"CommentedEndDoesNotEnd", "#END\r\nB=2\r\n", "B", "2"},
        LineCase{"CtrlZEndsTheFile",
                 "A=1\r\n\x1a"
                 "B=2\r\n",
                 "B", "<none>"},
        LineCase{"CtrlZInsideAValueCutsIt",
                 "A=ab\x1a"
                 "cd\r\n",
                 "A", "ab"},
        LineCase{"LineFeedOnly", "A=1\nB=2\n", "B", "2"},
        LineCase{"CarriageReturnOnly", "A=1\rB=2\r", "B", "2"},
        LineCase{"LastLineWithoutEnding", "A=1\r\nB=2", "B", "2"},
        LineCase{"EmptyValueIsNoDefinition", "A=  # later\r\nA=real\r\n", "A", "real"},
        LineCase{"EmptyKeyIgnored", "=value\r\n", "", "<none>"},
        LineCase{"LineWithoutEqualsIgnored", "A value\r\nA=b\r\n", "A", "b"},
        LineCase{"ByteOrderMarkIsNotPartOfTheKey",
                 "\xef\xbb\xbf"
                 "A=b\r\n",
                 "A", "b"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(LanguageFile, NulInsideAValueStaysAndNulAtTheEndsIsTrimmed) {
    const char file[] = "A=b\0c\r\n\0B=d\0\r\n";
    const LanguageTable table = ParseLanguageFile(Bytes(std::string(file, sizeof file - 1)));
    EXPECT_EQ(ValueOf(table, "A"), QStringLiteral("b") + QChar(0) + QStringLiteral("c"));
    EXPECT_EQ(ValueOf(table, "B"), "d");
}

TEST(LanguageFile, EndFlagTellsWhetherAnEndLineWasMet) {
    EXPECT_TRUE(ParseLanguageFile("A=1\r\nEND\r\n").found_end);
    EXPECT_TRUE(ParseLanguageFile("A=1\r\nend").found_end);
    EXPECT_FALSE(ParseLanguageFile("A=1\r\n").found_end);
    EXPECT_FALSE(ParseLanguageFile("A=1\r\n\x1a"
                                   "END\r\n")
                     .found_end);
    EXPECT_FALSE(ParseLanguageFile("").found_end);
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

INSTANTIATE_TEST_SUITE_P(
    Files, LanguageFileDecoding,
    ::testing::Values(DecodeCase{"Utf8",
                                 "Fran\xc3\xa7"
                                 "ais \xe6\x9b\x9d\xe5\x85\x89",
                                 u"Fran\u00e7ais \u66dd\u5149"},
                      DecodeCase{"Windows1252",
                                 "Fran\xe7"
                                 "ais",
                                 u"Fran\u00e7ais"},
                      DecodeCase{"Windows1252Specials", "\x80 \x93x\x94 \x9f \x81",
                                 u"\u20ac \u201cx\u201d \u0178 \u0081"},
                      // One bad byte makes the whole file Windows-1252, so nothing is mixed.
                      DecodeCase{"OneBadByteDecidesTheWholeFile", "\xc3\xa7 \xe7",
                                 u"\u00c3\u00a7 \u00e7"},
                      DecodeCase{"TruncatedUtf8Sequence", "ab\xe6\x9b", u"ab\u00e6\u203a"},
                      DecodeCase{"OverlongUtf8", "\xc0\xaf", u"\u00c0\u00af"},
                      DecodeCase{"BadBytesAfterCtrlZDoNotCount", "\xc3\xa7\x1a\xe7", u"\u00e7"}),
    [](const auto &info) { return std::string(info.param.name); });

// Whatever the bytes, the parser ends with a table that keeps its rules.
void ExpectSoundTable(const LanguageTable &table) {
    EXPECT_LE(static_cast<qsizetype>(table.Entries().size()), LANGUAGE_TABLE_SLOTS);
    for (const LanguageEntry &entry : table.Entries()) {
        ASSERT_FALSE(entry.key.isEmpty());
        ASSERT_FALSE(entry.value.isEmpty());
        EXPECT_GT(entry.key.front().unicode(), u' ');
        EXPECT_GT(entry.value.back().unicode(), u' ');
        EXPECT_EQ(entry.key, LanguageKey(entry.key));
        EXPECT_EQ(table.Find(entry.key), &entry.value);
    }
}

TEST(LanguageFileFuzz, RandomBytesGiveASoundTable) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 200; ++round) {
        std::string bytes(std::uniform_int_distribution<size_t>(0, 8192)(random), '\0');
        // Mostly printable with many separators, so that entries do form.
        const char common[] = "AB=#= \r\n\x1a\t\0\xe7\xc3";
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

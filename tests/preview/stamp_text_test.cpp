#include "preview/stamp_text.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <thread>

namespace {

WallClock At(int year, int month, int day, int hour, int minute, int second, int ms) {
    return {QDate(year, month, day), QTime(hour, minute, second, ms)};
}

TEST(StampText, FollowsTheChoicePrefixOffsetAndSeparators) {
    const StampSeparators slash_colon{"/", ":"};
    const StampSeparators dot_dash{".", "-"};
    struct Row {
        int32_t choice;
        std::string prefix;
        int32_t offset;
        StampSeparators separators;
        WallClock now;
        std::string expected;
    };
    const Row rows[] = {
        {0, "", 0, slash_colon, At(2024, 1, 2, 3, 0, 0, 0), ""},
        {0, "M42", 0, slash_colon, At(2024, 1, 2, 3, 0, 0, 0), "M42 "},
        {4, "   ", 0, slash_colon, At(2024, 1, 2, 21, 5, 3, 250), "21:05:03.250"},
        {4, "M42", 0, slash_colon, At(2024, 1, 2, 21, 5, 3, 250), "M42 21:05:03.250"},
        {4, " Jupiter ", 0, slash_colon, At(2024, 1, 2, 21, 5, 3, 250), " Jupiter  21:05:03.250"},
        {1, "", 0, slash_colon, At(2024, 7, 9, 10, 11, 12, 13), "09/07/2024"},
        // Month before the hour, minutes after it.
        {2, "", 0, slash_colon, At(2024, 7, 9, 10, 11, 12, 13), "09/07/2024 10:11:12"},
        {3, "", 0, slash_colon, At(2024, 7, 9, 10, 11, 12, 13), "09/07/2024 10:11:12.013"},
        // Back across midnight, a year's end, and forward across a leap day.
        {2, "", -12, slash_colon, At(2024, 1, 2, 3, 0, 0, 0), "01/01/2024 15:00:00"},
        {3, "", -12, slash_colon, At(2024, 1, 1, 5, 30, 0, 7), "31/12/2023 17:30:00.007"},
        {2, "", 12, slash_colon, At(2024, 2, 29, 18, 0, 0, 0), "01/03/2024 06:00:00"},
        {2, "", 12, slash_colon, At(2023, 12, 31, 12, 0, 0, 0), "01/01/2024 00:00:00"},
        {3, "", 0, dot_dash, At(2024, 1, 2, 3, 4, 5, 6), "02.01.2024 03-04-05.006"},
    };
    for (const Row &row : rows) {
        StampRule rule;
        rule.format = STAMP_CHOICES[row.choice].format;
        rule.prefix = row.prefix;
        rule.hour_offset = row.offset;
        rule.separators = row.separators;
        std::string text = "left over";
        BuildStampText(rule, row.now, text);
        EXPECT_EQ(text, row.expected)
            << STAMP_CHOICES[row.choice].name << " '" << row.prefix << "' " << row.offset;
    }
}

TEST(StampText, TakesTheSeparatorsOfTheLocale) {
    struct Row {
        const char *locale;
        const char *date;
        const char *time;
    };
    for (const Row row : {Row{"en_US", "/", ":"}, Row{"de_DE", ".", ":"}, Row{"nl_NL", "-", ":"},
                          Row{"da_DK", ".", "."}, Row{"C", "/", ":"}}) {
        const StampSeparators separators = LocaleStampSeparators(QLocale(row.locale));
        EXPECT_EQ(separators.date, row.date) << row.locale;
        EXPECT_EQ(separators.time, row.time) << row.locale;
    }
}

TEST(StampSettings, KeepsItsValuesInRange) {
    StampSettings settings;
    EXPECT_EQ(settings.Rule().format, "dd/mm/yyyy hh:mm:ss.zzz");
    settings.SetChoice(4);
    settings.SetChoice(5);
    settings.SetChoice(-1);
    EXPECT_EQ(settings.Rule().format, "hh:mm:ss.zzz");
    settings.SetHourOffset(-13);
    EXPECT_EQ(settings.Rule().hour_offset, -12);
    settings.SetHourOffset(40);
    EXPECT_EQ(settings.Rule().hour_offset, 12);
}

// The acquisition thread reads the rule while the window changes it: every
// rule it sees is one that was set, and it sees the last one in the end.
TEST(StampSettings, ARuleReadWhileItChangesIsWhole) {
    StampSettings settings;
    const std::string prefixes[] = {"short", std::string(200, 'L')};
    std::atomic<bool> done{false};
    std::thread reader([&] {
        StampRule rule;
        uint64_t version = 0;
        while (!done) {
            settings.Refresh(rule, version);
            ASSERT_TRUE(rule.prefix.empty() || rule.prefix == prefixes[0] ||
                        rule.prefix == prefixes[1]);
        }
    });
    for (int i = 0; i < 2000; ++i) {
        settings.SetPrefix(prefixes[i % 2]);
        settings.SetHourOffset(i % 25 - 12);
    }
    done = true;
    reader.join();

    StampRule rule;
    uint64_t version = 0;
    settings.Refresh(rule, version);
    EXPECT_EQ(rule.prefix, prefixes[1]);
    EXPECT_EQ(rule.hour_offset, 1999 % 25 - 12);
    rule.prefix = "untouched";
    settings.Refresh(rule, version);
    EXPECT_EQ(rule.prefix, "untouched") << "an unchanged rule is not copied again";
}

}  // namespace

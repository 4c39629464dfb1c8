#include "shell/text_format.h"

#include <gtest/gtest.h>

TEST(FormatText, FillsIntegerPlaceholdersInOrder) {
    EXPECT_EQ(FormatText("%d frames left", {12}), "12 frames left");
    EXPECT_EQ(FormatText("%d s left, %d frames", {9, 140}), "9 s left, 140 frames");
    EXPECT_EQ(FormatText("%03d%%", {7}), "007%");
    EXPECT_EQ(FormatText("[%5d]", {42}), "[   42]");
    EXPECT_EQ(FormatText("%d", {-3}), "-3");
}

TEST(FormatText, UntrustedFormatsCannotReachBeyondTheirValues) {
    // A language file asking for more values than the program gives, or for
    // kinds it never gives, gets its text back unchanged.
    EXPECT_EQ(FormatText("%d and %d", {1}), "1 and %d");
    EXPECT_EQ(FormatText("%s %n %x", {1, 2}), "%s %n %x");
    EXPECT_EQ(FormatText("100%", {}), "100%");
    EXPECT_EQ(FormatText("plain", {5}), "plain");
    EXPECT_EQ(FormatText("%999999999d", {1}).size(), QString("%999999999d").size());
}

#include "analysis/histogram.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

HistogramBins Bins(std::initializer_list<std::pair<int, int32_t>> counts) {
    HistogramBins bins{};
    for (auto [value, count] : counts)
        bins[value] = count;
    return bins;
}

}  // namespace

TEST(HistogramCount, GreyCountsEverySampleOfTheRowsAsked) {
    std::vector<uint8_t> frame(640 * 480);
    for (size_t i = 0; i < frame.size(); ++i)
        frame[i] = uint8_t(i % 7 == 0 ? 255 : i % 256);
    HistogramBins bins;
    CountGrey(frame.data(), 640, 480, bins);
    HistogramBins expected{};
    for (uint8_t v : frame)
        ++expected[v];
    EXPECT_EQ(bins, expected);

    // Lengths that do not fill the last group of four, and nothing at all.
    struct Row {
        int32_t width, rows, counted;
    };
    for (const Row row : {Row{7, 1, 7}, Row{3, 3, 9}, Row{0, 5, 0}, Row{5, 0, 0}}) {
        const std::vector<uint8_t> flat(64, 100);
        CountGrey(flat.data(), row.width, row.rows, bins);
        EXPECT_EQ(bins[100], row.counted) << row.width << " x " << row.rows;
    }
}

TEST(HistogramCount, BayerWalkSkipsTheEdgesOfTheMosaic) {
    // Each sample carries its colour: green 10, red 20, blue 30; the rows and
    // pairs that must not be counted carry 99.
    constexpr int32_t W = 12, H = 8;
    std::vector<uint8_t> frame(W * H);
    for (int32_t y = 0; y < H; ++y) {
        for (int32_t x = 0; x < W; ++x) {
            uint8_t v = y % 2 == 0 ? (x % 2 == 0 ? 10 : 20) : (x % 2 == 0 ? 30 : 10);
            const bool edge_pair = y % 2 == 1 && (x < 2 || x >= W - 2);
            if (y == 0 || y >= H - 3 || edge_pair)
                v = 99;
            frame[y * W + x] = v;
        }
    }
    HistogramBins red, green, blue;
    // A colour frame of H rows is passed as H - 2 rows: rows 1 to H - 4 count.
    CountBayer(frame.data(), W, H - 2, red, green, blue);
    // Rows 1, 3: 4 inner pairs each; rows 2, 4: 6 pairs each.
    EXPECT_EQ(red, Bins({{20, 12}}));
    EXPECT_EQ(green, Bins({{10, 12 + 8}}));
    EXPECT_EQ(blue, Bins({{30, 8}}));
}

TEST(HistogramCount, FramesTooSmallForACellLeaveChannelsEmpty) {
    const std::vector<uint8_t> frame(64, 50);
    struct Row {
        int32_t width, rows, red, green, blue;
    };
    for (const Row row : {
             Row{5, 4, 2, 2, 0},  // odd rows need six samples: only row 2 counts
             Row{6, 4, 3, 3 + 1, 1},
             Row{8, 2, 0, 0, 0},  // no row between the first and the last
             Row{1, 6, 0, 0, 0},  // no pair in a row
             Row{0, 0, 0, 0, 0},
         }) {
        HistogramBins red, green, blue;
        CountBayer(frame.data(), row.width, row.rows, red, green, blue);
        EXPECT_EQ(red[50], row.red) << row.width << " x " << row.rows;
        EXPECT_EQ(green[50], row.green) << row.width << " x " << row.rows;
        EXPECT_EQ(blue[50], row.blue) << row.width << " x " << row.rows;
    }
}

TEST(ObjectOnly, ClearsEverythingBelowMeanPlusOneDeviation) {
    struct Row {
        const char *name;
        HistogramBins bins, expected;
    };
    const Row rows[] = {
        // Mean 29, deviation 57: the sky at 10 goes, the planet at 200 stays.
        {"sky and planet", Bins({{10, 900}, {85, 1}, {200, 100}}), Bins({{200, 100}})},
        {"threshold itself stays", Bins({{0, 5}, {2, 5}}), Bins({{2, 5}})},
        // Mean 249.5 + 16.5 passes 255: the saturated bin must survive.
        {"never above 255", Bins({{200, 1}, {255, 9}}), Bins({{255, 9}})},
        {"flat frame keeps its bin", Bins({{100, 4}}), Bins({{100, 4}})},
        {"empty channel untouched", Bins({}), Bins({})},
    };
    for (const Row &row : rows) {
        HistogramBins bins = row.bins;
        RemoveBackground(bins);
        EXPECT_EQ(bins, row.expected) << row.name;
    }
}

TEST(ChannelScale, MeanAndCountAxis) {
    struct Row {
        const char *name;
        HistogramBins bins;
        int32_t mean, y_top;
    };
    const Row rows[] = {
        // The +1 in the divisor pulls small counts down: 400 / 5 = 80.
        {"four samples of 100", Bins({{100, 4}}), 80, 9},
        {"many samples of 100", Bins({{100, 100000}}), 100, 100005},
        // A lone spike ten times the previous record: the axis shows the rest.
        {"black sky spike", Bins({{10, 50}, {20, 1000}}), 20, 100},
        {"no spike", Bins({{10, 200}, {20, 1000}}), 18, 1005},
        // Only the record broken by the peak counts, not the second highest.
        {"spike first", Bins({{0, 100000}, {50, 100}}), 0, 100005},
        {"empty", Bins({}), 0, 5},
        // 2.5 rounds to even.
        {"mean half way", Bins({{2, 2}, {3, 2}, {5, 1}}), 2, 7},
    };
    for (const Row &row : rows) {
        const ChannelScale scale = ScaleChannel(row.bins);
        EXPECT_EQ(scale.mean, row.mean) << row.name;
        EXPECT_EQ(scale.y_top, row.y_top) << row.name;
    }
}

namespace {

TEST(HistogramClipping, SharesAtZeroAndFullAreOfEverySample) {
    const struct {
        HistogramBins bins;
        double at_zero;
        double at_full;
    } cases[] = {
        {Bins({}), 0, 0},  // an empty channel
        {Bins({{0, 1}, {100, 2}, {255, 1}}), 25, 25},
        {Bins({{255, 7}}), 0, 100},
        {Bins({{1, 999}, {254, 1}}), 0, 0},  // nearly is not clipped
    };
    for (const auto &row : cases) {
        const ClippedShares shares = ClippedSharesOf(row.bins);
        EXPECT_DOUBLE_EQ(shares.at_zero, row.at_zero);
        EXPECT_DOUBLE_EQ(shares.at_full, row.at_full);
    }
}

}  // namespace

#include "camera/frame_list.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

TEST(NewFrame, AllocatesAZeroFilledBlockOfTheFixedSize) {
    PImageLst frame = NewFrame(640, 480, "stamp");
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->w, 640);
    EXPECT_EQ(frame->h, 480);
    EXPECT_EQ(frame->TS, "stamp");
    EXPECT_EQ(frame->Next, nullptr);
    EXPECT_EQ(frame->Data[0], 0);
    EXPECT_EQ(frame->Data[FRAME_BLOCK_BYTES - 1], 0);
    FreeFrame(frame);
}

TEST(NewFrame, AReusedBlockIsZeroedAgain) {
    for (int round = 0; round < 8; ++round) {
        PImageLst frame = NewFrame(640, 480, "");
        ASSERT_NE(frame, nullptr);
        for (size_t i = 0; i < 640 * 480; i += 997)
            EXPECT_EQ(frame->Data[i], 0) << i;
        EXPECT_EQ(frame->Data[FRAME_BLOCK_BYTES - 1], 0);
        std::memset(frame->Data, 0xFF, 640 * 480);
        FreeFrame(frame);
    }
}

TEST(FrameList, KeepsFramesOldestFirst) {
    FrameList list;
    EXPECT_EQ(list.Oldest(), nullptr);
    EXPECT_EQ(list.Newest(), nullptr);
    list.RemoveOldestFrame();  // nothing to remove: no effect

    PImageLst first = NewFrame(4, 1, "1");
    PImageLst second = NewFrame(4, 1, "2");
    PImageLst third = NewFrame(4, 1, "3");
    list.AppendFrame(first);
    // A one-frame list: head and tail are the same record.
    EXPECT_EQ(list.Oldest(), first);
    EXPECT_EQ(list.Newest(), first);
    list.AppendFrame(second);
    list.AppendFrame(third);
    EXPECT_EQ(list.Count(), 3u);
    EXPECT_EQ(list.Oldest(), first);
    EXPECT_EQ(list.Newest(), third);
    EXPECT_EQ(first->Next, second);

    list.RemoveOldestFrame();
    EXPECT_EQ(list.Oldest(), second);
    list.RemoveOldestFrame();
    list.RemoveOldestFrame();
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_EQ(list.Oldest(), nullptr);
    EXPECT_EQ(list.Newest(), nullptr);

    // The tail was reset with the head: a new frame starts the list afresh.
    PImageLst fourth = NewFrame(4, 1, "4");
    list.AppendFrame(fourth);
    EXPECT_EQ(list.Oldest(), fourth);
    EXPECT_EQ(list.Newest(), fourth);
}

TEST(FrameList, ClearEmptiesTheList) {
    FrameList list;
    for (int i = 0; i < 5; ++i)
        list.AppendFrame(NewFrame(4, 1, ""));
    list.ClearFrameList();
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_EQ(list.Newest(), nullptr);
    list.AppendFrame(NewFrame(4, 1, ""));
    EXPECT_EQ(list.Count(), 1u);
}

// One thread appends as the acquisition thread does while another removes
// and clears as the GUI thread does; every frame must be seen once and in
// order, none lost or freed twice (the sanitizer builds check the latter).
TEST(FrameList, AppendRemoveAndClearFromTwoThreads) {
    FrameList list;
    constexpr int kFrames = 3000;
    std::atomic<bool> done{false};
    std::thread producer([&] {
        for (int i = 0; i < kFrames; ++i) {
            PImageLst frame = NewFrame(1, 1, "");
            frame->w = i;  // sequence number
            list.AppendFrame(frame);
        }
        done = true;
    });

    int removed = 0;
    int cleared_rounds = 0;
    int last_seen = -1;
    while (!done || list.Count() > 0) {
        if (PImageLst oldest = list.Oldest()) {
            EXPECT_GT(oldest->w, last_seen);
            last_seen = oldest->w;
            if (list.Newest() == oldest) {
                // Removing a one-frame list while the other thread may be
                // appending behind it.
                list.RemoveOldestFrame();
            } else if (++cleared_rounds % 97 == 0) {
                list.ClearFrameList();
            } else {
                list.RemoveOldestFrame();
            }
            ++removed;
        }
    }
    producer.join();
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_EQ(list.Oldest(), nullptr);
    EXPECT_GT(removed, 0);
}

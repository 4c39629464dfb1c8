#include "camera/frame_list.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <vector>

TEST(NewFrame, AllocatesABlockOfTheFixedSize) {
    PImageLst frame = NewFrame(640, 480, "stamp");
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->w, 640);
    EXPECT_EQ(frame->h, 480);
    EXPECT_EQ(frame->TS, "stamp");
    EXPECT_EQ(frame->Next, nullptr);
    frame->Data[FRAME_BLOCK_BYTES - 1] = 1;  // the whole block is the frame's
    FreeFrame(frame);
}

// The blocks follow the camera: its whole sensor at its depth fits one, and
// a camera that does not describe itself keeps today's block.
TEST(NewFrame, BlocksHoldTheWholeSensorAtItsDepth) {
    struct Row {
        int32_t width, height, bit_depth;
        size_t block_bytes;
    };
    for (const Row row : {
             Row{2048, 1536, 8, FRAME_BLOCK_BYTES},
             Row{1304, 976, 12, FRAME_BLOCK_BYTES},
             Row{2048, 1536, 12, size_t{2048} * 1536 * 2},
             Row{4096, 3072, 8, size_t{4096} * 3072},
             Row{4096, 3072, 16, size_t{4096} * 3072 * 2},
         }) {
        const std::string label = std::to_string(row.width) + "x" + std::to_string(row.height) +
                                  " " + std::to_string(row.bit_depth) + " bits";
        EXPECT_EQ(FrameBlockBytes(row.width, row.height, row.bit_depth), row.block_bytes) << label;
        SetFrameBlockBytes(row.block_bytes);
        PImageLst frame = NewFrame(row.width, row.height, "", row.bit_depth);
        ASSERT_NE(frame, nullptr) << label;
        EXPECT_EQ(frame->block_bytes, row.block_bytes) << label;
        frame->Data[row.block_bytes - 1] = 1;  // the whole block is the frame's
        FreeFrame(frame);
        // The spare comes back for the next frame of the same connection.
        PImageLst next = NewFrame(320, 240, "", row.bit_depth);
        ASSERT_NE(next, nullptr) << label;
        EXPECT_EQ(next->block_bytes, row.block_bytes) << label;
        FreeFrame(next);
    }
    // A frame larger than the connection's blocks is never written past its
    // block's end.
    SetFrameBlockBytes(FRAME_BLOCK_BYTES);
    PImageLst deep = NewFrame(4096, 3072, "", 16);
    ASSERT_NE(deep, nullptr);
    EXPECT_GE(deep->block_bytes, size_t{4096} * 3072 * 2);
    deep->Data[size_t{4096} * 3072 * 2 - 1] = 1;
    FreeFrame(deep);
    SetFrameBlockBytes(FRAME_BLOCK_BYTES);
    EXPECT_EQ(CurrentFrameBlockBytes(), FRAME_BLOCK_BYTES);
}

// A writer that fell behind a fast camera frees many frames at once; the
// camera's next frames get those blocks back rather than new memory, whose
// first writes cost a page fault per 4 KB.
TEST(NewFrame, FramesFreedAfterABacklogAreReused) {
    constexpr int kBacklog = 48;
    std::vector<PImageLst> frames;
    std::set<uint8_t *> blocks;
    for (int i = 0; i < kBacklog; ++i) {
        frames.push_back(NewFrame(640, 480, "a stamp text longer than the short-string buffer"));
        ASSERT_NE(frames.back(), nullptr);
        blocks.insert(frames.back()->Data);
    }
    for (PImageLst frame : frames)
        FreeFrame(frame);
    for (int i = 0; i < kBacklog; ++i) {
        frames[i] = NewFrame(320, 240, "");
        EXPECT_EQ(blocks.count(frames[i]->Data), 1u) << i;
        EXPECT_EQ(frames[i]->w, 320);
        EXPECT_TRUE(frames[i]->TS.empty());
        EXPECT_EQ(frames[i]->generation, 0u);
    }
    for (PImageLst frame : frames)
        FreeFrame(frame);
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

#include "camera/frame_ready.h"

#include <gtest/gtest.h>

#include "camera/frame_conversion.h"
#include "support/fake_driver.h"

namespace {

class FrameReadyTest : public ::testing::Test {
  protected:
    void SetUp() override { fake_driver::Reset(); }

    // Queues a frame whose samples are 0, 1, 2, ... (mod 256), as the
    // acquisition thread would, and returns it.
    PImageLst Queue(int32_t w, int32_t h) {
        PImageLst frame = NewFrame(w, h, "");
        for (int32_t i = 0; i < w * h; ++i)
            frame->Data[i] = uint8_t(i);
        frames.AppendFrame(frame);
        return frame;
    }

    CameraDriver driver = fake_driver::Driver();
    FrameList frames;
    RecordingPoster poster;
    TVideoCapture capture{driver, frames, poster};
    PreviewInput preview;
    FrameReadyHandler handler{frames, capture, driver, poster, &preview};
};

TEST_F(FrameReadyTest, LiveViewConvertsRemovesAndAsksForARender) {
    Queue(4, 2);
    handler.OnFrameReady(false, 1000);
    EXPECT_EQ(frames.Count(), 0u);
    EXPECT_EQ(preview.preview_busy, PREVIEW_PENDING);
    EXPECT_EQ(poster.Posted(), std::vector<MainWindowMessage>{MSG_RENDER_PREVIEW});
    // Frame row 0 is the bitmap's lowest-addressed (bottom) row, grey pixels.
    const Bitmap24 &bitmap = preview.working_bitmap;
    ASSERT_EQ(bitmap.Width(), 4);
    ASSERT_EQ(bitmap.Height(), 2);
    EXPECT_EQ(bitmap.Row(0)[3 * 1], 1);
    EXPECT_EQ(bitmap.Row(0)[3 * 1 + 2], 1);
    EXPECT_EQ(bitmap.Row(1)[0], 4);
}

TEST_F(FrameReadyTest, AFrameArrivingDuringAPendingRenderIsDroppedUntouched) {
    Queue(4, 2);
    handler.OnFrameReady(false, 1000);
    poster.Clear();
    PImageLst second = Queue(8, 8);
    second->Data[0] = 99;
    handler.OnFrameReady(true, 1010);
    // Not converted, not copied for analysis, but still removed.
    EXPECT_EQ(preview.working_bitmap.Width(), 4);
    EXPECT_EQ(preview.analysis.W, 4);
    EXPECT_NE(preview.analysis.samples[0], 99);
    EXPECT_EQ(frames.Count(), 0u);
    EXPECT_TRUE(poster.Posted().empty());
}

TEST_F(FrameReadyTest, AnalysisCopyIsRefreshedOnlyWhenAnAnalysisWindowWantsIt) {
    preview.analysis.samples[0] = 200;
    Queue(4, 2);
    handler.OnFrameReady(false, 1000);
    EXPECT_EQ(preview.analysis.samples[0], 200) << "hidden windows: old content kept";

    preview.preview_busy = PREVIEW_IDLE;
    PImageLst frame = Queue(4, 2);
    frame->Data[0] = 42;
    handler.OnFrameReady(true, 1100);
    EXPECT_EQ(preview.analysis.samples[0], 42);
    EXPECT_EQ(preview.analysis.W, 4);
    EXPECT_EQ(preview.analysis.H, 2);
}

TEST_F(FrameReadyTest, ColourPicturesAreOneRowShorterThanTheirMosaic) {
    capture.__color = true;
    Queue(8, 6);
    handler.OnFrameReady(false, 1000);
    EXPECT_EQ(preview.working_bitmap.Width(), 8);
    EXPECT_EQ(preview.working_bitmap.Height(), 5);
    // The driver's demosaic filled it.
    EXPECT_EQ(preview.working_bitmap.Row(4)[3 * 7 + 2], 3);
}

// A demosaic that writes each byte's place in its back-to-back rows, so the
// rows' landing places in a padded picture can be read back.
void NumberingDemosaic(const uint8_t *, uint8_t *bgr, int32_t w, int32_t h) {
    for (int32_t i = 0; i < w * h * 3; ++i)
        bgr[i] = uint8_t(i % 251);
}

TEST(FrameToBitmap, DemosaicedRowsLandInTheirPaddedPlaces) {
    CameraDriver driver = fake_driver::Driver();
    driver.debayerImage = NumberingDemosaic;
    for (const int32_t w : {2, 5, 6, 7, 8}) {  // rows padded by 2, 3, 2, 3 and 0 bytes
        PImageLst frame = NewFrame(w, 6, "");
        Bitmap24 bitmap;
        FrameToBitmap(driver, *frame, true, bitmap);
        FreeFrame(frame);
        ASSERT_EQ(bitmap.Height(), 5);
        for (int32_t r = 0; r < 5; ++r) {
            for (int32_t b = 0; b < w * 3; ++b) {
                ASSERT_EQ(bitmap.Row(r)[b], (r * w * 3 + b) % 251)
                    << "width " << w << " row " << r << " byte " << b;
            }
        }
    }
}

// A faint 12-bit frame: samples 0 ... 15, a few just under and at the
// depth's maximum.
PImageLst DeepFrame() {
    PImageLst frame = NewFrame(4, 5, "", 12);
    auto *samples = reinterpret_cast<uint16_t *>(frame->Data);
    for (int32_t i = 0; i < 16; ++i)
        samples[i] = uint16_t(i);
    samples[16] = 4079;
    samples[17] = 4080;
    samples[18] = 4094;
    samples[19] = 4095;
    return frame;
}

// The view a deep frame is shown from, with the points over its depth: what
// the picture and the analysis copy hold, the renderer's stretch not applied
// again. With the white point at 16 (16 of 4095) the faint samples fill the
// range; with 0 ... 255 the view is the top 8 bits, 255 kept for saturation.
TEST_F(FrameReadyTest, ADeepFrameIsShownThroughItsViewWithThePointsOverItsDepth) {
    const struct {
        int32_t black_point, white_point;
        uint8_t expected[20];
    } rows[] = {
        {0, 16, {0,   15,  31,  47,  63,  79,  95,  111, 127, 143,
                 159, 175, 191, 207, 223, 239, 254, 254, 254, 255}},
        {0, 255, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 254, 254, 254, 255}},
    };
    for (const auto &row : rows) {
        preview.preview_busy = PREVIEW_IDLE;
        preview.black_point = row.black_point;
        preview.white_point = row.white_point;
        frames.AppendFrame(DeepFrame());
        handler.OnFrameReady(true, 1000);
        EXPECT_TRUE(preview.bitmap_stretched);
        ASSERT_EQ(preview.working_bitmap.Width(), 4);
        ASSERT_EQ(preview.working_bitmap.Height(), 5);
        for (int32_t i = 0; i < 20; ++i) {
            EXPECT_EQ(preview.analysis.samples[i], row.expected[i]) << "sample " << i;
            EXPECT_EQ(preview.working_bitmap.Row(i / 4)[3 * (i % 4)], row.expected[i])
                << "pixel " << i;
        }
    }
    // An 8-bit frame after it is stretched by the renderer again.
    preview.preview_busy = PREVIEW_IDLE;
    Queue(4, 2);
    handler.OnFrameReady(false, 2000);
    EXPECT_FALSE(preview.bitmap_stretched);
}

// What a recording's 24-bit picture of a deep frame holds: its top 8 bits.
TEST(FrameToBitmap, ADeepFrameIsNarrowedToItsTopEightBits) {
    CameraDriver driver = fake_driver::Driver();
    PImageLst frame = DeepFrame();
    Bitmap24 bitmap;
    FrameToBitmap(driver, *frame, false, bitmap);
    FreeFrame(frame);
    ASSERT_EQ(bitmap.Height(), 5);
    EXPECT_EQ(bitmap.Row(0)[3 * 3], 0);
    EXPECT_EQ(bitmap.Row(4)[3 * 0], 254);  // 4079
    EXPECT_EQ(bitmap.Row(4)[3 * 1], 255);  // 4080
    EXPECT_EQ(bitmap.Row(4)[3 * 3], 255);  // 4095
}

TEST_F(FrameReadyTest, RecordingHandsEveryFrameToTheRecorderAndThrottlesThePreview) {
    capture.BeginRecording(0, 0);
    Queue(4, 2);
    handler.OnFrameReady(false, 10000);
    EXPECT_EQ(poster.Posted(),
              (std::vector<MainWindowMessage>{MSG_RECORD_FRAME, MSG_RENDER_PREVIEW}));
    EXPECT_EQ(frames.Count(), 1u) << "the recorder removes recorded frames";

    // Notice by notice: the tick, the frames then queued (the recorder takes
    // them meanwhile), and whether the picture is refreshed. While the
    // writer keeps up, ten pictures a second; once frames pile up, one per
    // 2 s until the queue is down to the newest frame again.
    const struct {
        uint32_t tick;
        size_t queued;
        bool rendered;
    } notices[] = {
        {10099, 1, false}, {10100, 2, true}, {10233, 3, false}, {10400, 2, false},
        {12099, 2, false}, {12100, 2, true}, {12150, 1, false}, {12200, 1, true},
    };
    for (const auto &notice : notices) {
        preview.preview_busy = PREVIEW_IDLE;
        poster.Clear();
        while (frames.Count() < notice.queued)
            Queue(4, 2);
        while (frames.Count() > notice.queued)
            frames.RemoveOldestFrame();
        handler.OnFrameReady(false, notice.tick);
        EXPECT_EQ(poster.Count(MSG_RENDER_PREVIEW), notice.rendered ? 1u : 0u) << notice.tick;
        EXPECT_EQ(poster.Count(MSG_RECORD_FRAME), 1u);
        EXPECT_EQ(frames.Count(), notice.queued) << "every frame stays for the recorder";
    }
}

TEST_F(FrameReadyTest, RecordingStillPostsWhileARenderIsPending) {
    capture.BeginRecording(0, 0);
    preview.preview_busy = PREVIEW_PENDING;
    Queue(4, 2);
    handler.OnFrameReady(false, 50000);
    EXPECT_EQ(poster.Posted(), std::vector<MainWindowMessage>{MSG_RECORD_FRAME});
}

TEST_F(FrameReadyTest, WithoutAPreviewFramesOnlyFlowToTheRecorderOrAway) {
    FrameReadyHandler headless{frames, capture, driver, poster, nullptr};
    Queue(4, 2);
    headless.OnFrameReady(true, 1000);
    EXPECT_EQ(frames.Count(), 0u);
    EXPECT_TRUE(poster.Posted().empty());

    capture.BeginRecording(0, 0);
    Queue(4, 2);
    headless.OnFrameReady(true, 1000);
    EXPECT_EQ(frames.Count(), 1u);
    EXPECT_EQ(poster.Posted(), std::vector<MainWindowMessage>{MSG_RECORD_FRAME});
}

TEST_F(FrameReadyTest, FramesARecordingLeftQueuedAreGivenBackAtOnce) {
    capture.BeginRecording(0, 0);
    for (int i = 0; i < 15; ++i)
        Queue(4, 2);
    capture.EndRecording();
    PImageLst newest = Queue(4, 2);
    newest->Data[0] = 77;
    handler.OnFrameReady(false, 1000);
    EXPECT_LE(frames.Count(), 1u);
    EXPECT_EQ(preview.working_bitmap.Row(0)[0], 77) << "the newest frame is shown";
    for (int i = 0; i < 5; ++i) {
        Queue(4, 2);
        preview.preview_busy = PREVIEW_IDLE;
        handler.OnFrameReady(false, 1100);
    }
    EXPECT_LE(frames.Count(), 1u) << "and the list stays at about one frame";
}

TEST_F(FrameReadyTest, ANoticeOnAnEmptyListStillCompletes) {
    handler.OnFrameReady(false, 1000);
    EXPECT_EQ(frames.Count(), 0u);
    EXPECT_EQ(poster.Count(MSG_RENDER_PREVIEW), 1u);
}

}  // namespace

// A sensor larger than the default camera's: the analysis copy grows to the
// whole frame rather than being written past its end.
TEST_F(FrameReadyTest, TheAnalysisCopyHoldsALargeSensorsFrame) {
    SetFrameBlockBytes(FrameBlockBytes(4096, 3072, 8));
    PImageLst frame = Queue(4096, 3072);
    const uint8_t last = frame->Data[size_t{4096} * 3072 - 1];
    handler.OnFrameReady(true, 1000);
    EXPECT_EQ(preview.analysis.W, 4096);
    EXPECT_EQ(preview.analysis.H, 3072);
    EXPECT_GE(preview.analysis.capacity, size_t{4096} * 3072);
    EXPECT_EQ(preview.analysis.samples[size_t{4096} * 3072 - 1], last);
    SetFrameBlockBytes(FRAME_BLOCK_BYTES);
}

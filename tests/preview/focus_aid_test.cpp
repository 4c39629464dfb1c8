#include "preview/focus_aid.h"

#include <gtest/gtest.h>

#include <cstring>

#include "camera/frame_conversion.h"

namespace {

class RecordingFocusView : public FocusView {
  public:
    bool Visible() const override { return true; }
    void ShowFocus(const FocusReading &shown, const QImage &crop) override {
        reading = shown;
        crop_size = crop.size();
        ++updates;
    }
    FocusReading reading;
    QSize crop_size;
    int updates = 0;
};

class FocusAidTest : public ::testing::Test {
  protected:
    // A grey frame of background 10 with a star of `value` at picture pixel
    // (x, y), in the analysis copy and converted into the picture.
    void Frame(int32_t W, int32_t H, int32_t x, int32_t y, uint8_t value) {
        std::memset(analysis.samples.get(), 10, size_t(W) * H);
        analysis.samples[size_t(H - 1 - y) * W + x] = value;
        analysis.W = W;
        analysis.H = H;
        GreyToBitmap(analysis.samples.get(), W, H, picture);
    }
    void Update() { aid.Update(analysis, picture, false, false, view); }

    AnalysisCopy analysis;
    Bitmap24 picture;
    FocusAid aid;
    RecordingFocusView view;
};

TEST_F(FocusAidTest, TheFirstUpdateWithoutAPickCentresTheCrop) {
    Frame(640, 480, 320, 240, 180);
    Update();
    EXPECT_EQ(aid.posx, 320);
    EXPECT_EQ(aid.posy, 240);
    EXPECT_EQ(view.reading.peak, 180);
    EXPECT_EQ(view.reading.MIN, 180);
    EXPECT_EQ(view.crop_size, QSize(FOCUS_CROP, FOCUS_CROP));
    ASSERT_NE(view.reading.plot, nullptr);
    EXPECT_EQ(view.reading.scale.z_high, 180 - 10 + 10);
}

TEST_F(FocusAidTest, AfterTheFrameShrinksTheCropStaysInsideIt) {
    aid.Pick({600, 450});            // picked on a full-size picture
    Frame(160, 120, 150, 110, 230);  // then binned and cut to 160 x 120
    Update();
    EXPECT_EQ(aid.posx, 160 - 1 - FOCUS_HALF);
    EXPECT_EQ(aid.posy, 120 - 1 - FOCUS_HALF);
    EXPECT_EQ(view.reading.peak, 230) << "the star in the corner is inside the crop";
}

TEST_F(FocusAidTest, ARestartAndTheSmallScreenAreHonoured) {
    Frame(320, 240, 100, 100, 90);
    aid.Pick({100, 100});
    Update();
    Frame(320, 240, 100, 100, 150);
    Update();
    EXPECT_EQ(view.reading.MIN, 90);
    EXPECT_EQ(view.reading.MAX, 150);
    aid.Restart();
    aid._NO3D = true;
    Update();
    EXPECT_EQ(view.reading.MIN, 150);
    EXPECT_EQ(view.reading.plot, nullptr) << "the plot is not fed on small screens";
}

TEST_F(FocusAidTest, AFrameWithoutAPictureLeavesTheWindowAsItWas) {
    analysis.W = 1;
    analysis.H = 1;
    picture.SetSize(1, 0);
    aid.Update(analysis, picture, true, false, view);
    EXPECT_EQ(view.updates, 0);
}

}  // namespace

// The focus aid, the Roddier aid and solar mode as the observer reaches them.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLCDNumber>
#include <QMouseEvent>

#include "main_window_fixture.h"
#include "widgets/circle_shape.h"
#include "widgets/preview_image.h"

namespace {

// A press of `button` at `at` on `widget`, as the mouse gives it.
void Press(QWidget *widget, Qt::MouseButton button, QPoint at) {
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), widget->mapToGlobal(QPointF(at)),
                      button, button, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), widget->mapToGlobal(QPointF(at)),
                        button, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

// A control of one tool window: the windows reuse names such as Label2.
template <typename Control>
Control *In(QWidget &window, const char *name) {
    auto *control = window.findChild<Control *>(QLatin1String(name));
    EXPECT_NE(control, nullptr) << name;
    return control;
}

class AnalysisAidsTest : public MainWindowTest {
  protected:
    // Starts on a 320 x 240 sub-frame, with a picture shown.
    void StartSmall() {
        ASSERT_TRUE(Start());
        C<QSlider>("__width")->setValue(80);
        C<QSlider>("__height")->setValue(60);
        C<QSpinBox>("expo")->setValue(0);
        ASSERT_TRUE(RunUntil([&] { return C<PreviewImage>("Image1")->width() == 320; }));
    }
};

TEST_F(AnalysisAidsTest, ALeftClickPicksTheFocusPointAndTheWindowWorksWithoutOpenGl) {
    StartSmall();
    EXPECT_FALSE(Cap().focus_window_visible);
    Press(C<PreviewImage>("Image1"), Qt::LeftButton, QPoint(100, 80));
    EXPECT_TRUE(FocusWindow().isVisible());
    EXPECT_TRUE(Cap().focus_window_visible) << "the camera thread pauses after each frame";
    EXPECT_EQ(Renderer().focus.posx, 100);
    EXPECT_EQ(Renderer().focus.posy, 80);

    // This test display offers no OpenGL: no plot, but the numbers and crop.
    EXPECT_FALSE(FocusWindow().HasPlot());
    EXPECT_TRUE(Renderer().focus._NO3D);
    ASSERT_TRUE(RunUntil(
        [&] { return In<SevenSegmentCounter>(FocusWindow(), "MIN")->Value() != FOCUS_RESTART; }));
    const int peak = int(In<QLCDNumber>(FocusWindow(), "maxbright")->value());
    EXPECT_GE(In<SevenSegmentCounter>(FocusWindow(), "MAX")->Value(), peak);
    EXPECT_LE(In<SevenSegmentCounter>(FocusWindow(), "MIN")->Value(),
              In<SevenSegmentCounter>(FocusWindow(), "MAX")->Value());
    const QImage crop = In<PreviewImage>(FocusWindow(), "FocusPreview")->grab().toImage();
    EXPECT_EQ(crop.size(), QSize(272, 268));

    // A change of gain restarts the statistics; closing the window ends the pause.
    C<QSlider>("Gain")->setValue(60);
    EXPECT_EQ(Renderer().focus.Statistics().MIN, FOCUS_RESTART);
    FocusWindow().close();
    EXPECT_FALSE(Cap().focus_window_visible);
}

TEST_F(AnalysisAidsTest, APickOutsideThePictureStaysOnIt) {
    StartSmall();
    C<QAction>("N2001")->trigger();
    ASSERT_TRUE(RunUntil([&] { return C<PreviewImage>("Image1")->width() == 640; }));
    Press(C<PreviewImage>("Image1"), Qt::LeftButton, QPoint(-300, 5000));
    EXPECT_EQ(Renderer().focus.posx, 30);
    EXPECT_EQ(Renderer().focus.posy, 240 - 30);
    // The sub-frame then shrinks under the pick: the crop follows it.
    C<QSlider>("__width")->setValue(10);  // 40 x 40 sensor pixels
    C<QSlider>("__height")->setValue(10);
    ASSERT_TRUE(RunUntil([&] { return C<PreviewImage>("Image1")->width() == 80; }));
    EXPECT_TRUE(RunUntil([&] { return Renderer().focus.posy <= 40; })) << Renderer().focus.posy;
    EXPECT_TRUE(FocusWindow().isVisible());
}

TEST_F(AnalysisAidsTest, TheRoddierAidMeasuresACircleAndKeepsTheZoomAtFullSize) {
    StartSmall();
    C<QAction>("N501")->trigger();
    Press(C<PreviewImage>("Image1"), Qt::LeftButton, QPoint(40, 40));  // the focus aid opens
    EXPECT_TRUE(C<QAction>("Roddier")->isVisible() && C<QAction>("Roddier")->isEnabled());
    C<QAction>("Roddier")->trigger();
    EXPECT_TRUE(RoddierWindow().isVisible());
    EXPECT_FALSE(FocusWindow().isVisible());
    EXPECT_TRUE(C<QAction>("N1001")->isChecked());
    EXPECT_EQ(Renderer()._SCALE, 100);
    EXPECT_FALSE(C<QMenu>("ZOOM1")->menuAction()->isEnabled());

    auto *picture = C<PreviewImage>("Image1");
    auto *use_as_reference = In<QPushButton>(RoddierWindow(), "AdvGlassButton1");
    for (QPoint rim : {QPoint(100, 50), QPoint(150, 100), QPoint(100, 150)}) {
        EXPECT_FALSE(use_as_reference->isEnabled());
        Press(picture, Qt::LeftButton, rim);
    }
    EXPECT_EQ(In<QLabel>(RoddierWindow(), "cc")->text(), "c=100,100");
    EXPECT_EQ(In<QLabel>(RoddierWindow(), "rc")->text(), "r= 50");
    EXPECT_EQ(In<QLabel>(RoddierWindow(), "x1")->text(), "100");
    EXPECT_EQ(In<QLabel>(RoddierWindow(), "y3")->text(), "150");
    EXPECT_TRUE(C<CircleShape>("cshape")->isVisible());
    EXPECT_EQ(C<CircleShape>("cshape")->geometry(), QRect(50, 50, 100, 100));
    EXPECT_FALSE(FocusWindow().isVisible()) << "left clicks pick rim points now";

    ASSERT_TRUE(use_as_reference->isEnabled());
    use_as_reference->click();
    auto *reference = C<CircleShape>("rshape");
    EXPECT_TRUE(reference->isVisible());
    EXPECT_EQ(In<QSlider>(RoddierWindow(), "size")->value(), 50);
    EXPECT_EQ(reference->geometry(), QRect(50, 50, 100, 100));
    // A right click moves the reference circle; a drag on it pulls it along.
    Press(picture, Qt::RightButton, QPoint(200, 120));
    EXPECT_EQ(reference->geometry().center(), QRect(150, 70, 100, 100).center());
    Press(reference, Qt::RightButton, QPoint(60, 50));
    EXPECT_EQ(reference->geometry().topLeft(), QPoint(160, 70));

    // The next click starts a new set; three points on a line give no circle.
    Press(picture, Qt::LeftButton, QPoint(10, 10));
    EXPECT_EQ(In<QLabel>(RoddierWindow(), "x1")->text(), "000");
    EXPECT_FALSE(C<CircleShape>("cshape")->isVisible());
    Press(picture, Qt::LeftButton, QPoint(20, 20));
    Press(picture, Qt::LeftButton, QPoint(30, 30));
    EXPECT_EQ(In<QLabel>(RoddierWindow(), "cc")->text(), "c=---,---");
    EXPECT_EQ(In<QLabel>(RoddierWindow(), "rc")->text(), "r=----");
    EXPECT_FALSE(use_as_reference->isEnabled());

    // Closing the window turns the aid off; the reference circle stays.
    RoddierWindow().close();
    EXPECT_FALSE(C<QAction>("Roddier")->isChecked());
    EXPECT_TRUE(C<QMenu>("ZOOM1")->menuAction()->isEnabled());
    EXPECT_TRUE(reference->isVisible());
    In<QCheckBox>(RoddierWindow(), "CheckBox1")->click();  // "Show size ref" off
    EXPECT_FALSE(reference->isVisible());
    EXPECT_FALSE(In<QSlider>(RoddierWindow(), "size")->isEnabled());
}

TEST_F(AnalysisAidsTest, SolarModeRunsWhileItsWindowShowsAndNotInColour) {
    StartSmall();
    ForgetCameraDescription();  // colour is ticked below
    auto *solar = C<QPushButton>("solar");
    EXPECT_TRUE(solar->isVisible());
    solar->click();
    EXPECT_TRUE(SolarWindow().isVisible());
    EXPECT_TRUE(Cap().solar.on);
    // Everything above 0 becomes 0: the live picture goes black.
    In<QSlider>(SolarWindow(), "Limit")->setValue(0);
    In<QSlider>(SolarWindow(), "Shade")->setValue(0);
    EXPECT_EQ(In<QLabel>(SolarWindow(), "Label2")->text(), "0");
    const Bitmap24 &picture = WorkingBitmap();
    EXPECT_TRUE(RunUntil([&] {
        return *std::max_element(picture.Bits(), picture.Bits() + picture.ByteCount()) == 0;
    }));

    SolarWindow().close();
    EXPECT_FALSE(Cap().solar.on);
    EXPECT_FALSE(solar->isChecked()) << "the button comes up with the window";

    solar->click();
    C<QAction>("ColorCamera1")->trigger();
    EXPECT_FALSE(solar->isVisible());
    EXPECT_FALSE(SolarWindow().isVisible());
    EXPECT_FALSE(Cap().solar.on);
}

TEST_F(AnalysisAidsTest, TheAidWindowsSpeakTheChosenLanguage) {
    Store("LANGUAGE", "G");
    ASSERT_TRUE(Start());
    EXPECT_EQ(FocusWindow().windowTitle(), "FOKUSHILFE");
    EXPECT_EQ(In<QPushButton>(RoddierWindow(), "AdvGlassButton1")->text(), "Als Referenz");
    auto *histogram = W().findChild<THistogramForm *>();
    EXPECT_EQ(histogram->windowTitle(), "Histogramm");
    EXPECT_EQ(In<QCheckBox>(*histogram, "CheckBox2")->text(), "Nur Objekt (ohne Himmel)");
    EXPECT_GE(histogram->width(), histogram->minimumSizeHint().width()) << "nothing cut off";
    auto *measurement = W().findChild<TForm8 *>();
    EXPECT_EQ(measurement->windowTitle(), "Messung und Profil");
    EXPECT_EQ(In<QGroupBox>(*measurement, "RG")->title(), "Art der Messung");
    C<QAction>("French1")->trigger();
    EXPECT_EQ(FocusWindow().windowTitle(), QString::fromUtf8("AIDE À LA MISE AU POINT"));
}

// The program may end with every aid open, by its close box or by the main
// window being destroyed without one (the end of the process).
TEST_F(AnalysisAidsTest, TheProgramEndsWithTheAidsOpen) {
    for (bool close_box : {true, false}) {
        StartSmall();
        Press(C<PreviewImage>("Image1"), Qt::LeftButton, QPoint(100, 80));
        C<QPushButton>("solar")->click();
        C<QAction>("Roddier")->trigger();
        ASSERT_TRUE(SolarWindow().isVisible() && RoddierWindow().isVisible());
        Run(300);
        if (close_box) {
            EXPECT_LT(Close(), qint64(THREAD_STOP_WAIT_MS));
        } else {
            form.reset();
        }
    }
}

}  // namespace

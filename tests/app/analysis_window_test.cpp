#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScrollArea>

#include "main_window_fixture.h"
#include "preview/histogram_window.h"
#include "preview/measurement_window.h"
#include "widgets/line_chart.h"
#include "widgets/preview_image.h"

namespace {

void SendMouse(QWidget *target, QEvent::Type type, QPoint at) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(at), target->mapToGlobal(QPointF(at)), Qt::LeftButton, held,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

void Drag(QWidget *target, QPoint from, QPoint to) {
    SendMouse(target, QEvent::MouseButtonPress, from);
    SendMouse(target, QEvent::MouseMove, (from + to) / 2);
    SendMouse(target, QEvent::MouseMove, to);
    SendMouse(target, QEvent::MouseButtonRelease, to);
}

}  // namespace

TEST_F(MainWindowTest, TheHistogramMenuItemAndTheWindowFollowEachOther) {
    ASSERT_TRUE(Start());
    ForgetCameraDescription();  // colour is ticked below
    auto *histogram = W().findChild<THistogramForm *>();
    ASSERT_NE(histogram, nullptr);
    auto *item = C<QAction>("Histogram1");
    EXPECT_TRUE(item->isEnabled());
    EXPECT_FALSE(histogram->isVisible());

    item->trigger();
    EXPECT_TRUE(histogram->isVisible());
    auto *chart = histogram->findChild<LineChart *>("H1");
    auto *mean = histogram->findChild<QLabel *>("Label1");
    ASSERT_TRUE(RunUntil([&] { return mean->text().startsWith("AVG:"); }));
    EXPECT_EQ(chart->SegmentCount(), 256u);
    EXPECT_EQ(Analysis().W, WorkingBitmap().Width()) << "the samples are copied while it is open";
    EXPECT_FALSE(histogram->findChild<LineChart *>("H2")->isVisibleTo(histogram));

    // A colour camera: three charts, the window grows for them.
    const int grey_height = histogram->height();
    C<QAction>("ColorCamera1")->trigger();
    ASSERT_TRUE(RunUntil([&] { return histogram->findChild<LineChart *>("H3")->isVisible(); }));
    EXPECT_GT(histogram->height(), grey_height);
    histogram->findChild<QCheckBox *>("CheckBox1")->click();  // Wide View
    EXPECT_GT(histogram->width(), 250);

    histogram->close();
    EXPECT_FALSE(item->isChecked()) << "closing the window unticks the menu";
    item->trigger();
    EXPECT_TRUE(histogram->isVisible());
    item->trigger();
    EXPECT_FALSE(histogram->isVisible());
}

TEST_F(MainWindowTest, ALineIsMeasuredInUnbinnedSensorPixelsWhateverTheZoomAndBinning) {
    ASSERT_TRUE(Start());
    C<QAction>("N251")->trigger();  // the whole picture, 512 x 384, centred with room around it
    ASSERT_TRUE(RunUntil([&] { return C<PreviewImage>("Image1")->width() == 512; }));
    auto *window = W().findChild<TForm8 *>();
    C<QPushButton>("Measure")->click();
    ASSERT_TRUE(window->isVisible());
    EXPECT_TRUE(
        QGuiApplication::primaryScreen()->availableGeometry().contains(window->frameGeometry()));
    auto *picture = C<PreviewImage>("Image1");
    auto *viewport = C<QScrollArea>("ScrollBox1")->viewport();

    // Beside the picture nothing is measured.
    const QPoint beside = picture->geometry().topLeft() - QPoint(5, 5);
    ASSERT_TRUE(viewport->rect().contains(beside));
    Drag(viewport, beside, beside + QPoint(100, 0));
    EXPECT_FALSE(Renderer().measurement_line.HasLine());

    // 300 picture pixels at 25 %: 1200 pixels of the sensor.
    Drag(picture, QPoint(100, 200), QPoint(400, 200));
    EXPECT_TRUE(Renderer().measurement_line.HasLine()) << "kept after the release";
    ASSERT_TRUE(RunUntil([&] { return Status(0) == "Distance 1200.0 pixels"; }))
        << Status(0).toStdString();
    auto *profile = window->findChild<LineChart *>("RChart1");
    EXPECT_GT(profile->SegmentCount(), 290u);

    // Twice the zoom: the line stays on the same sky and reads the same,
    // in pixels and in arc seconds.
    auto *focal_length = window->findChild<QLineEdit *>("FL");
    window->findChild<QRadioButton *>("RGArcSeconds")->click();
    ASSERT_EQ(focal_length->text(), "300");
    const QString arc_seconds = QString::fromUtf8("4290.3 arc seconds ( 1\u00b0 11' 30.3)");
    ASSERT_TRUE(RunUntil([&] { return Status(0) == arc_seconds; })) << Status(0).toStdString();
    C<QAction>("N501")->trigger();
    EXPECT_EQ(Renderer().measurement_line.Start(), QPoint(200, 400));
    Run(300);
    EXPECT_EQ(Status(0), arc_seconds) << "at 50 %";
    window->findChild<QRadioButton *>("RGPixels")->click();
    ASSERT_TRUE(RunUntil([&] { return Status(0) == "Distance 1200.0 pixels"; }))
        << Status(0).toStdString();

    // 2x2 binning: each picture pixel spans two sensor pixels.
    C<QAction>("N2x2Binning1")->trigger();
    ASSERT_TRUE(RunUntil([&] { return Status(0) == "Distance 2400.0 pixels"; }))
        << Status(0).toStdString();
    C<QAction>("N1x1Binning1")->trigger();

    // The focal length field: "ArcSeconds" with a focal length that is not one.
    window->findChild<QRadioButton *>("RGArcSeconds")->click();
    focal_length->setText("abc");
    emit focal_length->editingFinished();
    EXPECT_EQ(focal_length->text(), "1");
    ASSERT_TRUE(RunUntil([&] { return Status(0) == "1287093.6 arc seconds (357\u00b0 31' 33.6)"; }))
        << Status(0).toStdString();

    // A drag that leaves the picture ends at its edge.
    Drag(picture, QPoint(10, 10), QPoint(5000, -300));
    EXPECT_EQ(Renderer().measurement_line.End(), QPoint(picture->width() - 1, 0));

    window->close();
    EXPECT_FALSE(C<QPushButton>("Measure")->isChecked()) << "closing the window raises the button";
}

TEST_F(MainWindowTest, ALineReleasedWithTheWindowClosedIsRemoved) {
    ASSERT_TRUE(Start());
    auto *picture = C<PreviewImage>("Image1");
    C<QPushButton>("Measure")->click();
    SendMouse(picture, QEvent::MouseButtonPress, QPoint(50, 50));
    SendMouse(picture, QEvent::MouseMove, QPoint(150, 50));
    C<QPushButton>("Measure")->click();  // closed while dragging
    SendMouse(picture, QEvent::MouseButtonRelease, QPoint(150, 50));
    EXPECT_FALSE(Renderer().measurement_line.HasLine());
    EXPECT_EQ(Status(0), "");
}

TEST(MeasurementLineDrawing, ShowsOnEveryBackground) {
    PreviewImage picture;
    for (QRgb background : {qRgb(0, 0, 0), qRgb(128, 128, 128), qRgb(255, 255, 255),
                            qRgb(255, 0, 0), qRgb(127, 200, 60)}) {
        QImage frame(64, 48, QImage::Format_RGB32);
        frame.fill(background);
        picture.ShowPicture(&frame, 128, 96);
        const QLine line(10, 20, 100, 20);
        picture.ShowMeasurementLine(&line);
        const QImage shown = picture.grab().toImage();
        const QRgb on = shown.pixel(50, 20);
        const int difference = std::max({std::abs(qRed(on) - qRed(background)),
                                         std::abs(qGreen(on) - qGreen(background)),
                                         std::abs(qBlue(on) - qBlue(background))});
        EXPECT_GE(difference, 128) << std::hex << background;
        EXPECT_EQ(shown.pixel(50, 40), background | 0xFF000000u) << "only the line changes";
        picture.ShowMeasurementLine(nullptr);
        EXPECT_EQ(picture.grab().toImage().pixel(50, 20), background | 0xFF000000u);
    }
}

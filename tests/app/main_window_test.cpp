#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QGroupBox>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTimer>
#include <QWheelEvent>

#include <map>

#include "app/about_window.h"
#include "app/dark_prompt_window.h"
#include "main_window_fixture.h"
#include "shell/interface_language.h"
#include "support/captured_warnings.h"

TEST_F(MainWindowTest, AFreshMachineStartsWithTheDefaults) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(W().windowTitle(), QString::fromUtf8("Halvesk\u00ae Omtrix "));
    EXPECT_EQ(W().size(), QSize(800, 570));
    EXPECT_EQ(W().minimumSize(), QSize(800, 570));
    EXPECT_FALSE(splash.isVisible());
    EXPECT_EQ(C<SevenSegmentCounter>("expos")->Value(), 1);
    EXPECT_EQ(C<SevenSegmentCounter>("delays")->Value(), 0);
    EXPECT_FALSE(C<QAction>("ColorCamera1")->isChecked());
    EXPECT_EQ(C<QSlider>("RED")->value(), 100);
    EXPECT_EQ(C<QSlider>("Gain")->value(), 10);
    EXPECT_EQ(C<QLabel>("Label6")->text(), "010%");
    EXPECT_EQ(C<QLabel>("Label5")->text(), "100ms");
    EXPECT_TRUE(C<QToolButton>("butCapture")->isEnabled()) << "it records into Pictures";
    EXPECT_EQ(Status(1), "Subframe: (0,0) -> (2048x1536)");
    EXPECT_TRUE(C<QAction>("N1001")->isChecked());
    EXPECT_FALSE(C<QAction>("N4x4Binning1")->isVisible());

    // Live frames arrive and the frame rate is shown.
    EXPECT_TRUE(RunUntil([&] {
        return Status(0).startsWith("Frame Rate: ") && Status(0) != "Frame Rate: 1000.0";
    })) << Status(0).toStdString();
}

TEST_F(MainWindowTest, ARestartKeepsTheMirroredSettings) {
    Store("EXPOCOUNT", "250");
    Store("EXPODELAY", "40");
    Store("CAPFILE", "JUPITER");
    Store("CAPDIR", config.path());
    Store("COLORMODE", "T");
    Store("REDBALANCE", "90");
    Store("GREENBALANCE", "80");
    Store("BLUEBALANCE", "70");
    Store("GAIN", "33");
    Store("EXPOLENGTH", "2000");
    ASSERT_TRUE(Start());
    ForgetCameraDescription();
    EXPECT_EQ(C<SevenSegmentCounter>("expos")->Value(), 250);
    EXPECT_EQ(C<SevenSegmentCounter>("delays")->Value(), 40);
    EXPECT_TRUE(C<QAction>("ColorCamera1")->isChecked());
    EXPECT_EQ(C<QSlider>("RED")->value(), 90);
    EXPECT_EQ(C<QSlider>("GREEN")->value(), 80);
    EXPECT_EQ(C<QSlider>("BLUE")->value(), 70);
    EXPECT_EQ(C<QSlider>("Gain")->value(), 33);
    EXPECT_EQ(C<QSpinBox>("expo")->value(), 2000);
    EXPECT_TRUE(C<QToolButton>("butCapture")->isEnabled());
    EXPECT_EQ(BaseName(), "JUPITER");
    // Colour gains: the largest slider gets the whole gain.
    EXPECT_EQ(Cap()._rgain, 33u);
    EXPECT_EQ(Cap()._ggain, 29u);  // 80 / 90 * 33 = 29.3

    C<QSlider>("Gain")->setValue(45);
    C<QSpinBox>("expo")->setValue(1500);
    C<SevenSegmentCounter>("delays")->SetValue(900);
    C<SevenSegmentCounter>("expos")->SetValue(12);
    C<QAction>("ColorCamera1")->trigger();  // colour off
    Close();
    EXPECT_EQ(Stored("GAIN"), "45");
    EXPECT_EQ(Stored("EXPOLENGTH"), "1500");
    EXPECT_EQ(Stored("EXPODELAY"), "900");
    EXPECT_EQ(Stored("EXPOCOUNT"), "12");
    EXPECT_EQ(Stored("COLORMODE"), "F");
    EXPECT_EQ(Stored("REDBALANCE"), "50");
    EXPECT_EQ(Stored("CAPFILE"), "JUPITER");
    EXPECT_EQ(Stored("CAPDIR"), config.path());
}

TEST_F(MainWindowTest, OnlyAnExactTSelectsColourAndBadNumbersFallBack) {
    Store("COLORMODE", "t");
    Store("GAIN", "abc");
    Store("EXPOCOUNT", "");
    CapturedWarnings warnings;
    ASSERT_TRUE(Start());
    ForgetCameraDescription();
    EXPECT_FALSE(C<QAction>("ColorCamera1")->isChecked());
    EXPECT_EQ(C<QSlider>("Gain")->value(), 10);
    EXPECT_EQ(C<SevenSegmentCounter>("expos")->Value(), 0) << "an empty count reads as 0";
    EXPECT_EQ(warnings.With("GAIN \"abc\" is not a number: 10 is used").size(), 1);
}

// A hand-edited file with one line that is not a setting: the four settings
// are used, the exit keeps the file as it was beside it and rewrites it
// without calling the successful write a failure.
TEST_F(MainWindowTest, ALineThatIsNoSettingCostsOnlyItself) {
    ASSERT_TRUE(QDir().mkpath(config.filePath("Zelvaro")));
    const QByteArray original =
        "CAPFILE=JUPITER\nCAPDIR=/tmp\nGAIN=33\nEXPOCOUNT=250\nnote to self\n";
    QFile file(SettingsFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(original);
    file.close();
    CapturedWarnings warnings;
    ASSERT_TRUE(Start());
    EXPECT_EQ(C<QSlider>("Gain")->value(), 33);
    EXPECT_EQ(BaseName(), "JUPITER");
    EXPECT_EQ(C<SevenSegmentCounter>("expos")->Value(), 250);
    EXPECT_TRUE(C<QToolButton>("butCapture")->isEnabled()) << "name and folder were read";
    Close();
    QFile copy(SettingsFile() + ".bad");
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), original);
    EXPECT_EQ(Stored("GAIN"), "33");
    EXPECT_EQ(Stored("CAPDIR"), "/tmp");
    EXPECT_EQ(warnings.With(".bad").size(), 1);
    EXPECT_TRUE(warnings.With("could not be written").isEmpty());
}

TEST_F(MainWindowTest, AnEmptyRedBalanceReadsAsZero) {
    qputenv("OMTRIX_SIM_SENSOR", "colour");
    Store("REDBALANCE", "");
    ASSERT_TRUE(Start());
    EXPECT_EQ(C<QSlider>("RED")->value(), 1) << "0, held at the bar's lowest position";
    EXPECT_EQ(C<QSlider>("GREEN")->value(), 100);
}

// The slider's position is the exposure in milliseconds both ways, so a
// small move of the slider makes a small change of the exposure.
TEST_F(MainWindowTest, ExposureSliderAndValueFollowEachOther) {
    ASSERT_TRUE(Start());
    auto *slider = C<QSlider>("_expot");
    EXPECT_EQ(slider->value(), 100) << "100 ms sits at position 100";
    QWheelEvent notch(QPointF(5, 5), slider->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(slider, &notch);
    EXPECT_GT(slider->value(), 100);
    EXPECT_EQ(C<QSpinBox>("expo")->value(), slider->value()) << "one notch, a few ms more";
    EXPECT_LT(Cap().length, 110);
    C<QSpinBox>("expo")->setValue(250);  // typed
    EXPECT_EQ(slider->value(), 250);
    EXPECT_EQ(Cap().length, 250);
    C<QSlider>("_expot")->setValue(3000);  // a drag
    EXPECT_EQ(C<QSpinBox>("expo")->value(), 3000);
    EXPECT_EQ(Cap().length, 3000);
    EXPECT_EQ(C<QLabel>("Label5")->text(), "3000ms");
    Preset("1000ms")->trigger();
    EXPECT_EQ(C<QSlider>("_expot")->maximum(), 1000);
    EXPECT_EQ(C<QSlider>("_expot")->value(), 1000);
    EXPECT_EQ(C<QSpinBox>("expo")->value(), 1000);
    C<QSpinBox>("expo")->setValue(7000);  // typed
    EXPECT_EQ(C<QSlider>("_expot")->value(), 1000) << "at the slider's maximum";
    Preset("100ms")->trigger();
    C<QSpinBox>("expo")->setValue(100);
    EXPECT_EQ(C<QSlider>("_expot")->value(), 100);
    // A later drag still reaches the exposure: no echo flag was left standing.
    C<QSlider>("_expot")->setValue(40);
    EXPECT_EQ(C<QSpinBox>("expo")->value(), 40);
}

TEST_F(MainWindowTest, PictureAndSensorControls) {
    ASSERT_TRUE(Start());
    C<QSlider>("Gain")->setValue(7);
    EXPECT_EQ(C<QLabel>("Label6")->text(), "007%");
    C<QSlider>("vblank")->setValue(0);
    EXPECT_EQ(C<QLabel>("Label10")->text(), "025");

    C<QSlider>("_WHITE")->setValue(101);
    C<QSlider>("_BLACK")->setValue(101);
    EXPECT_EQ(C<QSlider>("_BLACK")->value(), 100) << "black is pushed back below white";
    C<QSlider>("_WHITE")->setValue(100);
    EXPECT_EQ(C<QSlider>("_WHITE")->value(), 101) << "white is pushed back above black";

    // A 640 x 480 sub-frame dragged to the top of the miniature.
    C<QSlider>("__width")->setValue(160);
    C<QSlider>("__height")->setValue(120);
    auto *miniature = C<SensorMiniature>("full");
    emit miniature->MouseDown(QPoint(56, 0));
    emit miniature->MouseUp(QPoint(56, 0));
    EXPECT_EQ(Cap()._offsety, 1056u);
    EXPECT_EQ(Cap()._height, 480u);
    EXPECT_EQ(Status(1), "Subframe: (688,0) -> (1328x480)");
    EXPECT_EQ(C<SevenSegmentCounter>("HRES")->Value(), 640);

    C<QAction>("N2x2Binning1")->trigger();
    EXPECT_EQ(Cap().binning_code, 2);
    EXPECT_EQ(C<SevenSegmentCounter>("HRES")->Value(), 320);
    EXPECT_TRUE(RunUntil([&] { return WorkingBitmap().Width() == 320; }))
        << "the picture shows the binned window";
}

// At 400 % a right click reads the 11 x 11 pixels of the picture itself around
// the pixel under the pointer, not the few pixels that fill 11 x 11 on screen.
TEST_F(MainWindowTest, RightClickBalancesOnTheElevenByElevenPicturePixels) {
    qputenv("OMTRIX_SIM_SENSOR", "colour");
    ASSERT_TRUE(Start());
    const QImage picture = WhiteBalancePicture();
    RightClickOnPicture(picture, 400, QPoint(802, 602));  // picture pixel (200, 150)
    // green 100 * 193 / 101 = 191, blue 100 * 193 / 54 = 357; then scaled to 100.
    EXPECT_EQ(C<QSlider>("RED")->value(), 28);
    EXPECT_EQ(C<QSlider>("GREEN")->value(), 54);
    EXPECT_EQ(C<QSlider>("BLUE")->value(), 100);
}

// The picture opens on its middle, where the planet is, and a new zoom shows
// the middle again.
TEST_F(MainWindowTest, ThePictureOpensOnItsMiddle) {
    ASSERT_TRUE(Start());
    auto *box = C<QScrollArea>("ScrollBox1");
    auto *image = C<PreviewImage>("Image1");
    auto centred = [&] {
        const QScrollBar *across = box->horizontalScrollBar();
        const QScrollBar *down = box->verticalScrollBar();
        return across->maximum() > 0 && down->maximum() > 0 &&
               across->value() == across->maximum() / 2 && down->value() == down->maximum() / 2;
    };
    ASSERT_TRUE(RunUntil([&] { return image->width() == 2048; }));
    EXPECT_TRUE(centred()) << "the full sensor at 100 % is larger than the view";
    box->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);  // the observer
    box->verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);    // looks elsewhere
    Run(300);
    EXPECT_EQ(box->horizontalScrollBar()->value(), 0) << "the view stays where the observer put it";
    C<QAction>("N2001")->trigger();
    ASSERT_TRUE(RunUntil([&] { return image->width() == 4096; }));
    EXPECT_TRUE(centred()) << "200 %";
    C<QAction>("N251")->trigger();
    ASSERT_TRUE(RunUntil([&] { return image->width() == 512; }));
    EXPECT_EQ(box->horizontalScrollBar()->maximum(), 0) << "a smaller picture needs no scrolling";
    const QPoint offset = image->geometry().center() - box->viewport()->rect().center();
    EXPECT_LE(offset.manhattanLength(), 2) << "and sits in the middle of the view";
}

TEST_F(MainWindowTest, ColourOffLocksTheBalanceBarsTogether) {
    Store("COLORMODE", "T");
    ASSERT_TRUE(Start());
    ForgetCameraDescription();
    C<QSlider>("RED")->setValue(100);
    C<QSlider>("GREEN")->setValue(50);
    C<QSlider>("BLUE")->setValue(25);
    C<QSlider>("Gain")->setValue(80);
    EXPECT_EQ(Cap()._rgain, 80u);
    EXPECT_EQ(Cap()._ggain, 40u);
    EXPECT_EQ(Cap()._bgain, 20u);
    EXPECT_TRUE(C<QAction>("MenuItem2")->isEnabled()) << "SER keeps a colour camera's mosaic";
    C<QAction>("ColorCamera1")->trigger();
    EXPECT_EQ(C<QSlider>("RED")->value(), 50);
    EXPECT_EQ(C<QSlider>("BLUE")->value(), 50);
    EXPECT_FALSE(C<QSlider>("RED")->isEnabled());
    EXPECT_EQ(Cap()._bgain, 80u);
    EXPECT_TRUE(C<QAction>("MenuItem2")->isEnabled());
    C<QSlider>("GREEN")->setValue(70);  // grey mode: the others follow
    EXPECT_EQ(C<QSlider>("RED")->value(), 70);
}

TEST_F(MainWindowTest, RecordsThroughTheCaptureButton) {
    QTemporaryDir captures;
    Store("CAPFILE", "MARS");
    Store("CAPDIR", captures.path());
    Store("EXPOCOUNT", "3");
    Store("OBSERVER", "Ann Lee");  // typed once in the output-names window
    Store("TELESCOPE", "C14");
    ASSERT_TRUE(Start());
    // Colour is ticked while recording.
    ForgetCameraDescription();
    C<QSlider>("__width")->setValue(80);  // 320 x 240
    C<QSlider>("__height")->setValue(60);
    C<QSpinBox>("expo")->setValue(0);
    C<QAction>("MenuItem2")->trigger();  // SER
    EXPECT_EQ(C<QToolButton>("butCapture")->text(), "SER");
    C<QToolButton>("butCapture")->click();
    ASSERT_TRUE(Recorder().Recording());
    C<QAction>("FIT2")->trigger();
    EXPECT_EQ(C<QToolButton>("butCapture")->text(), "SER")
        << "the kind cannot change while recording";
    EXPECT_EQ(Recorder().Mode(), MODE_SER);
    C<QAction>("ColorCamera1")->trigger();  // the recording keeps its grey frames
    EXPECT_TRUE(RunUntil([&] { return !Recorder().Recording(); }));
    EXPECT_FALSE(C<QToolButton>("butCapture")->isChecked()) << "the button comes up by itself";
    const QString file = captures.filePath("MARS_00000.ser");
    ASSERT_TRUE(QFile::exists(file));
    EXPECT_EQ(QFileInfo(file).size(), 178 + 3 * (320 * 240 + 8));  // frames and their times
    QFile ser(file);
    ASSERT_TRUE(ser.open(QIODevice::ReadOnly));
    const QByteArray header = ser.read(178);
    EXPECT_EQ(header.mid(42, 7), "Ann Lee");
    EXPECT_EQ(header.mid(122, 3), "C14");
    EXPECT_TRUE(QFile::exists(file + ".txt")) << "the recording's log";
    EXPECT_EQ(header.at(18), 0) << "ColorID: grey";

    // The next recording is a colour camera's: its raw mosaic, every row.
    EXPECT_EQ(C<QToolButton>("butCapture")->text(), "SER");
    C<QToolButton>("butCapture")->click();
    EXPECT_TRUE(RunUntil([&] { return !Recorder().Recording(); }));
    QFile raw(captures.filePath("MARS_00001.ser"));
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    EXPECT_EQ(raw.size(), 178 + 3 * (320 * 240 + 8));
    EXPECT_EQ(raw.read(19).at(18), SER_BAYER_BGGR) << "ColorID of the mosaic turned top row first";
}

// A camera that describes itself says colour or mono itself: the tick shows
// its word, greyed, with the reason; the stored choice, which is for a
// camera without the description, stays as it was.
TEST_F(MainWindowTest, ACameraThatDescribesItselfSettlesTheColourTick) {
    struct Row {
        const char *sensor, *stored;
        bool colour;
        QString tip;
    };
    const InterfaceTexts texts;
    for (const Row &row : {Row{"mono", "T", false, texts.TIP_CAMERAMONO},
                           Row{"colour", "F", true, texts.TIP_CAMERACOLOR}}) {
        qputenv("OMTRIX_SIM_SENSOR", row.sensor);
        Store("COLORMODE", row.stored);
        ASSERT_TRUE(Start());
        auto *tick = C<QAction>("ColorCamera1");
        EXPECT_EQ(tick->isChecked(), row.colour) << row.sensor;
        EXPECT_FALSE(tick->isEnabled()) << row.sensor;
        EXPECT_EQ(tick->toolTip(), row.tip) << row.sensor;
        EXPECT_EQ(Cap().__color, row.colour) << row.sensor;
        EXPECT_EQ(C<QSlider>("RED")->isEnabled(), row.colour) << row.sensor;
        Close();
        EXPECT_EQ(Stored("COLORMODE"), row.stored) << row.sensor;
    }
}

TEST_F(MainWindowTest, AStartWithoutFileNamesAsksForThem) {
    ASSERT_TRUE(Start());
    ForgetBaseName();
    C<QToolButton>("butCapture")->click();
    EXPECT_FALSE(Recorder().Recording());
    QApplication::processEvents();
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), InterfaceTexts{}.SETAVIFILE);
    box->close();
    EXPECT_FALSE(C<QToolButton>("butCapture")->isChecked()) << "nothing records: the button is up";
}

// An output that cannot be created: the message, and the button up in look
// and state, so the next click (the folder now there) records.
TEST_F(MainWindowTest, AfterAFailedStartTheNextClickRecords) {
    QTemporaryDir captures;
    Store("CAPFILE", "MARS");
    Store("CAPDIR", captures.filePath("later"));
    Store("EXPOCOUNT", "2");
    ASSERT_TRUE(Start());
    C<QSlider>("__width")->setValue(80);
    C<QSlider>("__height")->setValue(60);
    C<QSpinBox>("expo")->setValue(0);
    C<QAction>("MenuItem2")->trigger();  // SER
    auto *button = C<QToolButton>("butCapture");
    button->click();
    QApplication::processEvents();
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), InterfaceTexts{}.AVIERROR);
    box->close();
    EXPECT_FALSE(button->isChecked());
    EXPECT_NE(button->icon().cacheKey(), RecordingPicture()) << "drawn as it is: up";

    ASSERT_TRUE(QDir().mkpath(captures.filePath("later")));
    button->click();
    EXPECT_TRUE(button->isChecked());
    EXPECT_EQ(button->icon().cacheKey(), RecordingPicture());
    ASSERT_TRUE(RunUntil([&] { return !Recorder().Recording(); }));
    // Header, two frames and their two timestamps.
    EXPECT_EQ(QFileInfo(captures.filePath("later/MARS_00000.ser")).size(),
              178 + 2 * 320 * 240 + 2 * 8);
    EXPECT_FALSE(button->isChecked());
    EXPECT_NE(button->icon().cacheKey(), RecordingPicture());
}

// Presses of the capture button while the camera gives no frame: each
// recording ends without one, leaves no file and says so.
TEST_F(MainWindowTest, ARecordingWithoutAFrameLeavesNoFileAndSaysSo) {
    QTemporaryDir captures;
    Store("CAPFILE", "SILENT");
    Store("CAPDIR", captures.path());
    Store("EXPOCOUNT", "0");
    qputenv("OMTRIX_SIM_FAULT", "hang:3");
    ASSERT_TRUE(Start());
    C<QSpinBox>("expo")->setValue(0);
    ASSERT_TRUE(RunUntil([&] { return Cap().Fault() == AcquisitionFault::CameraNotAnswering; }));
    for (int press = 0; press < 2; ++press) {
        C<QToolButton>("butCapture")->click();
        ASSERT_TRUE(Recorder().Recording());
        Run(300);
        C<QToolButton>("butCapture")->click();
        EXPECT_FALSE(Recorder().Recording());
        EXPECT_EQ(Status(0), InterfaceTexts{}.NOFRAMES_RECORDED);
        EXPECT_TRUE(QDir(captures.path()).isEmpty()) << press;
    }
}

// The focus aid's pause after each frame leaves the live picture time for
// its plot; a recording does not wait for it.
TEST_F(MainWindowTest, WithTheFocusWindowOpenARecordingKeepsTheCameraRate) {
    QTemporaryDir captures;
    Store("CAPFILE", "FOCUS");
    Store("CAPDIR", captures.path());
    Store("EXPOCOUNT", "20");
    ASSERT_TRUE(Start());
    C<QSlider>("__width")->setValue(80);
    C<QSlider>("__height")->setValue(60);
    C<QSpinBox>("expo")->setValue(0);
    C<QAction>("MenuItem2")->trigger();  // SER
    FocusWindow().show();
    ASSERT_TRUE(Cap().focus_window_visible);
    QElapsedTimer clock;
    clock.start();
    C<QToolButton>("butCapture")->click();
    ASSERT_TRUE(RunUntil([&] { return !Recorder().Recording(); }));
    EXPECT_EQ(Recorder().framecount, 20);
    // With the pause, 20 frames took at least 20 x 250 ms.
    EXPECT_LT(clock.elapsed(), 20 * int(FOCUS_PAUSE_MS) / 2);
    EXPECT_TRUE(FocusWindow().isVisible());
}

TEST_F(MainWindowTest, TheStoredLanguageAppliesAndTheMenuChangesIt) {
    Store("LANGUAGE", "G");
    ASSERT_TRUE(Start());
    EXPECT_EQ(C<QMenu>("File1")->title(), "Datei");
    EXPECT_EQ(C<QLabel>("LblGain")->text(), QString::fromUtf8("Verst\u00e4rkung"));
    EXPECT_EQ(C<QPushButton>("Count")->text(), "Anzahl");
    EXPECT_TRUE(C<QAction>("Deutsch1")->isChecked());
    EXPECT_EQ(Stored("LANGUAGE"), "G");

    C<QPushButton>("Count")->click();  // seconds mode keeps its caption across a change
    C<QAction>("French1")->trigger();
    EXPECT_EQ(C<QPushButton>("Count")->text(), QString::fromUtf8("Dur\u00e9e"));
    EXPECT_EQ(C<QAction>("HorizontalFlip1")->text(), "Miroir horizontal");
    EXPECT_TRUE(C<QAction>("French1")->isChecked());
    EXPECT_FALSE(C<QAction>("Deutsch1")->isChecked());
    EXPECT_EQ(Stored("LANGUAGE"), "F");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "a complete file shows no message";
}

// The status bar changes language with the menu, even when no frame comes
// to refresh it (a long exposure, a camera that no longer answers).
TEST_F(MainWindowTest, TheStatusBarChangesLanguageAtOnce) {
    QTemporaryDir captures;  // the free space shown is of the capture disk
    Store("CAPFILE", "SATURN");
    Store("CAPDIR", captures.path());
    Store("LANGUAGE", "I");
    ASSERT_TRUE(Start());
    ASSERT_TRUE(RunUntil([&] { return Status(2).endsWith(" MB liberi"); }))
        << Status(2).toStdString();
    Cap().Stop();
    ASSERT_TRUE(Cap().WaitUntilStopped(THREAD_STOP_WAIT_MS));
    Run(100);
    C<QAction>("English1")->trigger();
    EXPECT_TRUE(QRegularExpression("^[0-9]+ MB free$").match(Status(2)).hasMatch())
        << Status(2).toStdString();
    C<QAction>("Deutsch1")->trigger();
    EXPECT_TRUE(Status(2).endsWith(" MB frei")) << Status(2).toStdString();
}

// The room a control's caption needs beyond its text (frame, indicator,
// margins) and the room it has; 0 room: not a captioned control.
struct CaptionSpace {
    QString text;
    int room = 0;
};

CaptionSpace CaptionOf(QWidget *control) {
    if (auto *label = qobject_cast<QLabel *>(control)) {
        if (label->wordWrap() || label->textFormat() == Qt::RichText ||
            label->text().contains('<')) {
            return {};
        }
        return {label->text().remove('&'), label->contentsRect().width()};
    }
    if (auto *button = qobject_cast<QAbstractButton *>(control)) {
        // What the style (style sheets included) adds around a caption of
        // no width: frame, padding, the tick box of a check or radio button.
        QStyleOptionButton option;
        option.initFrom(button);
        const QStyle::ContentsType type =
            qobject_cast<QCheckBox *>(button)      ? QStyle::CT_CheckBox
            : qobject_cast<QRadioButton *>(button) ? QStyle::CT_RadioButton
            : qobject_cast<QPushButton *>(button)  ? QStyle::CT_PushButton
                                                   : QStyle::CT_ToolButton;
        const int frame =
            button->style()->sizeFromContents(type, &option, QSize(0, 0), button).width();
        const int icon = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
        return {button->text().remove('&'), button->width() - frame - icon};
    }
    if (auto *box = qobject_cast<QGroupBox *>(control)) {
        return {box->title(), box->width()};
    }
    return {};
}

// Every caption of every window fits its control in every language: a
// translation longer than the English text must not be cut off.
TEST_F(MainWindowTest, NoCaptionIsCutInAnyLanguage) {
    ASSERT_TRUE(Start());
    QList<QWidget *> windows{&W()};
    for (QWidget *window : W().findChildren<QWidget *>()) {
        if (window->isWindow()) {
            windows.append(window);
        }
    }
    for (const LanguageChoice &language : LANGUAGES) {
        C<QAction>(language.menu_item)->trigger();
        for (QWidget *window : windows) {
            const bool was_visible = window->isVisible();
            window->show();
            Run(20);
            for (QWidget *control : window->findChildren<QWidget *>()) {
                const CaptionSpace caption = CaptionOf(control);
                if (caption.text.isEmpty() || !control->isVisibleTo(window) ||
                    control->window() != window) {
                    continue;
                }
                int widest = 0;
                for (const QString &line : caption.text.split('\n')) {
                    widest = std::max(widest, control->fontMetrics().horizontalAdvance(line));
                }
                EXPECT_LE(widest, caption.room)
                    << language.caption << ": " << window->metaObject()->className() << " "
                    << control->metaObject()->className() << " "
                    << control->objectName().toStdString() << " \"" << caption.text.toStdString()
                    << "\"";
            }
            window->setVisible(was_visible);
        }
    }
}

// Every text the observer can see in the program's windows, each under the
// object and the part of it that shows it: window titles (of windows with a
// title bar), captions of labels, buttons and group boxes, menu titles and
// items, tips and list items. Qt's own file, font and colour dialogs are
// left out: their texts are Qt's.
std::map<std::pair<const QObject *, int>, QString> VisibleTexts(QMainWindow &main_window) {
    std::map<std::pair<const QObject *, int>, QString> texts;
    QList<QWidget *> windows{&main_window};
    for (QWidget *window : main_window.findChildren<QWidget *>()) {
        if (window->isWindow() && !qobject_cast<QFileDialog *>(window) &&
            !qobject_cast<QFontDialog *>(window) && !qobject_cast<QColorDialog *>(window) &&
            !qobject_cast<QMenu *>(window)) {
            windows.append(window);
        }
    }
    for (QWidget *window : windows) {
        if (!(window->windowFlags() & Qt::FramelessWindowHint)) {
            texts[{window, 0}] = window->windowTitle();
        }
        for (QWidget *control : window->findChildren<QWidget *>()) {
            if (control->window() != window || !control->isVisibleTo(window)) {
                continue;
            }
            texts[{control, 1}] = control->toolTip();
            if (auto *label = qobject_cast<QLabel *>(control)) {
                texts[{control, 0}] = label->text();
            } else if (auto *button = qobject_cast<QAbstractButton *>(control)) {
                texts[{control, 0}] = button->text();
            } else if (auto *box = qobject_cast<QGroupBox *>(control)) {
                texts[{control, 0}] = box->title();
            } else if (auto *list = qobject_cast<QComboBox *>(control)) {
                for (int i = 0; i < list->count(); ++i) {
                    texts[{control, 2 + i}] = list->itemText(i);
                }
            }
        }
    }
    for (QMenu *menu : main_window.findChildren<QMenu *>()) {
        texts[{menu, 0}] = menu->title();
        if (menu->objectName() == "Language1") {
            continue;  // each language's own name
        }
        for (QAction *item : menu->actions()) {
            if (item->isVisible() && !item->isSeparator()) {
                texts[{item, 0}] = item->text();
            }
        }
    }
    for (QAction *item : main_window.menuBar()->actions()) {
        texts[{item, 0}] = item->text();
    }
    return texts;
}

// A text that is the same in every language: a name, a file format, a number
// with its unit, the mount's axes, single letters; and the words German
// spells as English does.
bool NeedsNoTranslation(const QString &text) {
    static const QRegularExpression same(
        QStringLiteral("^(|OK|AVI|SER|FIT|BMP|MAX|MIN|DEC[+-]|RA[+-]|AZERTY|QWERTY|Halvesk|"
                       "Version[0-9.]+|Filter|Halvesk\u00ae Omtrix.*|<a href=.*|[^ ]*_n\\.\\[.*\\]|"
                       "[^A-Za-z]*[A-Za-z]?[^A-Za-z]*|[0-9.,]+ ?(ms|MB|%)?)$"));
    return same.match(text).hasMatch();
}

// No text stays English in another language: every visible text of every
// window comes from the language file. German, the file the translations
// are checked against, is the example.
TEST_F(MainWindowTest, EveryVisibleTextComesFromTheLanguageFile) {
    ASSERT_TRUE(Start());
    const auto english = VisibleTexts(W());
    C<QAction>("Deutsch1")->trigger();
    const auto german = VisibleTexts(W());
    ASSERT_EQ(german.size(), english.size());
    ASSERT_GT(english.size(), 150u);
    for (const auto &[where, text] : english) {
        const QObject *object = where.first;
        EXPECT_TRUE(NeedsNoTranslation(text) || german.at(where) != text)
            << "still English in German: \"" << text.toStdString() << "\" ("
            << object->metaObject()->className() << " " << object->objectName().toStdString()
            << (where.second == 1 ? ", its tip" : "") << ")";
    }
}

// The test screen is 800 x 800: too narrow for the designed left edge (463),
// high enough for the designed top (169).
TEST_F(MainWindowTest, WindowsOpenWhereTheyBelongKeptOnTheScreen) {
    ASSERT_EQ(QGuiApplication::primaryScreen()->availableGeometry(), QRect(0, 0, 800, 800));
    ASSERT_TRUE(Start());
    EXPECT_EQ(W().pos(), QPoint(0, 169));
    EXPECT_EQ(AboutPosition(), QPoint(0, 123)) << "centred, its left edge kept on the screen";
}

// The dark-frame prompt is not modal: the window and its menus keep working
// while it waits, and closing the program then ends it in the usual time,
// leaving no file for the recording that got no frame.
TEST_F(MainWindowTest, ClosingWhileTheDarkPromptWaitsIsPrompt) {
    QTemporaryDir captures;
    Store("CAPFILE", "VENUS");
    Store("CAPDIR", captures.path());
    Store("EXPOCOUNT", "0");
    ASSERT_TRUE(Start());
    C<QSlider>("__width")->setValue(80);  // 320 x 240
    C<QSlider>("__height")->setValue(60);
    C<QSpinBox>("expo")->setValue(0);
    C<QAction>("MenuItem2")->trigger();  // SER
    C<SevenSegmentCounter>("VrCounter1")->SetValue(3);
    EXPECT_EQ(Cap().DARKCOUNT, 3);
    C<QToolButton>("butCapture")->click();
    auto *prompt = W().findChild<TForm3 *>();
    ASSERT_NE(prompt, nullptr);
    ASSERT_TRUE(RunUntil([&] { return prompt->isVisible(); }));
    EXPECT_EQ(prompt->MSG->text(), InterfaceTexts{}.MSG_COVERCAMERA);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    C<QAction>("N501")->trigger();
    EXPECT_TRUE(C<QAction>("N501")->isChecked());
    Run(300);
    EXPECT_TRUE(prompt->isVisible()) << "only OK goes on";
    EXPECT_EQ(Recorder().framecount, 0);
    EXPECT_LT(Close(), 1000);
    EXPECT_TRUE(QDir(captures.path()).isEmpty()) << "a recording without a frame leaves no file";
}

// Cover, the darks, uncover: a timed recording counts its seconds from the
// uncovered camera, however long the observer took. The next recording with
// the same settings reuses the darks without asking.
TEST_F(MainWindowTest, ATimedRecordingWithDarksCountsFromTheUncoveredCamera) {
    QTemporaryDir captures;
    Store("CAPFILE", "MOON");
    Store("CAPDIR", captures.path());
    Store("EXPOCOUNT", "1");
    ASSERT_TRUE(Start());
    C<QSlider>("__width")->setValue(80);
    C<QSlider>("__height")->setValue(60);
    C<QSpinBox>("expo")->setValue(0);
    C<QAction>("MenuItem2")->trigger();
    C<QPushButton>("Count")->click();  // seconds
    C<SevenSegmentCounter>("VrCounter1")->SetValue(2);
    auto *prompt = W().findChild<TForm3 *>();
    C<QToolButton>("butCapture")->click();
    for (const QString &asked :
         {InterfaceTexts{}.MSG_COVERCAMERA, InterfaceTexts{}.MSG_UNCOVERCAMERA}) {
        // Between the two, the prompt counts the darks.
        ASSERT_TRUE(RunUntil([&] { return prompt->isVisible() && prompt->MSG->text() == asked; }))
            << prompt->MSG->text().toStdString();
        Run(1200);  // longer than the whole recording
        prompt->Button1->click();
        EXPECT_FALSE(prompt->isVisible());
    }
    ASSERT_TRUE(RunUntil([&] { return !Recorder().Recording(); }));
    EXPECT_GT(Recorder().framecount, 2);

    bool asked_again = false;
    C<QToolButton>("butCapture")->click();
    ASSERT_TRUE(RunUntil([&] {
        asked_again |= prompt->isVisible();
        return !Recorder().Recording();
    }));
    EXPECT_FALSE(asked_again);
    EXPECT_GT(Recorder().framecount, 2);
}

TEST_F(MainWindowTest, MinimisingIsIgnored) {
    ASSERT_TRUE(Start());
    W().setWindowState(Qt::WindowMinimized);
    QApplication::processEvents();
    EXPECT_FALSE(W().windowState() & Qt::WindowMinimized);
}

TEST_F(MainWindowTest, ClosingDuringAFiveSecondExposureIsPromptAndSaves) {
    ASSERT_TRUE(Start());
    C<QSpinBox>("expo")->setValue(5000);
    Run(1500);  // the camera is now inside a 5 s exposure
    C<QSlider>("Gain")->setValue(22);
    const qint64 took = Close();
    EXPECT_LT(took, 2000);
    EXPECT_EQ(Stored("GAIN"), "22");
    EXPECT_EQ(Stored("EXPOLENGTH"), "5000");
}

TEST_F(MainWindowTest, ClosingWhileTheCameraNoLongerAnswersIsPrompt) {
    qputenv("OMTRIX_SIM_FAULT", "hang:3");
    ASSERT_TRUE(Start());
    Run(1000);
    C<QSlider>("Gain")->setValue(61);
    const qint64 took = Close();
    EXPECT_LT(took, THREAD_STOP_WAIT_MS + 1000);
    EXPECT_EQ(Stored("GAIN"), "61");
}

TEST_F(MainWindowTest, ClosingDuringARecordingFinishesItsFile) {
    QTemporaryDir captures;
    Store("CAPFILE", "SATURN");
    Store("CAPDIR", captures.path());
    Store("EXPOCOUNT", "0");  // until stopped
    ASSERT_TRUE(Start());
    C<QSlider>("__width")->setValue(80);
    C<QSlider>("__height")->setValue(60);
    C<QSpinBox>("expo")->setValue(0);
    C<QAction>("MenuItem2")->trigger();
    C<QToolButton>("butCapture")->click();
    ASSERT_TRUE(RunUntil([&] { return Recorder().framecount >= 2; }));
    Close();
    const QString file = captures.filePath("SATURN_00000.ser");
    QFile ser(file);
    ASSERT_TRUE(ser.open(QIODevice::ReadOnly));
    const QByteArray header = ser.read(178);
    const uint32_t count = uint8_t(header[38]) | uint8_t(header[39]) << 8 |
                           uint8_t(header[40]) << 16 | uint32_t(uint8_t(header[41])) << 24;
    EXPECT_GT(count, 0u);
    EXPECT_EQ(ser.size(), 178 + int64_t(count) * (320 * 240 + 8))
        << "the count matches the frames and their timestamps";
}

TEST_F(MainWindowTest, NoCameraEndsTheStartWithTheMessage) {
    qputenv("OMTRIX_SIM_FAULT", "no-camera");
    EXPECT_EQ(FailedStart(), "No camera detected");
}

TEST_F(MainWindowTest, TheAboutWindowLeavesThePictureLive) {
    ASSERT_TRUE(Start());
    ASSERT_TRUE(RunUntil([&] { return WorkingBitmap().Width() == 2048; }));
    auto checksum = [&] {
        const Bitmap24 &bitmap = WorkingBitmap();
        uint64_t sum = 0;
        for (size_t i = 0; i < bitmap.ByteCount(); i += 61)
            sum = sum * 31 + bitmap.Bits()[i];
        return sum;
    };
    // While the window is open, look for a new picture, then press OK.
    uint64_t first = 0;
    bool was_visible = false;
    bool picture_changed = false;
    QElapsedTimer open_for;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto *about = W().findChild<TAboutBox *>();
        if (!about || !about->isVisible())
            return;
        was_visible = true;
        if (!open_for.isValid()) {
            open_for.start();
            first = checksum();
            return;
        }
        picture_changed = checksum() != first;
        if (picture_changed || open_for.elapsed() > 15000) {
            about->findChild<QPushButton *>()->click();  // OK
        }
    });
    watch.start(100);
    C<QAction>("ABOUT1")->trigger();  // returns once OK has hidden the window
    EXPECT_TRUE(was_visible);
    EXPECT_TRUE(picture_changed) << "new frames were shown meanwhile";
}

// What the main window shows while it records and after.
#include <QDesktopServices>
#include <QFile>
#include <QRegularExpression>
#include <QtEndian>
#include <set>

#include <sys/mount.h>

#include "app/dark_prompt_window.h"
#include "main_window_fixture.h"
#include "preview/histogram_window.h"
#include "recording/recording_progress.h"
#include "widgets/preview_image.h"

// Stands in for the desktop's file manager.
class FolderOpener : public QObject {
    Q_OBJECT
  public:
    QUrl opened;
    Q_INVOKABLE void Open(const QUrl &url) { opened = url; }
};

class RecordingPanelTest : public MainWindowTest {
  protected:
    // A SER recording of 320 x 240 frames with no exposure and `pause_ms`
    // between frames, `count` frames of them (0: until stopped).
    void StartSmallSer(const char *count, int pause_ms) {
        Store("CAPFILE", "JUPITER");
        Store("EXPOCOUNT", count);
        ASSERT_TRUE(Start());
        C<QSlider>("__width")->setValue(80);  // 320 x 240
        C<QSlider>("__height")->setValue(60);
        C<QSpinBox>("expo")->setValue(0);
        C<SevenSegmentCounter>("delays")->SetValue(pause_ms);
        C<QAction>("MenuItem2")->trigger();  // SER
        since_click.start();
        C<QToolButton>("butCapture")->click();
        click_ms = since_click.elapsed();
        ASSERT_TRUE(Recorder().Recording());
    }
    // Started right before the capture button's click; the recorder's clock
    // started within the click's first `click_ms` milliseconds.
    QElapsedTimer since_click;
    qint64 click_ms = 0;
    // The figures the sub-frame panel shows while recording.
    struct Shown {
        int written = -1;
        int elapsed_s = -1;
        int dropped = -1;
    };
    Shown Figures() {
        static const QRegularExpression figures(
            "^Capturing\\.\\.\\. (\\d+) written +(\\d+):(\\d\\d):(\\d\\d) +dropped (\\d+) +[0-9.]+ "
            "MB$");
        const QRegularExpressionMatch match = figures.match(Status(1));
        EXPECT_TRUE(match.hasMatch()) << Status(1).toStdString();
        if (!match.hasMatch())
            return {};
        return {match.captured(1).toInt(),
                match.captured(2).toInt() * 3600 + match.captured(3).toInt() * 60 +
                    match.captured(4).toInt(),
                match.captured(5).toInt()};
    }
};

// Frames, time and drops as the recorder had them at a refresh, and a new
// refresh with the first frame written a quarter second or more after the
// last; afterwards the file, its frames and its folder. The recorder writes
// and refreshes only while the event loop turns, so a panel that changed
// between two looks was refreshed between them, whatever the machine's load.
TEST_F(RecordingPanelTest, TheStatusBarFollowsTheRecorder) {
    QTemporaryDir captures;
    Store("CAPDIR", captures.path());
    StartSmallSer("0", 50);
    const QElapsedTimer &clock = since_click;
    constexpr qint64 kClockSlackMs = 5;  // two millisecond clocks, read apart
    QString shown_text;
    qint64 look_before_ms = 0;  // when the look before this one was taken
    qint64 changed_at_ms = 0;   // the look that saw the last refresh
    int count_before = 0;
    int refreshes = 0;
    while (clock.elapsed() < 3000 || Recorder().framecount <= 20 || refreshes <= 10) {
        ASSERT_LT(clock.elapsed(), 60000) << "the recording stopped moving";
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        const qint64 now_ms = clock.elapsed();
        const int count = Recorder().framecount;
        if (Status(1) != shown_text) {
            shown_text = Status(1);
            const Shown shown = Figures();
            EXPECT_GE(shown.written, count_before);
            EXPECT_LE(shown.written, count);
            // Whole seconds of the recorder's clock at the refresh.
            EXPECT_GE(shown.elapsed_s,
                      std::max<qint64>(look_before_ms - click_ms - kClockSlackMs, 0) / 1000);
            EXPECT_LE(shown.elapsed_s, (now_ms + kClockSlackMs) / 1000);
            EXPECT_EQ(shown.dropped, 0) << "the writer keeps up";
            changed_at_ms = now_ms;
            ++refreshes;
        } else if (count > count_before && Figures().written > 0) {
            // Written after the look before; the refresh was before the last
            // change was seen. (Only once frames are shown: a notice whose
            // frame was discarded at the start may refresh to the same text.)
            EXPECT_LT(look_before_ms, changed_at_ms + 250 + kClockSlackMs)
                << "frame " << count << " was written a quarter second after the last refresh";
        }
        look_before_ms = now_ms;
        count_before = count;
    }
    EXPECT_TRUE(Status(0).contains("written:"))
        << "camera and written rate, not one over the other";
    EXPECT_TRUE(Status(2).contains(" MB free")) << Status(2).toStdString();

    C<QToolButton>("butCapture")->click();  // the observer's stop
    ASSERT_FALSE(Recorder().Recording());
    const int frames = Recorder().framecount;
    EXPECT_GT(frames, 20);
    EXPECT_EQ(Status(1), QStringLiteral("%1 frames written into JUPITER_00000.ser").arg(frames));
    QFile ser(captures.filePath("JUPITER_00000.ser"));
    ASSERT_TRUE(ser.open(QIODevice::ReadOnly));
    const QByteArray header = ser.read(178);
    EXPECT_EQ(qFromLittleEndian<int32_t>(header.constData() + 38), frames);
    auto *link = C<QLabel>("FolderLink");
    EXPECT_TRUE(link->isVisible());
    EXPECT_TRUE(link->text().contains(QUrl::fromLocalFile(captures.path()).toString()))
        << link->text().toStdString();
    // The link opens the folder through the desktop.
    FolderOpener opener;
    QDesktopServices::setUrlHandler("file", &opener, "Open");
    emit link->linkActivated(QUrl::fromLocalFile(captures.path()).toString());
    QDesktopServices::unsetUrlHandler("file");
    EXPECT_EQ(opener.opened.toLocalFile(), captures.path());

    // A new sub-frame takes the panel back.
    C<QSlider>("__width")->setValue(100);
    EXPECT_TRUE(Status(1).startsWith("Subframe:"));
    EXPECT_FALSE(link->isVisible());
}

// An 8-bit camera offers no 16-bit files: the stored choice is kept for a
// deeper camera, but the menu item stays off whatever the kind, and the SER
// holds 8-bit samples as ever.
TEST_F(RecordingPanelTest, AnEightBitCameraRecordsEightBitsWhateverTheStoredChoice) {
    QTemporaryDir captures;
    Store("CAPDIR", captures.path());
    Store("SIXTEENBIT", "T");
    StartSmallSer("2", 0);
    auto *sixteen_bit = C<QAction>("SixteenBit1");
    EXPECT_TRUE(sixteen_bit->isChecked());
    EXPECT_FALSE(sixteen_bit->isEnabled());
    ASSERT_TRUE(RunUntil([&] { return !Recorder().Recording(); }, 5000));
    QFile ser(captures.filePath("JUPITER_00000.ser"));
    ASSERT_TRUE(ser.open(QIODevice::ReadOnly));
    const QByteArray header = ser.read(178);
    EXPECT_EQ(qFromLittleEndian<int32_t>(header.constData() + 34), 8) << "PixelDepthPerPlane";
    EXPECT_EQ(ser.size(), 178 + 2 * (320 * 240 + 8));
    for (const char *kind : {"MenuItem1", "FIT2", "BMP2"}) {
        C<QAction>(kind)->trigger();
        EXPECT_FALSE(sixteen_bit->isEnabled()) << kind;
    }
}

// The free space is the capture disk's, read while recording, and its
// colour follows the minutes it lasts: a small disk nearly full is red,
// even at the few frames a second of a busy machine.
TEST_F(RecordingPanelTest, TheFreeSpaceFollowsTheCaptureDisk) {
    QTemporaryDir mount_point;
    const QString disk = mount_point.path();
    // The system call rather than mount(8): a child process started before
    // the recording's threads confuses the thread checker.
    if (::mount("tmpfs", QFile::encodeName(disk).constData(), "tmpfs", 0, "size=9m") != 0) {
        GTEST_SKIP() << "mounting a tmpfs needs root; the thresholds are tested on their own";
    }
    // Detached however the test ends, a failed check included.
    struct Unmount {
        QByteArray path;
        ~Unmount() { ::umount2(path.constData(), MNT_DETACH); }
    } unmount{QFile::encodeName(disk)};
    Store("CAPDIR", disk);
    // The free space at the look before this one, read after the panels.
    double before_mb = FreeDiskBytes(disk) / 1e6;
    StartSmallSer("100", 10);  // 7.7 MB, leaving about 1.7 MB
    QString shown_text;
    double low_mb = 0;  // the disk between the looks around the last refresh
    double high_mb = 0;
    bool red = false;
    int checks = 0;
    while (Recorder().Recording()) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        const QString panels = Status(1) + Status(2);
        const double free_mb = FreeDiskBytes(disk) / 1e6;
        // The recorder writes and refreshes only while the event loop turns,
        // and the disk only empties: what it read at the refresh lies between
        // the looks around it, however long ago that was.
        if (panels != shown_text) {
            shown_text = panels;
            low_mb = free_mb;
            high_mb = before_mb;
        }
        static const QRegularExpression shown("^(\\d+) MB free(, (\\d+) min)?$");
        const QRegularExpressionMatch match = shown.match(Status(2));
        ASSERT_TRUE(match.hasMatch()) << Status(2).toStdString();
        EXPECT_GE(match.captured(1).toDouble(), low_mb - 0.5);
        EXPECT_LE(match.captured(1).toDouble(), high_mb + 0.5);
        // Whole minutes, rounded down, so the figure says the colour: red
        // under 2, amber under 10, and no warning without an estimate.
        const bool timed = !match.captured(3).isEmpty();
        const int minutes = match.captured(3).toInt();
        const QColor colour = C<QLabel>("StatusPanel2")->palette().color(QPalette::WindowText);
        EXPECT_EQ(colour == Qt::red, timed && minutes < 2) << Status(2).toStdString();
        EXPECT_EQ(colour == QColor(0xd0, 0x80, 0x00), timed && minutes >= 2 && minutes < 10)
            << Status(2).toStdString();
        red |= colour == Qt::red;
        before_mb = free_mb;
        ++checks;
    }
    EXPECT_GT(checks, 5);
    EXPECT_TRUE(red);
    EXPECT_LT(FreeDiskBytes(disk), 9 * 1024 * 1024 - 7'000'000);
    // Done: the figure stays, in the ordinary colour.
    EXPECT_NE(C<QLabel>("StatusPanel2")->palette().color(QPalette::WindowText), Qt::red);
    Close();
}

// While the writer keeps up, the picture stays live: at least five
// refreshes a second, and every frame still reaches the file.
TEST_F(RecordingPanelTest, ThePictureStaysLiveWhileRecording) {
    QTemporaryDir captures;
    Store("CAPDIR", captures.path());
    StartSmallSer("150", 10);
    std::set<uint32_t> refreshes;
    QElapsedTimer clock;
    clock.start();
    while (Recorder().Recording()) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        if (Input().previewed_while_recording)
            refreshes.insert(Input().last_recording_preview_tick);
    }
    const double seconds = clock.elapsed() / 1000.0;
    EXPECT_GE(refreshes.size() / seconds, 5.0) << refreshes.size() << " in " << seconds << " s";
    EXPECT_EQ(Recorder().framecount, 150);
    EXPECT_TRUE(Status(1).startsWith("150 frames written into")) << Status(1).toStdString();
}

// The dark-frame prompt counts the darks as they are taken, and Cancel, at
// the cover prompt or while they are taken, ends the recording with no file;
// a camera that was covered is still to be uncovered.
TEST_F(RecordingPanelTest, CancelAtTheDarkPromptEndsTheRecordingWithoutAFile) {
    for (bool while_taking : {false, true}) {
        SCOPED_TRACE(while_taking ? "while taking" : "at the cover prompt");
        QTemporaryDir captures;
        Store("CAPDIR", captures.path());
        Store("CAPFILE", "MARS");
        Store("EXPOCOUNT", "0");
        ASSERT_TRUE(Start());
        C<QSlider>("__width")->setValue(80);
        C<QSlider>("__height")->setValue(60);
        C<QSpinBox>("expo")->setValue(200);
        C<QAction>("MenuItem2")->trigger();  // SER, whose file exists from the start
        C<SevenSegmentCounter>("VrCounter1")->SetValue(5);
        auto *prompt = W().findChild<TForm3 *>();
        C<QToolButton>("butCapture")->click();
        ASSERT_TRUE(RunUntil([&] { return prompt->isVisible(); }));
        EXPECT_TRUE(prompt->Button1->isVisible());
        EXPECT_TRUE(prompt->Button2->isVisible());
        if (while_taking) {
            prompt->Button1->click();
            ASSERT_TRUE(RunUntil([&] {
                return prompt->isVisible() && prompt->MSG->text() == "Taking dark frame 2 of 5";
            })) << prompt->MSG->text().toStdString();
            EXPECT_FALSE(prompt->Button1->isVisible()) << "only Cancel while the darks are taken";
        }
        prompt->Button2->click();
        EXPECT_FALSE(Recorder().Recording());
        EXPECT_FALSE(Cap().Capturing());
        EXPECT_FALSE(C<QToolButton>("butCapture")->isChecked());
        EXPECT_EQ(Status(0), InterfaceTexts{}.NOFRAMES_RECORDED);
        if (while_taking) {
            ASSERT_TRUE(RunUntil([&] {
                return prompt->isVisible() &&
                       prompt->MSG->text() == InterfaceTexts{}.MSG_UNCOVERCAMERA;
            }));
            EXPECT_FALSE(prompt->Button2->isVisible());
            prompt->Button1->click();
        }
        Run(600);
        EXPECT_FALSE(prompt->isVisible());
        EXPECT_TRUE(QDir(captures.path()).isEmpty()) << "no file, no log";
        Close();
    }
}

// A blown-out planet: the histogram gives the share at 255 in red, and the
// picture's menu paints those samples red on the picture, never in a file.
TEST_F(RecordingPanelTest, SaturationShowsOnThePictureAndTheHistogramOnly) {
    QTemporaryDir captures;
    Store("CAPDIR", captures.path());
    Store("CAPFILE", "VENUS");
    Store("EXPOCOUNT", "3");
    ASSERT_TRUE(Start());
    C<QSpinBox>("expo")->setValue(400);
    C<QSlider>("Gain")->setValue(C<QSlider>("Gain")->maximum());
    auto red_pixels = [&] {
        const QImage *picture = C<PreviewImage>("Image1")->Picture();
        int count = 0;
        for (int y = 0; picture && y < picture->height(); y += 4)
            for (int x = 0; x < picture->width(); x += 4)
                count += picture->pixel(x, y) == qRgb(255, 0, 0) ? 1 : 0;
        return count;
    };
    C<QAction>("Histogram1")->trigger();
    auto *mean = W().findChild<THistogramForm *>()->findChild<QLabel *>("Label1");
    static const QRegularExpression full("255:&nbsp;([0-9.]+)%");
    ASSERT_TRUE(RunUntil([&] {
        const QRegularExpressionMatch match = full.match(mean->text());
        return match.hasMatch() && match.captured(1).toDouble() > 0.5;
    })) << mean->text().toStdString();
    EXPECT_TRUE(mean->text().contains("color:#e00000"));
    EXPECT_EQ(red_pixels(), 0) << "a grey camera shows no red of its own";

    C<QAction>("Saturation1")->trigger();
    ASSERT_TRUE(RunUntil([&] { return red_pixels() > 50; }));
    C<QAction>("BMP2")->trigger();
    C<QToolButton>("butCapture")->click();
    ASSERT_TRUE(RunUntil([&] { return !Recorder().Recording(); }));
    const QStringList files = QDir(captures.path()).entryList({"*.bmp"});
    ASSERT_EQ(files.size(), 3);
    for (const QString &name : files) {
        const QImage frame(captures.filePath(name));
        ASSERT_FALSE(frame.isNull());
        bool white = false;
        for (int y = 0; y < frame.height(); y += 2)
            for (int x = 0; x < frame.width(); x += 2) {
                const QRgb pixel = frame.pixel(x, y);
                ASSERT_EQ(qRed(pixel), qBlue(pixel)) << "grey, not painted";
                white |= pixel == qRgb(255, 255, 255);
            }
        EXPECT_TRUE(white) << "the clipped samples are in the file as they are";
    }
    C<QAction>("Saturation1")->trigger();
    Run(300);
    ASSERT_TRUE(RunUntil([&] { return red_pixels() == 0; }));
}

#include "recording_panel_test.moc"

// Profiles, the session kept across a restart, the first start's folder and
// the sub-frame's sizes, through the main window.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QStatusBar>
#include <tuple>

#include "main_window_fixture.h"
#include "shell/capture_state_samples.h"
#include "widgets/numeric_keypad.h"

namespace {

// Two states far from the defaults and from each other: the unusual colour
// one, and a grey one timing a SER recording until stopped.
CaptureState GreyState() {
    CaptureState s;
    s.exposure_ms = 1500;
    s.exposure_us = 1500000;
    s.exposure_range_ms = 2500;
    s.gain = 0;
    s.red = s.green = s.blue = 50;
    s.black_point = 0;
    s.white_point = 1;
    s.sub_x = 0;
    s.sub_y = 1056;
    s.sub_width = 320;
    s.sub_height = 480;
    s.output_kind = MODE_SER;
    s.seconds_mode = true;
    s.count = 0;
    s.delay_ms = 999999;
    s.solar_limit = 0;
    s.solar_shade = 255;
    s.stamp_choice = 0;
    s.stamp_hour_offset = 12;
    s.observer = QStringLiteral("Ann Lee");
    return s;
}

// Which values differ, for a readable failure.
std::string Differences(const CaptureState &a, const CaptureState &b) {
    const QTemporaryDir dir;
    const QString file_a = dir.filePath("a.ini"), file_b = dir.filePath("b.ini");
    QString error;
    WriteProfile(file_a, a, error);
    WriteProfile(file_b, b, error);
    QFile fa(file_a), fb(file_b);
    fa.open(QIODevice::ReadOnly);
    fb.open(QIODevice::ReadOnly);
    const QList<QByteArray> la = fa.readAll().split('\n'), lb = fb.readAll().split('\n');
    std::string out;
    for (qsizetype i = 0; i < std::min(la.size(), lb.size()); ++i) {
        if (la[i] != lb[i]) {
            out += la[i].toStdString() + " / " + lb[i].toStdString() + "\n";
        }
    }
    return out;
}

class CaptureStateWindowTest : public MainWindowTest {
  protected:
    void ExpectState(const CaptureState &expected) {
        EXPECT_TRUE(State() == expected) << Differences(State(), expected);
        // The camera thread follows the controls.
        EXPECT_EQ(Cap().length, expected.exposure_ms);
        EXPECT_EQ(Cap().length_us, expected.exposure_us);
        EXPECT_EQ(Cap().binning_code, expected.binning_code);
        EXPECT_EQ(Cap()._USB, expected.fast_transfer ? 1u : 0u);
        EXPECT_EQ(Cap().DARKCOUNT, expected.dark_frames);
        EXPECT_EQ(Cap()._height, static_cast<uint32_t>(expected.sub_height));
    }
    // Closes the message a refused action shows; its text.
    QString CloseNotice() {
        QApplication::processEvents();
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (auto *box = qobject_cast<QMessageBox *>(window); box && box->isVisible()) {
                const QString text = box->text();
                box->close();
                return text;
            }
        }
        return QString();
    }
};

TEST_F(CaptureStateWindowTest, AFirstStartRecordsIntoThePicturesFolder) {
    ASSERT_TRUE(Start());
    const QString folder = QDir(Pictures()).filePath("Omtrix");
    EXPECT_FALSE(QFileInfo::exists(folder)) << "made by the first recording, not before";
    EXPECT_EQ(W().statusBar()->currentMessage(),
              "Files: " + QDir::toNativeSeparators(folder + "/Capture"));
    C<SevenSegmentCounter>("expos")->SetValue(2);
    C<QSpinBox>("expo")->setValue(0);
    C<QToolButton>("butCapture")->click();
    ASSERT_TRUE(Recorder().Recording());
    ASSERT_TRUE(RunUntil([&] { return !Recorder().Recording(); }));
    EXPECT_TRUE(QFileInfo::exists(folder + "/Capture_00000.avi"));
    Close();
    EXPECT_EQ(Stored("CAPDIR"), folder) << "the next start records there too";
}

TEST_F(CaptureStateWindowTest, EverySettingComesBackFromAProfileAndAfterARestart) {
    const CaptureState states[] = {UnusualCaptureState(), GreyState()};
    for (int i = 0; i < 2; ++i) {
        const CaptureState &state = states[i];
        const CaptureState &other = states[1 - i];
        ASSERT_TRUE(Start());
        ApplyState(state);
        ExpectState(state);
        ASSERT_TRUE(SaveProfile("Jupiter IR"));
        ApplyState(other);
        ASSERT_TRUE(State() == other) << Differences(State(), other);

        // One click on the profile's item in the menu.
        auto *menu = C<QMenu>("Profiles1");
        emit menu->aboutToShow();
        QAction *item = nullptr;
        for (QAction *action : menu->actions()) {
            item = action->text() == "Jupiter IR" ? action : item;
        }
        ASSERT_NE(item, nullptr);
        item->trigger();
        ExpectState(state);

        // The next night starts where this one ended.
        ApplyState(other);
        Close();
        ASSERT_TRUE(Start());
        ExpectState(other);
        Close();
        QFile::remove(SettingsFile());
    }
}

TEST_F(CaptureStateWindowTest, ADamagedProfileChangesNothing) {
    ASSERT_TRUE(Start());
    ApplyState(UnusualCaptureState());
    ASSERT_TRUE(SaveProfile("Mars"));
    const QString file = ProfileFile(ProfilesDirectory(), "Mars");
    QFile profile(file);
    ASSERT_TRUE(profile.open(QIODevice::ReadOnly));
    QByteArray bytes = profile.readAll();
    profile.close();
    ApplyState(GreyState());
    CloseNotice();
    for (const auto &[from, to] : {std::pair<QByteArray, QByteArray>{"GAIN=73", "GAIN=730"},
                                   {"BINNING=2", "BINNING"},
                                   {"OUTPUTTYPE=AVI\r\n", ""},
                                   {"OUTPUTTYPE=AVI\n", ""}}) {
        if (!bytes.contains(from)) {
            continue;  // one of the two line ends
        }
        QByteArray damaged = bytes;
        damaged.replace(from, to);
        ASSERT_TRUE(profile.open(QIODevice::WriteOnly | QIODevice::Truncate));
        profile.write(damaged);
        profile.close();
        EXPECT_FALSE(LoadProfile("Mars"));
        EXPECT_TRUE(State() == GreyState()) << Differences(State(), GreyState());
        EXPECT_TRUE(CloseNotice().startsWith(InterfaceTexts{}.PRF_DAMAGED));
    }
}

TEST_F(CaptureStateWindowTest, ProfilesAreRenamedAndDeletedAndTheLogNamesTheOneLoaded) {
    ASSERT_TRUE(Start());
    ASSERT_TRUE(SaveProfile("Saturn"));
    EXPECT_FALSE(SaveProfile("a/b"));
    EXPECT_EQ(CloseNotice(), InterfaceTexts{}.PRF_BADNAME);
    ASSERT_TRUE(SaveProfile("Moon"));
    EXPECT_FALSE(RenameProfile("Moon", "Saturn"));
    EXPECT_EQ(CloseNotice(), InterfaceTexts{}.PRF_EXISTS);
    ASSERT_TRUE(RenameProfile("Moon", "Moon Ha"));
    EXPECT_EQ(ProfileNames(ProfilesDirectory()), QStringList({"Moon Ha", "Saturn"}));
    ASSERT_TRUE(DeleteProfile("Saturn"));
    EXPECT_EQ(ProfileNames(ProfilesDirectory()), QStringList({"Moon Ha"}));

    // The recording's log names the profile in use.
    ASSERT_TRUE(LoadProfile("Moon Ha"));
    C<SevenSegmentCounter>("expos")->SetValue(1);
    C<QSpinBox>("expo")->setValue(0);
    C<QToolButton>("butCapture")->click();
    ASSERT_TRUE(RunUntil([&] { return !Recorder().Recording(); }));
    const QString log = QDir(Pictures()).filePath("Omtrix/Capture_00000.avi.txt");
    QFile text(log);
    ASSERT_TRUE(text.open(QIODevice::ReadOnly)) << log.toStdString();
    EXPECT_TRUE(text.readAll().contains("Moon Ha"));
}

TEST_F(CaptureStateWindowTest, PresetsTypedSizesAndTheKeypadGiveExactSizes) {
    ASSERT_TRUE(Start());
    auto *sizes = C<QToolButton>("SubframeSizes");
    const QList<QAction *> items = sizes->menu()->actions();
    const struct {
        int item;
        int width;
        int height;
    } presets[] = {{0, 320, 240}, {1, 640, 480}, {2, 800, 600}, {3, 1024, 768}, {4, 2048, 1536}};
    for (const auto &p : presets) {
        items[p.item]->trigger();
        EXPECT_EQ(C<SevenSegmentCounter>("HRES")->Value(), p.width);
        EXPECT_EQ(C<SevenSegmentCounter>("VRES")->Value(), p.height);
        EXPECT_EQ(Cap()._width, static_cast<uint32_t>(p.width));
        EXPECT_EQ(State().sub_x, (2048 - p.width) / 2) << "centred where the sub-frame was";
    }

    // Around a window in the top-left corner: centred there, held on the sensor.
    items[0]->trigger();
    emit C<SensorMiniature>("full")->MouseDown(QPoint(0, 0));
    emit C<SensorMiniature>("full")->MouseUp(QPoint(0, 0));
    ASSERT_EQ(State().sub_x, 0);
    items[1]->trigger();
    EXPECT_EQ(State().sub_x, 0);
    EXPECT_EQ(State().sub_y, 0);
    EXPECT_EQ(State().sub_width, 640);

    auto *typed = C<QLineEdit>("SubframeTyped");
    for (const auto &[text, width, height] :
         {std::tuple{"800 x 600", 800, 600}, std::tuple{"642x478", 644, 480},
          std::tuple{"nonsense", 644, 480}}) {
        typed->setText(QString::fromUtf8(text));
        emit typed->returnPressed();
        EXPECT_EQ(State().sub_width, width) << text;
        EXPECT_EQ(State().sub_height, height) << text;
    }

    C<QToolButton>("AdvGlassButton9")->click();  // the width's keypad
    for (const char *key : {"1", "0", "2", "4"}) {
        for (QPushButton *button : C<NumericKeypad>("KEY6")->findChildren<QPushButton *>()) {
            if (button->text() == QLatin1String(key)) {
                button->click();
            }
        }
    }
    EXPECT_EQ(C<SevenSegmentCounter>("HRES")->Value(), 1024);
    EXPECT_EQ(C<SevenSegmentCounter>("VRES")->Value(), 480);
}

}  // namespace

// A window stored with a larger camera is cut to this camera's sensor, not
// refused: the sliders stop at the sensor, the miniature's outline fills it.
TEST_F(CaptureStateWindowTest, AWindowOfALargerCameraIsCutToTheSensor) {
    Store("SUBX", "1000");
    Store("SUBY", "500");
    Store("SUBWIDTH", "4096");
    Store("SUBHEIGHT", "3072");
    ASSERT_TRUE(Start());
    EXPECT_EQ(Status(1), "Subframe: (0,0) -> (2048x1536)");
    EXPECT_EQ(C<QSlider>("__width")->maximum(), 512);
    EXPECT_EQ(C<QSlider>("__height")->maximum(), 384);
    EXPECT_EQ(C<SensorMiniature>("full")->Subframe(), QRect(0, 0, 113, 85));
    EXPECT_EQ(Cap()._width, 2048u);
    EXPECT_EQ(Cap()._height, 1536u);
    Close();
    EXPECT_EQ(Stored("SUBWIDTH"), "2048");
    EXPECT_EQ(Stored("SUBX"), "0");
}

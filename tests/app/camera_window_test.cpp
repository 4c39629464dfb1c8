// "Camera Setup › Camera…": the choice is stored, and the next start hands it
// to the driver unless the environment names a camera.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>

#include "app/camera_window.h"
#include "main_window_fixture.h"
#include "support/captured_warnings.h"

namespace {

// Nothing listens on port 1 of this machine: a connection there is refused at once.
constexpr const char *NO_SERVER = "indi:127.0.0.1:1";

class CameraWindowTest : public MainWindowTest {
  protected:
    void TearDown() override {
        MainWindowTest::TearDown();
        qunsetenv("OMTRIX_CAMERA");
    }
    CameraWindow *Opened() {
        C<QAction>("CameraChoice1")->trigger();
        auto *window = form->findChild<CameraWindow *>(QStringLiteral("CameraWindow"));
        EXPECT_TRUE(window != nullptr && window->isVisible());
        return window;
    }
    QStringList Notices() {
        QStringList texts;
        for (QMessageBox *box : form->findChildren<QMessageBox *>()) {
            if (box->isVisible()) {
                texts << box->text();
            }
        }
        return texts;
    }
};

TEST_F(CameraWindowTest, TheChoiceIsStoredAndReachesTheDriverAtTheNextStart) {
    ASSERT_TRUE(Start());
    CameraWindow *window = Opened();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->Simulator->isChecked()) << "a fresh machine has the simulated camera";
    EXPECT_FALSE(window->Host->isEnabled());

    window->Indi->setChecked(true);
    window->Host->setText(QStringLiteral("127.0.0.1"));
    window->Port->setValue(1);
    // Searching leaves the window live and ends with the reason.
    window->Search->click();
    EXPECT_EQ(window->SearchState->text(), QStringLiteral("Searching\u2026"));
    ASSERT_TRUE(RunUntil([&] { return window->Search->isEnabled(); }, 10000));
    EXPECT_EQ(window->SearchState->text(), "no INDI server answers at 127.0.0.1:1");

    window->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
    EXPECT_EQ(Stored("CAMERA"), NO_SERVER);
    EXPECT_EQ(Notices(), QStringList{"The camera choice takes effect at the next start."});
    EXPECT_EQ(qEnvironmentVariable("OMTRIX_CAMERA"), "") << "not before the next start";
    Close();

    EXPECT_EQ(FailedStart(), "No camera detected");
    EXPECT_EQ(qEnvironmentVariable("OMTRIX_CAMERA"), NO_SERVER);
}

TEST_F(CameraWindowTest, TheEnvironmentWinsAndAStoredValueThatIsNoCameraFallsBack) {
    Store("CAMERA", NO_SERVER);
    qputenv("OMTRIX_CAMERA", "simulator");
    ASSERT_TRUE(Start()) << "the environment's simulator, not the stored server";
    CameraWindow *window = Opened();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->Indi->isChecked());
    EXPECT_EQ(window->Choice(), (CameraChoice{CameraChoice::Kind::Indi, "127.0.0.1", 1, ""}));
    bool note_shown = false;
    for (QLabel *label : window->findChildren<QLabel *>()) {
        note_shown |= label->isVisible() && label->text().startsWith("OMTRIX_CAMERA=simulator");
    }
    EXPECT_TRUE(note_shown);
    window->reject();
    Close();

    qunsetenv("OMTRIX_CAMERA");
    Store("CAMERA", "webcam");
    CapturedWarnings warnings;
    ASSERT_TRUE(Start());
    EXPECT_EQ(warnings.With("CAMERA \"webcam\" names no camera").size(), 1);
    EXPECT_EQ(qEnvironmentVariable("OMTRIX_CAMERA"), "");
    ASSERT_NE(window = Opened(), nullptr);
    EXPECT_TRUE(window->Simulator->isChecked());
}

}  // namespace

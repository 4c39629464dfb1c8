#pragma once

#include <gtest/gtest.h>

#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include "app/about_window.h"
#include "app/output_names_window.h"
#include "app/splash_window.h"
#include "app/tool_window_stack.h"
#include "platform/settings_store.h"
#include "preview/focus_window.h"
#include "preview/histogram_window.h"
#include "preview/measurement_window.h"
#include "preview/overlay_window.h"
#include "preview/roddier_window.h"
#include "preview/solar_window.h"
#include "widgets/preview_image.h"
#include "widgets/sensor_miniature.h"
#include "widgets/seven_segment_counter.h"

// The main window started for real, with the simulated camera beside the
// tests, and its settings in a folder of their own.
class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(config.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
        // A first start records into the desktop's pictures folder: this one.
        ASSERT_TRUE(QDir().mkpath(Pictures()));
        qputenv("XDG_PICTURES_DIR", Pictures().toUtf8());
    }
    void TearDown() override {
        if (form)
            Close();
        qunsetenv("OMTRIX_SIM_FAULT");
        qunsetenv("OMTRIX_SIM_SENSOR");
        qunsetenv("XDG_PICTURES_DIR");
    }

    QString Pictures() const { return config.filePath("Pictures"); }

    QString SettingsFile() const { return config.filePath("Zelvaro/Omtrix.ini"); }
    void Store(const char *name, const QString &text) {
        SettingsStore store;
        store.WriteSetting(QString::fromLatin1(name), text);
        store.Flush();
    }
    QString Stored(const char *name) const {
        return SettingsStore().ReadSetting(QString::fromLatin1(name), QStringLiteral("<none>"));
    }

    bool Start() {
        form = std::make_unique<TForm1>();
        return form->FormCreate(splash);
    }
    // The simulated camera taken for one without the optional entries (the
    // window loads no other library), after Start: the colour tick is the
    // observer's again, showing the stored choice.
    void ForgetCameraDescription() {
        form->camera_ = CameraSensor{};
        form->ShowWhoSettlesColour();
        form->ApplyCaptureState(form->CurrentCaptureState());
    }
    // A start that must fail: the message it ends with, answered as the
    // observer would.
    QString FailedStart() {
        QString shown;
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                shown = box->text();
                box->close();
            }
        });
        answer.start(50);
        EXPECT_FALSE(Start());
        form.reset();
        return shown;
    }
    // Closes the window as the close box does; returns the milliseconds it took.
    qint64 Close() {
        QElapsedTimer clock;
        clock.start();
        form->close();
        const qint64 elapsed = clock.elapsed();
        form.reset();
        return elapsed;
    }
    // Lets the window handle what the camera thread posted until `done`
    // holds; false when it still does not after timeout_ms.
    bool RunUntil(const std::function<bool()> &done, int timeout_ms = 15000) {
        QElapsedTimer clock;
        clock.start();
        while (!done()) {
            if (clock.elapsed() > timeout_ms)
                return false;
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return true;
    }
    // Lets the window handle what the camera thread posted.
    void Run(int ms) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ms)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
    }

    // A grey picture with an 11 x 11 orange patch around (200, 150) whose
    // middle 3 x 3 pixels are grey: the patch averages to r 193, g 101, b 54.
    static QImage WhiteBalancePicture() {
        QImage picture(512, 384, QImage::Format_RGB32);
        picture.fill(qRgb(100, 100, 100));
        for (int y = 145; y <= 155; ++y)
            for (int x = 195; x <= 205; ++x)
                if (std::abs(x - 200) > 1 || std::abs(y - 150) > 1)
                    picture.setPixel(x, y, qRgb(200, 100, 50));
        return picture;
    }
    // Stops the live picture, shows `picture` at `zoom` percent instead and
    // right-clicks it at `at` (the window's logical pixels).
    void RightClickOnPicture(const QImage &picture, int zoom, QPoint at) {
        Cap().Stop();
        ASSERT_TRUE(Cap().WaitUntilStopped(THREAD_STOP_WAIT_MS));
        Run(200);  // frames already posted are drawn before this picture
        auto *image = C<PreviewImage>("Image1");
        image->ShowPicture(&picture, picture.width() * zoom / 100, picture.height() * zoom / 100);
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), image->mapToGlobal(QPointF(at)),
                          Qt::RightButton, Qt::RightButton, Qt::NoModifier);
        QApplication::sendEvent(image, &press);
    }

    // Opens About from the menu and reads where it opened; OK closes it again.
    QPoint AboutPosition() {
        QPoint opened_at(-1, -1);
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            auto *about = W().findChild<TAboutBox *>();
            if (about && about->isVisible()) {
                opened_at = about->pos();
                about->findChild<QPushButton *>()->click();
            }
        });
        answer.start(50);
        C<QAction>("ABOUT1")->trigger();  // returns once OK has hidden the window
        return opened_at;
    }

    // The window, its controls by name, and the objects behind them.
    TForm1 &W() { return *form; }
    template <typename Control>
    Control *C(const char *name) {
        auto *control = form->findChild<Control *>(QLatin1String(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    // The exposure slider's preset item with this caption.
    QAction *Preset(const char *caption) {
        for (QAction *item : C<QMenu>("expopup")->actions()) {
            if (item->text() == QLatin1String(caption)) {
                return item;
            }
        }
        ADD_FAILURE() << "no preset " << caption;
        return nullptr;
    }
    QString BaseName() { return form->Form5->BaseName(); }
    // As an output-names window left empty would leave it.
    void ForgetBaseName() { form->filename.clear(); }
    CaptureState State() const { return form->CurrentCaptureState(); }
    void ApplyState(const CaptureState &state) { form->ApplyCaptureState(state); }
    bool SaveProfile(const QString &name) { return form->SaveProfile(name); }
    bool LoadProfile(const QString &name) { return form->LoadProfile(name); }
    bool RenameProfile(const QString &name, const QString &new_name) {
        return form->RenameProfile(name, new_name);
    }
    bool DeleteProfile(const QString &name) { return form->DeleteProfile(name); }
    QString ProfilesDirectory() const { return form->ProfilesDirectory(); }
    const Bitmap24 &WorkingBitmap() { return form->preview_input_.working_bitmap; }
    const PreviewInput &Input() { return form->preview_input_; }
    TConfText &ConfText() { return *form->ConfText; }
    TVideoCapture &Cap() { return *form->Cap; }
    TAVIExport &Recorder() { return *form->Recorder; }
    TPREVIEW &Renderer() { return *form->Preview; }
    const AnalysisCopy &Analysis() { return form->preview_input_.analysis; }
    QString Status(int panel) { return form->status_panels_[panel]->text(); }
    // The capture button's picture while a recording runs.
    qint64 RecordingPicture() { return form->PictureDown.cacheKey(); }
    // One second of the keypads' idle timer.
    void KeypadTimerTick() { form->_KEYTIMERTimer(); }
    TFocusForm &FocusWindow() { return *form->FocusForm; }
    TRoddier &RoddierWindow() { return *form->RoddierForm; }
    TForm7 &SolarWindow() { return *form->Form7; }
    ToolWindowStack &ToolWindows() { return *form->tool_windows_; }
    QRect FreePicture() const { return form->FreePicture(); }

    QTemporaryDir config;
    TSplash splash;
    std::unique_ptr<TForm1> form;
};

#include <gtest/gtest.h>

#include <QFileDialog>
#include <QScreen>

#include "app/camera_window.h"
#include "main_window_fixture.h"
#include "shell/scope_control_window.h"
#include "widgets/numeric_keypad.h"

namespace {

class ToolWindowsTest : public MainWindowTest {
  protected:
    // The tool windows with the control that shows each; the focus aid has none.
    struct ToolWindow {
        const char *name;
        QWidget *window;
        std::function<void()> click;  // the control, pressed as the observer does
        std::function<bool()> down;
    };
    ToolWindow Tool(const char *name, QWidget *window, QAction *item) {
        return {name, window, [item] { item->trigger(); }, [item] { return item->isChecked(); }};
    }
    ToolWindow Tool(const char *name, QWidget *window, QPushButton *button) {
        return {name, window, [button] { button->click(); },
                [button] { return button->isChecked(); }};
    }
    std::vector<ToolWindow> Tools() {
        return {Tool("histogram", W().findChild<THistogramForm *>(), C<QAction>("Histogram1")),
                Tool("measurement", W().findChild<TForm8 *>(), C<QPushButton>("Measure")),
                Tool("Roddier", &RoddierWindow(), C<QAction>("Roddier")),
                Tool("solar", &SolarWindow(), C<QPushButton>("solar")),
                Tool("scope", W().findChild<TScopeCtrl *>(), C<QPushButton>("Scope"))};
    }

    // No window opened from the main window for a moment lies below a tool
    // window, neither in the order the windows were raised nor in the
    // window manager's layers.
    void ExpectFrontWindowsOnTop(const char *step) {
        const QList<QWidget *> stacking = ToolWindows().Stacking();
        qsizetype highest_tool = -1;
        for (qsizetype i = 0; i < stacking.size(); ++i) {
            if (stacking[i]->isVisible() && !ToolWindows().IsFront(stacking[i]))
                highest_tool = i;
        }
        int front_windows = 0;
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (!window->isVisible() || !ToolWindows().IsFront(window))
                continue;
            ++front_windows;
            const std::string name = window->metaObject()->className() + std::string(" ") +
                                     window->objectName().toStdString();
            EXPECT_GT(stacking.indexOf(window), highest_tool) << step << ": " << name;
            EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint) << step << ": " << name;
        }
        EXPECT_GT(front_windows, 0) << step;
    }

    // Runs `open` (which may wait until its window is hidden), and checks the
    // stacking once `window` shows, after the tool windows were shown or
    // clicked again; then closes it with `close`.
    template <typename Window>
    void CheckWhileOpen(const char *step, const std::function<void()> &open,
                        const std::function<void(Window *)> &close) {
        bool seen = false;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            for (Window *window : W().findChildren<Window *>()) {
                if (!window->isVisible() || seen)
                    continue;
                seen = true;
                ExpectFrontWindowsOnTop(step);
                for (const ToolWindow &tool : Tools()) {
                    QEvent activate(QEvent::WindowActivate);  // the observer clicks it
                    QApplication::sendEvent(tool.window, &activate);
                }
                ExpectFrontWindowsOnTop(step);
                close(window);
            }
        });
        watch.start(50);
        open();
        EXPECT_TRUE(RunUntil([&] { return seen; }, 10000)) << step;
    }
};

}  // namespace

TEST_F(ToolWindowsTest, NoKeypadOrDialogIsEverBelowAToolWindow) {
    ASSERT_TRUE(Start());
    for (const ToolWindow &tool : Tools())
        tool.click();
    FocusWindow().show();

    const std::pair<const char *, const char *> keypads[] = {{"AdvGlassButton4", "KEY1"},
                                                             {"AdvGlassButton5", "KEY4"},
                                                             {"AdvGlassButton6", "KEY2"},
                                                             {"AdvGlassButton7", "KEY3"},
                                                             {"AdvGlassButton8", "KEY5"}};
    for (const auto &[opener, keypad_name] : keypads) {
        C<QToolButton>(opener)->click();
        ExpectFrontWindowsOnTop(opener);
        // A tool window shown, or clicked, after the keypad opened.
        C<QAction>("Histogram1")->trigger();
        C<QAction>("Histogram1")->trigger();
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(W().findChild<TScopeCtrl *>(), &activate);
        ExpectFrontWindowsOnTop(opener);
        // It opens over the picture's left edge, where no tool window opens.
        const QRect keypad = C<NumericKeypad>(keypad_name)->geometry();
        EXPECT_TRUE(W().geometry().contains(keypad)) << opener;
        for (const ToolWindow &tool : Tools()) {
            EXPECT_FALSE(tool.window->frameGeometry().intersects(keypad))
                << opener << " under the " << tool.name << " window";
        }
    }
    C<QToolButton>("AdvGlassButton8")->click();  // closes the last keypad

    CheckWhileOpen<TConfText>(
        "Text Overlay", [this] { C<QAction>("Configure1")->trigger(); },
        [](TConfText *window) { window->Button1->click(); });
    CheckWhileOpen<TForm5>(
        "output names", [this] { C<QAction>("SetCaptureFilename1")->trigger(); },
        [](TForm5 *window) { window->Button2->click(); });
    CheckWhileOpen<QFileDialog>(
        "folder", [this] { C<QAction>("SetCaptureLocation1")->trigger(); },
        [](QFileDialog *window) { window->reject(); });
    CheckWhileOpen<CameraWindow>(
        "Camera", [this] { C<QAction>("CameraChoice1")->trigger(); },
        [](CameraWindow *window) { window->reject(); });
}

// However a tool window goes (its close box, the window manager, its own
// button), its button or menu item comes up with it, and the next press
// shows it again.
TEST_F(ToolWindowsTest, EveryToolWindowsButtonFollowsItsWindow) {
    ASSERT_TRUE(Start());
    for (const ToolWindow &tool : Tools()) {
        tool.click();
        EXPECT_TRUE(tool.window->isVisible()) << tool.name;
        EXPECT_TRUE(tool.down()) << tool.name;
        tool.window->close();  // as the title bar's close box does
        EXPECT_FALSE(tool.window->isVisible()) << tool.name;
        EXPECT_FALSE(tool.down()) << tool.name << ": its button stayed down";
        tool.click();
        EXPECT_TRUE(tool.window->isVisible()) << tool.name << ": the next press hid it";
        EXPECT_TRUE(tool.down()) << tool.name;
        tool.click();
        EXPECT_FALSE(tool.window->isVisible()) << tool.name;
    }
}

// The tool windows first open beside the main window or over the picture,
// never over a control, nor over the strip where the keypads open. On this
// 800 x 800 screen the main window leaves room only above it: the histogram,
// measurement and scope windows share that and the picture without
// overlapping; the Roddier and solar windows find no free room left.
TEST_F(ToolWindowsTest, ToolWindowsOpenClearOfTheControlsAndOfEachOther) {
    ASSERT_TRUE(Start());
    const QRect picture = FreePicture();
    QList<QRect> places;
    for (const ToolWindow &tool : Tools()) {
        tool.click();
        const QRect place = tool.window->frameGeometry();
        EXPECT_EQ(place.topLeft(), ToolWindows().UsualPlace(tool.window)) << tool.name;
        EXPECT_TRUE(!place.intersects(W().frameGeometry()) || picture.contains(place))
            << tool.name << " covers a control";
        if (tool.window == &RoddierWindow() || tool.window == &SolarWindow())
            continue;  // no room left for them on this screen
        for (const QRect &other : places)
            EXPECT_FALSE(place.intersects(other)) << tool.name;
        places.append(place);
    }
}

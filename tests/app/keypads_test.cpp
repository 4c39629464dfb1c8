#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollArea>

#include "main_window_fixture.h"
#include "shell/scope_control_window.h"
#include "shell/virtual_keyboard_window.h"
#include "widgets/numeric_keypad.h"
#include "widgets/preview_image.h"

namespace {

class KeypadsTest : public MainWindowTest {
  protected:
    NumericKeypad *Keypad(const char *name) { return C<NumericKeypad>(name); }
    // The opening button beside a setting.
    void Open(const char *button) { C<QToolButton>(button)->click(); }
    // Keys of the open keypad, by their captions.
    void Type(const char *keypad, const char *keys) {
        for (const char *key = keys; *key; ++key) {
            bool found = false;
            for (QPushButton *button : Keypad(keypad)->findChildren<QPushButton *>()) {
                if (button->text() == QLatin1Char(*key)) {
                    button->click();
                    found = true;
                }
            }
            ASSERT_TRUE(found) << *key;
        }
    }
    void ClickPicture(Qt::MouseButton button) {  // as the pointer does
        auto *picture = C<PreviewImage>("Image1");
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5),
                          picture->mapToGlobal(QPointF(5, 5)), button, button, Qt::NoModifier);
        QApplication::sendEvent(picture, &press);
    }
};

}  // namespace

// The simulator exposes from 10 us in steps of 1 us: the "1ms" range moves
// the slider in those steps and the keypad types microseconds; a range of
// milliseconds gives both back their milliseconds.
TEST_F(KeypadsTest, TheFineRangeSetsMicroseconds) {
    ASSERT_TRUE(Start());
    auto *slider = C<QSlider>("_expot");
    QAction *fine = Preset("1ms");
    ASSERT_NE(fine, nullptr);
    EXPECT_TRUE(fine->isVisible());
    fine->trigger();
    EXPECT_EQ(slider->minimum(), 10);
    EXPECT_EQ(slider->maximum(), 1000);
    EXPECT_EQ(Cap().length_us, 1000) << "100 ms came down to the range's end";
    slider->setValue(250);  // a drag
    EXPECT_EQ(Cap().length_us, 250);
    EXPECT_EQ(C<QLabel>("Label5")->text(), QString::fromUtf8("250\u00b5s"));
    EXPECT_EQ(C<QLabel>("Label2")->text(), QString::fromUtf8("Length (\u00b5s)"));
    EXPECT_EQ(C<QSpinBox>("expo")->value(), 0);

    Open("AdvGlassButton4");
    Type("KEY1", "50");
    EXPECT_EQ(Cap().length_us, 50);
    EXPECT_EQ(slider->value(), 50);
    Type("KEY1", "99");
    EXPECT_EQ(Cap().length_us, 1000) << "5099 us is past the range";

    Preset("100ms")->trigger();
    EXPECT_EQ(slider->minimum(), 0);
    EXPECT_EQ(slider->value(), 1);
    EXPECT_EQ(Cap().length_us, 1000);
    Type("KEY1", "#7");
    EXPECT_EQ(Cap().length_us, 7000) << "milliseconds again";
    EXPECT_EQ(C<QLabel>("Label5")->text(), "7ms");
    EXPECT_EQ(C<QLabel>("Label2")->text(), "Length (ms)");
    Close();
}

TEST_F(KeypadsTest, EachKeypadEntersItsSettingWithinItsLimit) {
    ASSERT_TRUE(Start());
    Open("AdvGlassButton7");  // count
    Type("KEY3", "12345*");
    EXPECT_EQ(C<SevenSegmentCounter>("expos")->Value(), 123);

    Open("AdvGlassButton5");  // gain, at 10
    Type("KEY4", "5");
    EXPECT_EQ(C<QSlider>("Gain")->value(), 5) << "the first digit replaces the value";
    Type("KEY4", "01");
    EXPECT_EQ(C<QSlider>("Gain")->value(), 50) << "501 is past 100";
    EXPECT_EQ(C<QLabel>("Label6")->text(), "050%");

    Open("AdvGlassButton4");  // exposure: the slider follows, up to its maximum
    Type("KEY1", "7000");
    EXPECT_EQ(C<QSpinBox>("expo")->value(), 7000);
    EXPECT_EQ(C<QSlider>("_expot")->value(), C<QSlider>("_expot")->maximum());
    EXPECT_EQ(C<QLabel>("Label5")->text(), "7000ms");
    EXPECT_EQ(Cap().length, 7000);

    Open("AdvGlassButton6");  // delay: six digits
    Type("KEY2", "1234567");
    EXPECT_EQ(C<SevenSegmentCounter>("delays")->Value(), 123456);

    Open("AdvGlassButton8");  // dark frames: two digits
    Type("KEY5", "999");
    EXPECT_EQ(C<SevenSegmentCounter>("VrCounter1")->Value(), 99);
    EXPECT_EQ(Cap().DARKCOUNT, 99) << "the camera thread takes that many darks";
    Type("KEY5", "#");
    EXPECT_EQ(C<SevenSegmentCounter>("VrCounter1")->Value(), 0);
    EXPECT_EQ(Cap().DARKCOUNT, 0);

    Close();
    EXPECT_EQ(Stored("EXPOCOUNT"), "123");
    EXPECT_EQ(Stored("GAIN"), "50");
    EXPECT_EQ(Stored("EXPOLENGTH"), "7000");
}

TEST_F(KeypadsTest, OneKeypadIsOpenAndItClosesWhenLeftAloneOrAtAPictureClick) {
    ASSERT_TRUE(Start());
    const char *keypads[] = {"KEY1", "KEY2", "KEY3", "KEY4", "KEY5"};
    for (const char *name : keypads) {
        EXPECT_FALSE(Keypad(name)->isVisible()) << name;
        EXPECT_EQ(Keypad(name)->size(), QSize(143, 190)) << name;
    }
    auto open_keypads = [&] {
        QStringList open;
        for (const char *name : keypads) {
            if (Keypad(name)->isVisible())
                open << QLatin1String(name);
        }
        return open.join(' ').toStdString();
    };
    Open("AdvGlassButton6");
    Open("AdvGlassButton8");
    EXPECT_EQ(open_keypads(), "KEY5");
    const QRect central(W().centralWidget()->mapToGlobal(QPoint(0, 0)),
                        W().centralWidget()->size());
    EXPECT_TRUE(central.contains(Keypad("KEY5")->geometry()));
    EXPECT_TRUE(C<QToolButton>("AdvGlassButton8")->isChecked());
    EXPECT_FALSE(C<QToolButton>("AdvGlassButton6")->isChecked());

    auto *timer = C<QTimer>("_KEYTIMER");
    EXPECT_EQ(timer->interval(), 1000);
    EXPECT_TRUE(timer->isActive());
    for (int tick = 0; tick < 9; ++tick)
        KeypadTimerTick();
    Type("KEY5", "4");  // a key press starts the ten seconds again
    for (int tick = 0; tick < 9; ++tick)
        KeypadTimerTick();
    EXPECT_EQ(open_keypads(), "KEY5");
    KeypadTimerTick();
    EXPECT_EQ(open_keypads(), "");
    EXPECT_FALSE(timer->isActive());
    EXPECT_FALSE(C<QToolButton>("AdvGlassButton8")->isChecked());

    // A left click on the picture only closes the open keypad.
    Open("AdvGlassButton4");
    ClickPicture(Qt::LeftButton);
    EXPECT_EQ(open_keypads(), "");
    EXPECT_FALSE(timer->isActive());
}

TEST_F(KeypadsTest, TheScopeWindowOpensAtItsUsualPlaceAndKeepsWhereItWasMoved) {
    ASSERT_TRUE(Start());
    auto *scope = W().findChild<TScopeCtrl *>();
    ASSERT_NE(scope, nullptr);
    EXPECT_FALSE(scope->isVisible());
    auto *button = C<QPushButton>("Scope");
    button->click();
    EXPECT_TRUE(scope->isVisible());
    EXPECT_EQ(scope->pos(), ToolWindows().UsualPlace(scope));
    scope->move(scope->pos() + QPoint(150, 40));
    const QPoint moved = scope->pos();
    button->click();
    EXPECT_FALSE(scope->isVisible());
    button->click();
    EXPECT_TRUE(scope->isVisible());
    EXPECT_EQ(scope->pos(), moved);
}

TEST_F(KeypadsTest, TheTextWindowsOpenTheKeyboardAndTakeItAlongWhenTheyHide) {
    ASSERT_TRUE(Start());
    auto *keyboard = W().findChild<TForm4 *>();
    ASSERT_NE(keyboard, nullptr);
    auto *names = W().findChild<TForm5 *>();
    auto *overlay = W().findChild<TConfText *>();
    const struct {
        QWidget *window;
        QPushButton *button;
        QWidget *field;
    } rows[] = {{names, names->KeyboardButton, names->Edit1},
                {overlay, overlay->AdvGlassButton1, overlay->fixed}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.window->metaObject()->className());
        EXPECT_FALSE(keyboard->isVisible());
        row.window->show();
        row.button->click();
        EXPECT_TRUE(keyboard->isVisible());
        Run(100);
        EXPECT_EQ(QApplication::focusWidget(), row.field);
        row.window->hide();
        EXPECT_FALSE(keyboard->isVisible());
    }
}

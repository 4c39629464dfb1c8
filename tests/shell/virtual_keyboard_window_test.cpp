#include "shell/virtual_keyboard_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include "platform/settings_store.h"

namespace {

// A window with a text field that has the focus, as the overlay window's
// prefix field has when its keyboard button is pressed.
class VirtualKeyboardTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(config.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
        auto *column = new QVBoxLayout(&editor);
        field = new QLineEdit(&editor);
        column->addWidget(field);
        editor.setGeometry(300, 100, 280, 80);
        editor.show();
        editor.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
        field->setFocus();
    }

    QString Stored() const {
        return SettingsStore().ReadSetting(QStringLiteral("KEYBOARD"), QStringLiteral("<none>"));
    }
    // Clicks the keys as the pointer would, then lets the typed keys arrive.
    void Click(TForm4 &keyboard, std::initializer_list<const char *> names) {
        for (const char *name : names) {
            QPushButton *key = keyboard.Key(name);
            ASSERT_NE(key, nullptr) << name;
            QTest::mouseClick(key, Qt::LeftButton);
        }
        QApplication::processEvents();
    }

    QTemporaryDir config;
    QWidget editor;
    QLineEdit *field = nullptr;
};

}  // namespace

TEST_F(VirtualKeyboardTest, KeysTypeIntoTheFocusedFieldWithoutTakingTheFocus) {
    TForm4 keyboard;
    keyboard.ToggleBelow(&editor, field);
    ASSERT_TRUE(keyboard.isVisible());
    EXPECT_TRUE(keyboard.windowFlags() & Qt::WindowDoesNotAcceptFocus);
    EXPECT_TRUE(keyboard.testAttribute(Qt::WA_ShowWithoutActivating));
    // The headless test platform activates every window it shows, which a
    // desktop does not do with this one; the keyboard gives it back.
    ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
    ASSERT_EQ(QApplication::focusWidget(), field);

    // AZERTY: Panel1 is A, Panel20 is M; shift lock makes capitals.
    Click(keyboard, {"Panel17", "Panel7", "Panel10", "Panel42", "Panel8", "Panel5", "Panel3",
                     "Panel42", "Panel4", "Panel40", "Panel34", "Panel35", "Panel36", "Panel44",
                     "Panel38", "Panel41", "Panel43", "Panel37", "Panel20"});
    EXPECT_EQ(field->text(), "jupITEr_12.- 0m");
    int returns = 0;
    QObject::connect(field, &QLineEdit::returnPressed, [&] { ++returns; });
    Click(keyboard, {"Panel45"});
    EXPECT_EQ(returns, 1);
    EXPECT_EQ(QApplication::focusWidget(), field);
    EXPECT_EQ(QApplication::activeWindow(), &editor);
    for (QPushButton *key : keyboard.findChildren<QPushButton *>()) {
        EXPECT_EQ(key->focusPolicy(), Qt::NoFocus) << key->objectName().toStdString();
    }
}

TEST_F(VirtualKeyboardTest, EachLayoutChangeIsStoredAtOnce) {
    TForm4 keyboard;
    EXPECT_EQ(keyboard.Layout(), KeyboardLayout::Azerty) << "the default";
    EXPECT_EQ(Stored(), "<none>") << "nothing is written before a change";
    Click(keyboard, {"KTYPE"});
    EXPECT_EQ(Stored(), "QWERTY");
    EXPECT_EQ(keyboard.Key("Panel1")->text(), "Q");
    EXPECT_EQ(keyboard.Key("KTYPE")->text(), "AZERTY");
    {
        TForm4 next_run;
        EXPECT_EQ(next_run.Layout(), KeyboardLayout::Qwerty);
    }
    Click(keyboard, {"KTYPE"});
    EXPECT_EQ(Stored(), "AZERTY");
    EXPECT_EQ(keyboard.Key("Panel1")->text(), "A");
}

TEST_F(VirtualKeyboardTest, ItOpensCentredUnderItsWindowAndStaysOnTheScreen) {
    TForm4 keyboard;
    keyboard.ToggleBelow(&editor, field);
    const QRect frame = editor.frameGeometry();
    EXPECT_EQ(keyboard.x(), frame.left() - (keyboard.width() - frame.width()) / 2);
    EXPECT_EQ(keyboard.y(), frame.bottom() + 1 + 20);
    keyboard.ToggleBelow(&editor, field);
    EXPECT_FALSE(keyboard.isVisible()) << "the same button hides it";

    // A window low on the screen: the keyboard goes as low as it can.
    const QRect screen = editor.screen()->availableGeometry();
    editor.move(screen.left(), screen.bottom() - editor.height());
    keyboard.ToggleBelow(&editor, field);
    EXPECT_TRUE(screen.contains(keyboard.frameGeometry()));
}

TEST_F(VirtualKeyboardTest, ItHidesWithTheWindowItServes) {
    TForm4 keyboard;
    keyboard.HideWith(&editor);
    keyboard.ToggleBelow(&editor, field);
    editor.hide();
    EXPECT_FALSE(keyboard.isVisible());
}

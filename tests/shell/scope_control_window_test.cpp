#include "shell/scope_control_window.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <QTest>

#include "support/fake_driver.h"

namespace {

using Calls = std::vector<std::pair<int32_t, int32_t>>;
constexpr std::pair<int32_t, int32_t> STOP{0, 0};

class ScopeCtrlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fake_driver::Reset();
        window.show();
    }
    void TearDown() override { fake_driver::Reset(); }

    static const Calls &GuideCalls() { return fake_driver::state().guide_calls; }
    static std::pair<int32_t, int32_t> Start(int32_t code) { return {code, GUIDE_PULSE_MS}; }

    TScopeCtrl window{fake_driver::Driver().GuideCommand};
};

}  // namespace

TEST_F(ScopeCtrlTest, EachPressStartsAPulseAndEachReleaseStopsIt) {
    struct Case {
        QPushButton *button;
        bool invert_ra;
        bool invert_dec;
        Qt::MouseButton mouse;
        int32_t code;
    };
    const Case cases[] = {
        {window.AdvGlassButton1, false, false, Qt::LeftButton, 0x20},
        {window.AdvGlassButton4, false, false, Qt::LeftButton, 0x40},
        {window.AdvGlassButton2, false, false, Qt::LeftButton, 0x80},
        {window.AdvGlassButton3, false, false, Qt::RightButton, 0x10},  // any mouse button
        {window.AdvGlassButton2, true, false, Qt::LeftButton, 0x10},
        {window.AdvGlassButton3, true, false, Qt::LeftButton, 0x80},
        {window.AdvGlassButton2, false, true, Qt::LeftButton, 0x80},  // DEC's box, RA button
        {window.AdvGlassButton1, false, true, Qt::MiddleButton, 0x40},
        {window.AdvGlassButton4, true, true, Qt::LeftButton, 0x20},
    };
    for (const Case &c : cases) {
        fake_driver::state().guide_calls.clear();
        window.CheckBox2->setChecked(c.invert_ra);
        window.CheckBox3->setChecked(c.invert_dec);
        QTest::mousePress(c.button, c.mouse);
        QTest::mouseRelease(c.button, c.mouse);
        EXPECT_EQ(GuideCalls(), (Calls{Start(c.code), STOP})) << c.button->text().toStdString();
    }
}

TEST_F(ScopeCtrlTest, AnInversionChangedWhileHeldAppliesToTheNextPress) {
    QTest::mousePress(window.AdvGlassButton2, Qt::LeftButton);
    window.CheckBox2->setChecked(true);
    QTest::mouseRelease(window.AdvGlassButton2, Qt::LeftButton);
    QTest::mouseClick(window.AdvGlassButton2, Qt::LeftButton);
    EXPECT_EQ(GuideCalls(), (Calls{Start(0x80), STOP, Start(0x10), STOP}));
}

TEST_F(ScopeCtrlTest, AQuickDoubleClickGivesTwoPulses) {
    // The second press of a double click arrives as a double-click event.
    QTest::mouseClick(window.AdvGlassButton1, Qt::LeftButton);
    QTest::mouseDClick(window.AdvGlassButton1, Qt::LeftButton);
    QTest::mouseRelease(window.AdvGlassButton1, Qt::LeftButton);
    EXPECT_EQ(GuideCalls(), (Calls{Start(0x20), STOP, Start(0x20), STOP}));
}

TEST_F(ScopeCtrlTest, HidingTheWindowWithAButtonHeldStopsTheMount) {
    QTest::mousePress(window.AdvGlassButton4, Qt::LeftButton);
    ASSERT_TRUE(window.AdvGlassButton4->isDown());
    window.hide();
    EXPECT_EQ(GuideCalls(), (Calls{Start(0x40), STOP}));
    EXPECT_FALSE(window.AdvGlassButton4->isDown()) << "the button comes up with the window";

    // Shown again, the buttons work as before; every hide sends the stop.
    window.show();
    QTest::mouseClick(window.AdvGlassButton3, Qt::LeftButton);
    window.hide();
    EXPECT_EQ(GuideCalls(), (Calls{Start(0x40), STOP, Start(0x10), STOP, STOP}));
}

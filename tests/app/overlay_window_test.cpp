#include <QButtonGroup>
#include <QFontDialog>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>

#include "main_window_fixture.h"
#include "widgets/colour_box.h"
#include "widgets/preview_image.h"

namespace {

TEST(OverlayWindow, ListsTheChoicesWithTheTimeNowAndHandsOnEveryChange) {
    StampSettings stamp;
    stamp.SetSeparators({"/", ":"});
    OverlayLook look;
    TConfText window(stamp, look);
    EXPECT_EQ(window.windowTitle(), "Text Overlay Properties");
    const char *patterns[] = {
        R"(^No Data$)",
        R"(^Date \(\d\d/\d\d/\d{4}\)$)",
        R"(^Date/Time \(s\) \(\d\d/\d\d/\d{4} \d\d:\d\d:\d\d\)$)",
        R"(^Date/Time\(ms\) \(\d\d/\d\d/\d{4} \d\d:\d\d:\d\d\.\d{3}\)$)",
        R"(^Time\(ms\) \(\d\d:\d\d:\d\d\.\d{3}\)$)",
    };
    for (int i = 0; i < STAMP_CHOICE_COUNT; ++i) {
        const QString item = window.choices->button(i)->text();
        EXPECT_TRUE(QRegularExpression(patterns[i]).match(item).hasMatch()) << item.toStdString();
    }
    EXPECT_TRUE(window.choices->button(STAMP_CHOICE_DEFAULT)->isChecked());
    EXPECT_EQ(look.font, DefaultOverlayFont());
    EXPECT_EQ(look.background, QColor(Qt::black)) << "the list's first colour";
    EXPECT_FALSE(look.visible) << "the menu item turns it on";

    window.choices->button(4)->click();
    window.fixed->setText(" M42 ");
    window.SpinEdit1->setValue(-13);
    window.BGC->setCurrentIndex(window.BGC->findText("Red"));
    const StampRule rule = stamp.Rule();
    EXPECT_EQ(rule.format, "hh:mm:ss.zzz");
    EXPECT_EQ(rule.prefix, " M42 ");
    EXPECT_EQ(rule.hour_offset, -12);
    EXPECT_EQ(look.background, QColor(255, 0, 0));

    // The font dialog: OK takes its font, Cancel keeps the one there was.
    const QFont chosen(QStringLiteral("DejaVu Sans"), 20);
    QTimer::singleShot(0, [&] {
        window.FD->setCurrentFont(chosen);
        window.FD->accept();
    });
    window.Button3->click();
    EXPECT_EQ(look.font.pointSize(), 20);
    QTimer::singleShot(0, [&] {
        window.FD->setCurrentFont(QFont(QStringLiteral("DejaVu Sans"), 8));
        window.FD->reject();
    });
    window.Button3->click();
    EXPECT_EQ(look.font.pointSize(), 20);

    window.show();
    window.Button1->click();
    EXPECT_FALSE(window.isVisible());
}

}  // namespace

TEST_F(MainWindowTest, VisibleStampsTheLivePictureWithEachFramesOwnText) {
    ASSERT_TRUE(Start());
    ASSERT_TRUE(C<QAction>("Visible1")->isEnabled());
    ConfText().fixed->setText("M42");
    ConfText().BGC->setCurrentIndex(ConfText().BGC->findText("Red"));
    C<QAction>("Visible1")->trigger();
    auto box_shown = [&] {
        const QImage shown = C<PreviewImage>("Image1")->grab().toImage();
        return shown.pixel(11, 9) == qRgb(255, 0, 0) && shown.pixel(10, 8) == qRgb(0, 0, 0);
    };
    ASSERT_TRUE(RunUntil(box_shown));
    ASSERT_TRUE(RunUntil([&] { return Input().stamp_text.starts_with("M42 "); }));
    const std::string first = Input().stamp_text;
    EXPECT_TRUE(RunUntil([&] { return Input().stamp_text != first; }))
        << "each frame brings its own time";

    C<QAction>("Visible1")->trigger();
    EXPECT_TRUE(RunUntil([&] { return !box_shown(); }));
}

TEST_F(MainWindowTest, ConfigureShowsTheOverlayWindowCentredAndWaitsForOK) {
    ASSERT_TRUE(Start());
    bool was_visible = false;
    QPoint shown_at;
    std::string first_stamp;
    bool picture_live = false;
    QElapsedTimer open_for;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!ConfText().isVisible())
            return;
        if (!was_visible) {
            was_visible = true;
            shown_at = ConfText().pos();
            first_stamp = Input().stamp_text;
            open_for.start();
            return;
        }
        picture_live = Input().stamp_text != first_stamp;
        if (picture_live || open_for.elapsed() > 15000)
            ConfText().Button1->click();
    });
    watch.start(100);
    C<QAction>("Configure1")->trigger();  // returns once OK has hidden the window
    EXPECT_TRUE(was_visible);
    EXPECT_EQ(shown_at, QPoint(W().x() + (W().width() - ConfText().width()) / 2, W().y() + 55));
    EXPECT_TRUE(picture_live) << "frames kept coming while the window was open";
}

TEST_F(MainWindowTest, TheOverlayWindowSpeaksTheChosenLanguage) {
    Store("LANGUAGE", "G");
    ASSERT_TRUE(Start());
    EXPECT_EQ(ConfText().windowTitle(), "Texteinblendung");
    EXPECT_EQ(ConfText().Button3->text(), "Schrift...");
    EXPECT_EQ(ConfText().Label3->text(), "Hintergrundfarbe");
    EXPECT_EQ(ConfText().Label4->text(), "Stundenversatz zur Systemuhr");
    EXPECT_GE(ConfText().width(), ConfText().sizeHint().width()) << "nothing cut off";
}

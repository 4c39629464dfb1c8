#include <gtest/gtest.h>

#include <QGuiApplication>

// Tests that lay out text need the GUI application object for their whole run.
int main(int argc, char *argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

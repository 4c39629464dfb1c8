#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QSize>
#include <QTemporaryDir>

// Runs this program's tests on a test screen of `size` device pixels, drawn
// at `scale_factor` (as QT_SCALE_FACTOR sets it). A program of its own per
// screen: the screen is fixed when the application starts.
inline int RunTestsOnScreen(int argc, char *argv[], QSize size, const char *scale_factor) {
    QTemporaryDir folder;
    const QString config = folder.filePath("screen.json");
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return 2;
    file.write(QStringLiteral(R"({"screens": [{"name": "test", "x": 0, "y": 0, "width": %1,)"
                              R"( "height": %2, "logicalDpi": 96, "logicalBaseDpi": 96,)"
                              R"( "dpr": 1}]})")
                   .arg(size.width())
                   .arg(size.height())
                   .toUtf8());
    file.close();
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toLocal8Bit());
    qputenv("QT_SCALE_FACTOR", scale_factor);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

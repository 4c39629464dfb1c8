// omtrix-capture: a recording from the command line, for scripts and
// benchmarks. Prints each file it writes on stdout and progress on stderr.
#include <QCoreApplication>
#include <QTextStream>

#include "app/headless_capture.h"

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    CaptureOptions options;
    QString error;
    if (!ParseCaptureOptions(app.arguments().mid(1), options, error)) {
        err << "omtrix-capture: " << error << "\n"
            << "usage: omtrix-capture --dir DIR --name BASE --format ser|avi|fit|bmp"
               " (--frames N | --seconds S) [--exposure MS] [--gain G] [--roi WxH]"
               " [--bin 1|2] [--colour] [--delay MS] [--iris]\n";
        return EXIT_BAD_ARGUMENTS;
    }

    HeadlessCapture capture([&](const QString &status) { err << status << "\n"
                                                             << Qt::flush; },
                            [&](const QString &file) { out << file << "\n"
                                                           << Qt::flush; });
    const CaptureReport report = capture.Run(DriverPathBesideProgram(), options);
    if (report.exit_code != EXIT_DONE) {
        err << "omtrix-capture: " << report.error << "\n";
    }
    if (report.exit_code == EXIT_DONE || report.exit_code == EXIT_WRITE_FAILED) {
        err << report.frames_written << " frames written in " << report.elapsed_ms << " ms\n";
    }
    return report.exit_code;
}

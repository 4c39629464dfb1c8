// omtrix-capture: a recording from the command line, for scripts and
// benchmarks. Prints each file it writes on stdout and progress on stderr;
// with --darks it asks on stderr to cover and uncover the camera and takes
// a line on stdin as the answer.
#include <unistd.h>
#include <QGuiApplication>
#include <QTextStream>
#include <QTimer>
#include <csignal>
#include <cstdio>

#include "app/headless_capture.h"
#include "platform/stdin_lines.h"
#include "platform/stop_signals.h"

namespace {

// How often the program looks whether a stop signal, or the observer's
// answer to a prompt, came.
constexpr int STOP_SIGNAL_POLL_MS = 50;
constexpr int ANSWER_POLL_MS = 50;

const char *SignalName(int signal_number) {
    switch (signal_number) {
        case SIGINT:
            return "SIGINT";
        case SIGTERM:
            return "SIGTERM";
        default:
            return "SIGHUP";
    }
}

}  // namespace

int main(int argc, char *argv[]) {
    // Before anything else, so that no signal ends the program unasked.
    CatchStopSignals();
    // Text for the time stamp needs the GUI application, never a screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    CaptureOptions options;
    QString error;
    if (!ParseCaptureOptions(app.arguments().mid(1), options, error)) {
        err << "omtrix-capture: " << error << "\n"
            << "usage: omtrix-capture --dir DIR --name BASE --format ser|avi|fit|bmp"
               " (--frames N | --seconds S) [--exposure MS] [--gain G] [--roi WxH]"
               " [--bin 1|2] [--colour] [--delay MS] [--iris] [--solar LIMIT:SHADE]"
               " [--stamp FORMAT] [--prefix TEXT] [--hour-offset N]"
               " [--darks N] [--language LETTER]"
               " [--camera simulator|indi[:HOST[:PORT]][/DEVICE]]"
               " [--observer NAME] [--telescope TEXT] [--object TEXT] [--filter TEXT]"
               " [--name-by-time] [--no-log] [--profile NAME]\n";
        return EXIT_BAD_ARGUMENTS;
    }

    // A prompt is answered by a line on stdin; the end of stdin is no answer.
    StdinLines answers;
    QTimer answer_watch;
    // On a terminal the figures are one line, rewritten in place; any other
    // message starts below it. Elsewhere (a log file) each is a line of its own.
    const bool terminal = isatty(STDERR_FILENO) == 1;
    bool figures_open = false;
    auto message = [&](const QString &text) {
        if (figures_open) {
            err << "\n";
            figures_open = false;
        }
        err << text << "\n" << Qt::flush;
    };
    auto figures = [&](const QString &line) {
        if (!terminal) {
            err << line << "\n" << Qt::flush;
            return;
        }
        err << "\r" << line << "\x1b[K" << Qt::flush;
        figures_open = true;
    };
    HeadlessCapture capture(
        message, [&](const QString &file) { out << file << "\n"
                                                << Qt::flush; },
        [&](const QString &prompt) {
            message(prompt);
            answer_watch.start(ANSWER_POLL_MS);
        },
        figures);
    QObject::connect(&answer_watch, &QTimer::timeout, [&] {
        std::string line;
        switch (answers.Take(line)) {
            case StdinLines::Result::NoLineYet:
                return;
            case StdinLines::Result::Line:
                answer_watch.stop();
                capture.DarkPromptAnswered();
                return;
            case StdinLines::Result::End:
                answer_watch.stop();
                capture.ObserverGone();
                return;
        }
    });
    // Ctrl+C or kill ends the recording as a stop would: the file is
    // finished before the program ends. Further signals are ignored.
    QTimer stop_watch;
    QObject::connect(&stop_watch, &QTimer::timeout, [&] {
        if (CaughtStopSignal() != 0) {
            stop_watch.stop();
            capture.RequestStop(RecordingEnd::Signal);
        }
    });
    stop_watch.start(STOP_SIGNAL_POLL_MS);
    const CaptureReport report = capture.Run(CameraDriverPath(), options);

    int exit_code = report.exit_code;
    if (figures_open) {
        err << "\n";
    }
    if (report.exit_code != EXIT_DONE) {
        err << "omtrix-capture: " << report.error << "\n";
    } else if (const int signal_number = CaughtStopSignal(); signal_number != 0) {
        err << "omtrix-capture: stopped by " << SignalName(signal_number)
            << "; the files written are complete\n";
        exit_code = EXIT_SIGNAL_BASE + signal_number;
    }
    if (report.recording_started) {
        err << CaptureSummary(report) << "\n";
    }
    return exit_code;
}

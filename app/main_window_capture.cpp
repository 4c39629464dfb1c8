// Recording controls: output kind, count mode, start and stop, output
// names; and what the recorder shows on this window.
#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolButton>

#include "app/main_window.h"
#include "app/output_names_window.h"
#include "platform/tick_count.h"
#include "widgets/seven_segment_counter.h"
#include "widgets/wait_until_hidden.h"

namespace {

constexpr int DESTINATION_SHOWN_MS = 10000;

const char *ModeCaption(int32_t mode) {
    switch (mode) {
        case MODE_SER:
            return "SER";
        case MODE_FIT:
            return "FIT";
        case MODE_BMP:
            return "BMP";
        default:
            return "AVI";
    }
}

}  // namespace

// The capture button is down exactly while a recording runs, and looks it.
void TForm1::ShowCaptureButton(bool down) {
    butCapture->setChecked(down);
    butCapture->setIcon(down ? PictureDown : PictureDisabled);
}

void TForm1::butCaptureClick() {
    if (!butCapture->isChecked()) {
        Recorder->StopRecording();
        ShowCaptureButton(false);
        return;
    }
    // The first start's folder is made by its first recording; a chosen one
    // that has gone (a drive not mounted) is not made again in its place.
    if (capture_directory_ == DefaultCaptureDirectory()) {
        QDir().mkpath(capture_directory_);
    }
    const FrameSize frame = BinnedFrameSize(sub_frame_.sw, sub_frame_.sheight, Cap->binning_code);
    RecordingRequest request;
    request.capture_directory = capture_directory_;
    request.base_name = filename;
    request.mode = output_kind_;
    request.exposure_ms = expo->value();
    request.delay_ms = delays->Value();
    request.count = expos->Value();
    request.seconds_mode = seconds_mode_;
    request.frame_width = frame.width;
    request.frame_height = frame.height;
    request.description = DescribeRecording();
    // No recording without its output: the button comes up again, so that
    // the next click starts one rather than stopping none.
    switch (Recorder->StartRecording(request, TickCount())) {
        case StartResult::NoFileName:
            ShowCaptureButton(false);
            ShowNotice(texts_.SETAVIFILE);
            return;
        case StartResult::OutputFailed:
            ShowCaptureButton(false);
            ShowNotice(texts_.AVIERROR);
            return;
        case StartResult::Started:
            butCapture->setText(QString::fromLatin1(ModeCaption(Recorder->Mode())));
            ShowCaptureButton(true);
            return;
    }
}

void TForm1::OutputKindClick(int32_t mode) {
    if (butCapture->isChecked()) {
        return;  // a recording may run: its kind stays
    }
    output_kind_ = mode;
    butCapture->setText(QString::fromLatin1(ModeCaption(mode)));
    AcceptBaseName();
}

void TForm1::CountClick() {
    seconds_mode_ = !seconds_mode_;
    Count->setText(seconds_mode_ ? texts_.LBL_DURATION : texts_.LBL_COUNT);
}

void TForm1::IRISClick() {
    Recorder->namer.SetIrisNumbering(IRIS->isChecked());
}

void TForm1::SetCaptureLocation1Click() {
    // Above the tool windows, which stay on top of the main window.
    QFileDialog dialog(this, texts_.DLG_SAVEDIR, capture_directory_);
    dialog.setWindowFlag(Qt::WindowStaysOnTopHint);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    capture_directory_ = dialog.selectedFiles().constFirst();
    AcceptBaseName();
}

void TForm1::SetCaptureFilename1Click() {
    Form5->move(x() + (width() - Form5->width()) / 2, y() + 70);
    ShowAndWaitUntilHidden(Form5);
    AcceptBaseName();
}

void TForm1::AcceptBaseName() {
    filename = Form5->BaseName();
    if (filename.isEmpty() || capture_directory_.isEmpty()) {
        return;
    }
    mirror_.CAPFILE = filename;
    mirror_.CAPDIR = capture_directory_;
    butCapture->setEnabled(true);
    ShowCaptureDestination();
}

// For a while over the panels, which come back by themselves: the observer
// sees where the first click records without a panel given up for it.
void TForm1::ShowCaptureDestination() {
    statusBar()->showMessage(
        texts_.STATUS_CAPTURETO + QLatin1Char(' ') +
            QDir::toNativeSeparators(QDir(capture_directory_).filePath(filename)),
        DESTINATION_SHOWN_MS);
}

void TForm1::ShowStatus(const QString &text) {
    status_panels_[0]->setText(text);
}

void TForm1::ShowMemory(const QString &text) {
    status_panels_[2]->setText(text);
}

void TForm1::ReleaseCaptureButton() {
    ShowCaptureButton(false);
}

void TForm1::ReportWriteFailure() {
    ShowNotice(texts_.AVIERROR);
}

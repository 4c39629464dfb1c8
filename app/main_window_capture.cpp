// Recording controls: output kind, count mode, start and stop, output
// names; and what the recorder shows on this window.
#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolButton>
#include <QUrl>

#include "app/main_window.h"
#include "app/output_names_window.h"
#include "platform/tick_count.h"
#include "shell/text_format.h"
#include "widgets/seven_segment_counter.h"
#include "widgets/wait_until_hidden.h"

namespace {

constexpr int DESTINATION_SHOWN_MS = 10000;
// The most room the folder of a finished recording takes in the status bar.
constexpr int FOLDER_LINK_WIDTH = 200;

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
    request.exposure_us = exposure_us_;
    request.delay_ms = delays->Value();
    request.count = expos->Value();
    request.seconds_mode = seconds_mode_;
    request.frame_width = frame.width;
    request.frame_height = frame.height;
    request.description = DescribeRecording();
    if (SixteenBit1->isEnabled() && SixteenBit1->isChecked()) {
        request.description.sample_bits = Cap->FrameBitDepth();
    }
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
            recording_files_.clear();
            folder_link_->hide();
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
    ShowSixteenBitChoice();
    AcceptBaseName();
}

void TForm1::ShowSixteenBitChoice() {
    // AVI and BMP hold 8-bit pictures; an 8-bit camera has nothing more to give.
    SixteenBit1->setEnabled(Cap->FrameBitDepth() > 8 &&
                            (output_kind_ == MODE_SER || output_kind_ == MODE_FIT));
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
    ShowFreeDisk(FreeDiskBytes(capture_directory_), -1);  // the new folder's disk
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

void TForm1::ShowProgress(const RecordingProgress &progress) {
    last_progress_ = progress;
    if (!Recorder->Recording()) {
        return;  // the figures of the end go into the summary
    }
    status_panels_[0]->setText(RatesText(progress, texts_));
    status_panels_[1]->setText(
        QStringList{FramesText(progress, texts_), ElapsedText(progress.elapsed_ms),
                    DroppedText(progress, texts_), FileSizeText(progress.file_bytes)}
            .join(QStringLiteral("   ")));
    ShowFreeDisk(progress.free_bytes, progress.minutes_left);
}

void TForm1::ShowFreeDisk(int64_t free_bytes, double minutes_left) {
    QLabel *panel = status_panels_[2];
    panel->setText(FreeDiskText(free_bytes, minutes_left, texts_));
    QPalette colours = panel->palette();
    switch (DiskLevelOf(minutes_left)) {
        case DiskLevel::Plenty:
            colours = QPalette();
            break;
        case DiskLevel::Low:
            colours.setColor(QPalette::WindowText, QColor(0xd0, 0x80, 0x00));
            break;
        case DiskLevel::Critical:
            colours.setColor(QPalette::WindowText, Qt::red);
            break;
    }
    panel->setPalette(colours);
}

void TForm1::FileCreated(const QString &file_name) {
    if (recording_files_.size() == 2) {
        recording_files_.removeLast();
    }
    recording_files_.append(file_name);
}

void TForm1::ShowRecordingSummary() {
    ShowFreeDisk(last_progress_.free_bytes, -1);
    if (recording_files_.isEmpty()) {
        return;  // the status says that no file was kept
    }
    QStringList names;
    for (const QString &file : recording_files_) {
        names.append(QFileInfo(file).fileName());
    }
    status_panels_[1]->setText(FormatText(texts_.REC_SUMMARY, {last_progress_.frames_written}) +
                               QLatin1Char(' ') + names.join(QStringLiteral(" \u2026 ")));
    // The file's name and its folder share the sub-frame's room, the folder
    // shortened in the middle when long; its tip gives it whole.
    status_panels_[1]->setMinimumWidth(0);
    const QString folder = QFileInfo(recording_files_.first()).absolutePath();
    const QString shown = folder_link_->fontMetrics().elidedText(
        QDir::toNativeSeparators(folder), Qt::ElideMiddle, FOLDER_LINK_WIDTH);
    folder_link_->setText(
        QStringLiteral("<a href=\"%1\">%2</a>")
            .arg(QUrl::fromLocalFile(folder).toString(QUrl::FullyEncoded), shown.toHtmlEscaped()));
    folder_link_->setToolTip(texts_.REC_OPENFOLDER + QStringLiteral(": ") +
                             QDir::toNativeSeparators(folder));
    folder_link_->show();
}

void TForm1::ReleaseCaptureButton() {
    ShowCaptureButton(false);
    ShowRecordingSummary();
}

void TForm1::ReportWriteFailure() {
    ShowNotice(texts_.AVIERROR);
}

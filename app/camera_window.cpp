#include "app/camera_window.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QThread>
#include <QVBoxLayout>
#include <memory>
#include <mutex>

#include "driver/indi/device_listing.h"
#include "shell/text_format.h"

// Above the tool windows, which stay on top of the main window.
CameraWindow::CameraWindow(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("CameraWindow"));
    Simulator = new QRadioButton;
    Indi = new QRadioButton;
    auto *kind = new QButtonGroup(this);
    kind->addButton(Simulator);
    kind->addButton(Indi);

    Host = new QLineEdit;
    Port = new QSpinBox;
    Port->setRange(1, 65535);
    Device = new QComboBox;
    Device->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    Search = new QPushButton;
    SearchState = new QLabel;
    SearchState->setWordWrap(true);
    auto *device_row = new QHBoxLayout;
    device_row->addWidget(Device, 1);
    device_row->addWidget(Search);

    auto *server = new QFormLayout;
    server->setContentsMargins(24, 0, 0, 0);
    host_label_ = new QLabel;
    port_label_ = new QLabel;
    device_label_ = new QLabel;
    server->addRow(host_label_, Host);
    server->addRow(port_label_, Port);
    server->addRow(device_label_, device_row);
    server->addRow(QString(), SearchState);

    next_start_ = new QLabel;
    environment_note_ = new QLabel;
    environment_note_->setWordWrap(true);
    environment_note_->hide();
    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Simulator);
    layout->addWidget(Indi);
    layout->addLayout(server);
    layout->addWidget(next_start_);
    layout->addWidget(environment_note_);
    layout->addWidget(buttons_);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(Indi, &QRadioButton::toggled, this, &CameraWindow::KindChange);
    connect(Search, &QPushButton::clicked, this, &CameraWindow::SearchClick);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    SetTexts(InterfaceTexts());
    SetChoice(CameraChoice{});
}

void CameraWindow::SetTexts(const InterfaceTexts &texts) {
    texts_ = texts;
    setWindowTitle(texts.WIN_CAMERA);
    Simulator->setText(texts.CAM_SIMULATED);
    Indi->setText(texts.CAM_INDI);
    host_label_->setText(texts.CAM_HOST);
    port_label_->setText(texts.CAM_PORT);
    device_label_->setText(texts.CAM_DEVICE);
    Search->setText(texts.CAM_SEARCH);
    next_start_->setText(texts.CAM_NEXTSTART);
    // Qt's own captions would stay English: the program loads no Qt translations.
    buttons_->button(QDialogButtonBox::Ok)
        ->setText(texts.B_OK.isEmpty() ? QStringLiteral("OK") : texts.B_OK);
    buttons_->button(QDialogButtonBox::Cancel)
        ->setText(texts.B_CANCEL.isEmpty() ? QStringLiteral("Cancel") : texts.B_CANCEL);
    if (Device->count() > 0) {
        Device->setItemText(0, texts.CAM_FIRST);
    }
    SetEnvironmentNote(environment_camera_);
}

void CameraWindow::SetChoice(const CameraChoice &choice) {
    ++search_;  // a search still running answers for another choice
    SearchState->clear();
    Search->setEnabled(true);
    (choice.kind == CameraChoice::Kind::Indi ? Indi : Simulator)->setChecked(true);
    Host->setText(QString::fromStdString(choice.host));
    Port->setValue(choice.port);
    Device->clear();
    Device->addItem(texts_.CAM_FIRST, QString());
    SelectDevice(QString::fromStdString(choice.device));
    KindChange();
}

CameraChoice CameraWindow::Choice() const {
    CameraChoice choice;
    if (Simulator->isChecked()) {
        return choice;
    }
    choice.kind = CameraChoice::Kind::Indi;
    const QString host = Host->text().trimmed();
    if (!host.isEmpty()) {
        choice.host = host.toStdString();
    }
    choice.port = Port->value();
    choice.device = Device->currentData().toString().toStdString();
    return choice;
}

void CameraWindow::SetEnvironmentNote(const QString &camera) {
    environment_camera_ = camera;
    environment_note_->setText(QStringLiteral("OMTRIX_CAMERA=") + camera + QLatin1Char(' ') +
                               texts_.CAM_ENVIRONMENT);
    environment_note_->setVisible(!camera.isEmpty());
}

void CameraWindow::SelectDevice(const QString &device) {
    int index = Device->findData(device);
    if (index < 0) {
        Device->addItem(device, device);
        index = Device->count() - 1;
    }
    Device->setCurrentIndex(index);
}

void CameraWindow::KindChange() {
    for (QWidget *field : {static_cast<QWidget *>(Host), static_cast<QWidget *>(Port),
                           static_cast<QWidget *>(Device), static_cast<QWidget *>(Search)}) {
        field->setEnabled(Indi->isChecked());
    }
}

void CameraWindow::SearchClick() {
    const quint64 search = ++search_;
    const std::string host = Choice().host;
    const int32_t port = Port->value();
    SearchState->setText(texts_.CAM_SEARCHING);
    Search->setEnabled(false);
    // The listing may take seconds; the window stays live. The thread ends
    // by itself within the listing's timeout, also when the window has gone
    // (its finish then reaches no one). The result passes under a lock the
    // thread checker sees, not inside a queued call.
    struct Found {
        std::mutex mutex;
        QStringList cameras;
        QString reason;
    };
    const auto found = std::make_shared<Found>();
    QThread *lister = QThread::create([found, host, port] {
        std::string error;
        const std::vector<std::string> names =
            indicam::ListIndiCameras(host, port, indicam::LISTING_TIMEOUT, error);
        std::lock_guard lock(found->mutex);
        for (const std::string &name : names) {
            found->cameras << QString::fromStdString(name);
        }
        found->reason = QString::fromStdString(error);
    });
    connect(lister, &QThread::finished, this, [this, found, search] {
        QStringList cameras;
        QString reason;
        {
            std::lock_guard lock(found->mutex);
            cameras = found->cameras;
            reason = found->reason;
        }
        SearchDone(search, cameras, reason);
    });
    connect(lister, &QThread::finished, lister, &QObject::deleteLater);
    lister->start();
}

void CameraWindow::SearchDone(quint64 search, const QStringList &cameras, const QString &error) {
    if (search != search_) {
        return;
    }
    Search->setEnabled(Indi->isChecked());
    if (!error.isEmpty()) {
        SearchState->setText(error);
        return;
    }
    const QString chosen = Device->currentData().toString();
    for (const QString &camera : cameras) {
        if (Device->findData(camera) < 0) {
            Device->addItem(camera, camera);
        }
    }
    SelectDevice(chosen);
    SearchState->setText(cameras.isEmpty() ? texts_.CAM_NONE
                                           : FormatText(texts_.CAM_FOUND, {cameras.size()}));
}

#pragma once

#include <QDialog>

#include "driver/camera_choice.h"
#include "shell/interface_texts.h"

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

// "Camera": which camera the driver serves from the next start, the
// simulated one or one behind an INDI server. Searching a server for its
// cameras runs beside the window, which stays usable meanwhile.
class CameraWindow : public QDialog {
    Q_OBJECT
  public:
    explicit CameraWindow(QWidget *parent = nullptr);

    void SetChoice(const CameraChoice &choice);
    CameraChoice Choice() const;
    // Tells that OMTRIX_CAMERA is set and wins over the choice made here.
    void SetEnvironmentNote(const QString &camera);
    // The captions and messages of the interface language.
    void SetTexts(const InterfaceTexts &texts);

    QRadioButton *Simulator = nullptr;
    QRadioButton *Indi = nullptr;
    QLineEdit *Host = nullptr;
    QSpinBox *Port = nullptr;
    QComboBox *Device = nullptr;  // item data: the device name, empty for the first camera
    QPushButton *Search = nullptr;
    QLabel *SearchState = nullptr;

  private:
    void SearchClick();
    void SearchDone(quint64 search, const QStringList &cameras, const QString &error);
    void SelectDevice(const QString &device);
    void KindChange();

    InterfaceTexts texts_;
    QLabel *host_label_ = nullptr;
    QLabel *port_label_ = nullptr;
    QLabel *device_label_ = nullptr;
    QLabel *next_start_ = nullptr;
    QDialogButtonBox *buttons_ = nullptr;
    QString environment_camera_;  // OMTRIX_CAMERA, empty when not set
    QLabel *environment_note_ = nullptr;
    quint64 search_ = 0;  // the newest search; older answers are ignored
};

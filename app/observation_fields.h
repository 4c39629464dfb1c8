#pragma once

#include <QWidget>

#include "recording/recording_description.h"
#include "shell/interface_texts.h"

class QCheckBox;
class QLabel;
class QLineEdit;

// The observation's fields in the output-names window: observer, telescope,
// object and filter, typed once and kept in the settings, whether each
// recording leaves a log and whether it is named by its mid-time. Read by the main window when a
// recording starts.
class ObservationFields : public QWidget {
    Q_OBJECT
  public:
    explicit ObservationFields(QWidget *parent = nullptr);

    // Fills the fields from the settings store, and stores them.
    void ReadStored();
    void Store() const;
    // What the observer typed, trimmed, and the two switches.
    void Describe(RecordingDescription &description) const;
    void SetTexts(const InterfaceTexts &texts);
    // The field the on-screen keyboard types into: the one last typed in.
    QWidget *TypingField() const;

    QLineEdit *Observer = nullptr;
    QLineEdit *Telescope = nullptr;
    QLineEdit *Object = nullptr;
    QLineEdit *Filter = nullptr;
    QCheckBox *WriteLog = nullptr;
    QCheckBox *NameByTime = nullptr;  // WinJUPOS-style names instead of numbers

  private:
    QLabel *observer_label_ = nullptr;
    QLabel *telescope_label_ = nullptr;
    QLabel *object_label_ = nullptr;
    QLabel *filter_label_ = nullptr;
};

#include "app/observation_fields.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "platform/settings_store.h"

namespace {

// Settings keys of the fields, and of the log switch ("T" or "F").
const QString OBSERVER_SETTING = QStringLiteral("OBSERVER");
const QString TELESCOPE_SETTING = QStringLiteral("TELESCOPE");
const QString OBJECT_SETTING = QStringLiteral("OBJECT");
const QString FILTER_SETTING = QStringLiteral("FILTER");
const QString LOG_SETTING = QStringLiteral("RECORDINGLOG");
const QString NAME_BY_TIME_SETTING = QStringLiteral("NAMEBYTIME");

}  // namespace

ObservationFields::ObservationFields(QWidget *parent) : QWidget(parent) {
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    const auto add_field = [&](int row, QLabel *&label, QLineEdit *&edit, const QString &name,
                               const char *object_name) {
        label = new QLabel(name, this);
        edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(object_name));
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
    };
    add_field(0, observer_label_, Observer, tr(" Observer"), "observer");
    add_field(1, telescope_label_, Telescope, tr(" Telescope"), "telescope");
    add_field(2, object_label_, Object, tr(" Object"), "object");
    add_field(3, filter_label_, Filter, tr(" Filter"), "filter");
    WriteLog = new QCheckBox(tr("Log beside each recording"), this);
    WriteLog->setChecked(true);
    grid->addWidget(WriteLog, 4, 0, 1, 2);
    NameByTime = new QCheckBox(tr("Name by mid-time (WinJUPOS)"), this);
    grid->addWidget(NameByTime, 5, 0, 1, 2);
}

void ObservationFields::ReadStored() {
    const SettingsStore store;
    Observer->setText(store.ReadSetting(OBSERVER_SETTING, QString()));
    Telescope->setText(store.ReadSetting(TELESCOPE_SETTING, QString()));
    Object->setText(store.ReadSetting(OBJECT_SETTING, QString()));
    Filter->setText(store.ReadSetting(FILTER_SETTING, QString()));
    WriteLog->setChecked(store.ReadSetting(LOG_SETTING, QStringLiteral("T")) != QLatin1String("F"));
    NameByTime->setChecked(store.ReadSetting(NAME_BY_TIME_SETTING, QStringLiteral("F")) ==
                           QLatin1String("T"));
}

void ObservationFields::Store() const {
    SettingsStore store;
    store.WriteSetting(OBSERVER_SETTING, Observer->text().trimmed());
    store.WriteSetting(TELESCOPE_SETTING, Telescope->text().trimmed());
    store.WriteSetting(OBJECT_SETTING, Object->text().trimmed());
    store.WriteSetting(FILTER_SETTING, Filter->text().trimmed());
    store.WriteSetting(LOG_SETTING,
                       WriteLog->isChecked() ? QStringLiteral("T") : QStringLiteral("F"));
    store.WriteSetting(NAME_BY_TIME_SETTING,
                       NameByTime->isChecked() ? QStringLiteral("T") : QStringLiteral("F"));
}

void ObservationFields::Describe(RecordingDescription &description) const {
    description.observer = Observer->text().trimmed();
    description.telescope = Telescope->text().trimmed();
    description.object = Object->text().trimmed();
    description.filter = Filter->text().trimmed();
    description.write_log = WriteLog->isChecked();
    description.name_by_time = NameByTime->isChecked();
}

void ObservationFields::SetTexts(const InterfaceTexts &texts) {
    observer_label_->setText(texts.LBL_OBSERVER);
    telescope_label_->setText(texts.LBL_TELESCOPE);
    object_label_->setText(texts.LBL_OBJECT);
    filter_label_->setText(texts.LBL_FILTER);
    WriteLog->setText(texts.LBL_RECORDINGLOG);
    NameByTime->setText(texts.LBL_NAMEBYTIME);
}

QWidget *ObservationFields::TypingField() const {
    for (QLineEdit *edit : {Observer, Telescope, Object, Filter}) {
        if (edit->hasFocus()) {
            return edit;
        }
    }
    return nullptr;
}

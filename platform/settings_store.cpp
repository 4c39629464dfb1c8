#include "platform/settings_store.h"

SettingsStore::SettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                            QStringLiteral("Zelvaro"), QStringLiteral("Omtrix"))) {}

SettingsStore::SettingsStore(const QString &file_name)
    : settings_(std::make_unique<QSettings>(file_name, QSettings::IniFormat)) {}

QString SettingsStore::ReadSetting(const QString &name, const QString &fallback) const {
    if (name.isEmpty() || settings_->status() != QSettings::NoError || !settings_->contains(name)) {
        return fallback;
    }
    const QVariant value = settings_->value(name);
    // Only text counts: a value of another kind, written by hand into the
    // file as a list or the like, is as good as absent.
    if (!value.canConvert<QString>() || value.userType() == QMetaType::QStringList) {
        return fallback;
    }
    return value.toString();
}

void SettingsStore::WriteSetting(const QString &name, const QString &text) {
    if (name.isEmpty()) {
        return;
    }
    settings_->setValue(name, text);
}

bool SettingsStore::Flush() {
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

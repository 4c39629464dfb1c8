#include "shell/settings.h"

int32_t SettingInteger(const QString &text, int32_t fallback) {
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return fallback;
        }
    }
    bool ok = false;
    const int32_t value = (QStringLiteral("0") + text).toInt(&ok, 10);
    return ok ? value : fallback;  // not ok: too large for 32 bits
}

bool SaveSettings(SettingsStore &store, const SettingsMirror &mirror) {
    store.WriteSetting(QStringLiteral("EXPOLENGTH"), mirror.EXPOLENGTH);
    store.WriteSetting(QStringLiteral("EXPODELAY"), mirror.EXPODELAY);
    store.WriteSetting(QStringLiteral("EXPOCOUNT"), mirror.EXPOCOUNT);
    store.WriteSetting(QStringLiteral("CAPFILE"), mirror.CAPFILE);
    store.WriteSetting(QStringLiteral("CAPDIR"), mirror.CAPDIR);
    store.WriteSetting(QStringLiteral("COLORMODE"), mirror.COLORMODE);
    store.WriteSetting(QStringLiteral("REDBALANCE"), mirror.REDBALANCE);
    store.WriteSetting(QStringLiteral("GREENBALANCE"), mirror.GREENBALANCE);
    store.WriteSetting(QStringLiteral("BLUEBALANCE"), mirror.BLUEBALANCE);
    store.WriteSetting(QStringLiteral("GAIN"), mirror.GAIN);
    return store.Flush();
}

#include "shell/settings.h"

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

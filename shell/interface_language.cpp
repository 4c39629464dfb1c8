#include "shell/interface_language.h"

#include <QFile>

const LanguageChoice &StartupLanguage(const QString &stored) {
    if (!stored.isEmpty()) {
        for (const LanguageChoice &language : LANGUAGES) {
            if (stored.front() == QLatin1Char(language.letter)) {
                return language;
            }
        }
    }
    return LANGUAGES.front();
}

const LanguageChoice *LanguageOfLetter(QChar letter) {
    for (const LanguageChoice &language : LANGUAGES) {
        if (letter.toUpper() == QLatin1Char(language.letter)) {
            return &language;
        }
    }
    return nullptr;
}

#define LOOKUP(key)                \
    TextLookup {                   \
#key, &InterfaceTexts::key \
    }

const std::array<TextLookup, 87> INTERFACE_LOOKUPS = {{
    // Main window menu.
    LOOKUP(M_FILE),
    LOOKUP(M_EXIT),
    LOOKUP(M_COLOR),
    LOOKUP(M_CAMERA),
    LOOKUP(M_CAPTURE),
    LOOKUP(M_FLIP),
    LOOKUP(M_ZOOM),
    LOOKUP(M_TIMESTAMP),
    LOOKUP(M_TIMESTAMP_VISIBLE),
    LOOKUP(M_TIMESTAMP_CONFIG),
    LOOKUP(M_LANGUAGE),
    LOOKUP(ABOUT),
    LOOKUP(FRM_HISTO),
    LOOKUP(FRM_HISTO),
    // Messages and held texts.
    LOOKUP(MSG_COVERCAMERA),
    LOOKUP(MSG_UNCOVERCAMERA),
    LOOKUP(WARNING),
    LOOKUP(OVERWRITE),
    LOOKUP(SETAVIFILE),
    LOOKUP(SETFITFILE),
    LOOKUP(AVIERROR),
    LOOKUP(AVINAMEERROR),
    LOOKUP(FITNAMEERROR),
    LOOKUP(CAMERA_CONNECTING),
    LOOKUP(CAMERA_CONNECTED),
    LOOKUP(ABOUT),
    LOOKUP(LICENSED_FROM),
    LOOKUP(MINIMAL_EXPOSURE_TIME),
    LOOKUP(NO_CAMERA_ERROR),
    // Main window controls and the Roddier window.
    LOOKUP(LBL_GAIN),
    LOOKUP(LBL_RODDIER),
    LOOKUP(WIN_RODDIER),
    LOOKUP(WIN_RODREFCOLOR),
    LOOKUP(WIN_RODCIRWIDTH),
    LOOKUP(WIN_RODCIRSIZE),
    LOOKUP(WIN_RODSIZECHECK),
    LOOKUP(WIN_RODPOINTA),
    LOOKUP(WIN_RODPOINTB),
    LOOKUP(WIN_RODPOINTC),
    LOOKUP(WIN_RODUSEREF),
    LOOKUP(WIN_ROD_SHOWSIZE),
    // Recorder status.
    LOOKUP(SAVE_FRAME),
    LOOKUP(FRAMES_LEFT),
    LOOKUP(MEMORYLEFT),
    LOOKUP(CAPTURING),
    LOOKUP(SECONDSLEFT),
    LOOKUP(NOFRAMES_RECORDED),
    // The rest.
    LOOKUP(CAPTURELOCATION),
    LOOKUP(CAPTUREFILENAME),
    LOOKUP(ABOUT),
    LOOKUP(WIN_CAPIMAGE),
    LOOKUP(WIN_CAPAVI),
    LOOKUP(WIN_FOCUS),
    LOOKUP(WIN_OVERLAY),
    LOOKUP(BTN_FONT),
    LOOKUP(BTN_OK),
    LOOKUP(BTN_STOP_CAPTURE),
    LOOKUP(FRM_SETTINGS),
    LOOKUP(FRM_EXPOSURE),
    LOOKUP(FRM_DATETIME_FORMAT),
    LOOKUP(LBL_LENGTH),
    LOOKUP(LBL_DELAY),
    LOOKUP(LBL_DARKFRAME),
    LOOKUP(LBL_COUNT),
    LOOKUP(LBL_DURATION),
    LOOKUP(LBL_PREFIX),
    LOOKUP(LBL_BACKGROUND),
    LOOKUP(LBL_HOUROFFSET),
    LOOKUP(LBL_WIDEVIEW),
    LOOKUP(LBL_OBJECTONLY),
    LOOKUP(BASENAME),
    LOOKUP(FILETYPE),
    LOOKUP(B_OK),
    LOOKUP(B_CANCEL),
    LOOKUP(MNU_MEAS),
    LOOKUP(FLD_MEASTYPE),
    LOOKUP(FLD_FOCLEN),
    LOOKUP(MNU_CAPLOC),
    LOOKUP(MNU_BASNAM),
    LOOKUP(MNU_IRIS),
    LOOKUP(MNU_HFLIP),
    LOOKUP(LBL_OBSERVER),
    LOOKUP(LBL_TELESCOPE),
    LOOKUP(LBL_OBJECT),
    LOOKUP(LBL_FILTER),
    LOOKUP(LBL_RECORDINGLOG),
    LOOKUP(LBL_NAMEBYTIME),
}};

#undef LOOKUP

bool InterfaceLanguage::LoadLanguage(const QString &path) {
    table_ = LanguageTable{};
    file_path_ = path;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray bytes = file.read(MAX_LANGUAGE_FILE_BYTES);
    table_ = ParseLanguageFile(bytes);
    return table_.found_end;
}

QString InterfaceLanguage::LookupText(const QString &key) {
    const QString upper = LanguageKey(key);
    if (const QString *value = table_.Find(upper)) {
        return *value;
    }
    if (!missing_keys_.contains(upper)) {
        missing_keys_.append(upper);
    }
    return QStringLiteral("UNDEF:") + upper;
}

void InterfaceLanguage::ApplyInterface() {
    missing_keys_.clear();
    InterfaceTexts texts;
    for (const TextLookup &lookup : INTERFACE_LOOKUPS) {
        texts.*lookup.text = LookupText(QLatin1String(lookup.key));
    }
    ui_.ApplyTexts(texts);
    // One message for the whole file: a file without texts is named as
    // such rather than by the list of every key.
    if (table_.Empty()) {
        ui_.ShowLanguageProblem(
            QStringLiteral("The language file %1 could not be read or holds no texts.")
                .arg(file_path_));
    } else if (!missing_keys_.isEmpty()) {
        ui_.ShowLanguageProblem(QStringLiteral("%1:\nKey not found %2")
                                    .arg(file_path_, missing_keys_.join(QStringLiteral(", "))));
    }
}

void InterfaceLanguage::SetInterface(char letter, SettingsStore &store) {
    ApplyInterface();
    store.WriteSetting(QStringLiteral("LANGUAGE"), QString(QLatin1Char(letter)));
    store.Flush();
}

void InterfaceLanguage::Select(const LanguageChoice &language, const QString &folder,
                               SettingsStore &store) {
    LoadLanguage(folder + QLatin1Char('/') + QLatin1String(language.file_name));
    SetInterface(language.letter, store);
}

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

const std::array<TextLookup, 121> ADDED_LOOKUPS = {{
    // Main window.
    LOOKUP(GRP_CAPTURE),
    LOOKUP(BTN_BLACKWHITE),
    LOOKUP(BTN_COLOUR),
    LOOKUP(BTN_SOLAR),
    LOOKUP(BTN_MEASURE),
    LOOKUP(BTN_SCOPE),
    LOOKUP(M_TOOLS),
    LOOKUP(M_BINNING),
    LOOKUP(MNU_BINNING1),
    LOOKUP(MNU_BINNING2),
    LOOKUP(MNU_FASTUSB),
    LOOKUP(MNU_CAMERA),
    LOOKUP(MNU_16BIT),
    LOOKUP(LBL_VBLANK),
    LOOKUP(DLG_SAVEDIR),
    // Status bar.
    LOOKUP(STATUS_FRAMERATE),
    LOOKUP(STATUS_SUBFRAME),
    LOOKUP(STATUS_NOANSWER),
    LOOKUP(STATUS_NOMEMORY),
    LOOKUP(STATUS_CAMSTOPPED),
    LOOKUP(STATUS_DISTANCE),
    LOOKUP(STATUS_PIXELS),
    LOOKUP(STATUS_ARCSEC),
    // Tool tips.
    LOOKUP(TIP_LONGEST),
    LOOKUP(TIP_SUBFRAME),
    LOOKUP(TIP_SUBWIDTH),
    LOOKUP(TIP_SUBHEIGHT),
    LOOKUP(TIP_CAPTURE),
    LOOKUP(TIP_COUNT),
    LOOKUP(TIP_COUNTER),
    LOOKUP(TIP_DELAY),
    LOOKUP(TIP_DARKS),
    LOOKUP(TIP_BLACK),
    LOOKUP(TIP_WHITE),
    LOOKUP(TIP_SOLAR),
    LOOKUP(TIP_MEASURE),
    LOOKUP(TIP_SCOPE),
    LOOKUP(TIP_KEYPAD),
    LOOKUP(TIP_KEYBOARD),
    LOOKUP(TIP_NO3D),
    // Histogram and focus aid.
    LOOKUP(LBL_RED),
    LOOKUP(LBL_GREEN),
    LOOKUP(LBL_BLUE),
    LOOKUP(LBL_MAX),
    LOOKUP(LBL_AVG),
    LOOKUP(LBL_MIN),
    // Measurement.
    LOOKUP(FLD_PIXELS),
    LOOKUP(FLD_ARCSEC),
    // Time stamp.
    LOOKUP(OVL_NODATA),
    LOOKUP(OVL_DATE),
    LOOKUP(OVL_DATETIME_S),
    LOOKUP(OVL_DATETIME_MS),
    LOOKUP(OVL_TIME_MS),
    // Solar mode and scope control.
    LOOKUP(WIN_SOLAR),
    LOOKUP(LBL_SATLIMIT),
    LOOKUP(LBL_SATSHADE),
    LOOKUP(WIN_SCOPE),
    LOOKUP(LBL_INVRA),
    LOOKUP(LBL_INVDEC),
    // About and output names.
    LOOKUP(LBL_VERSION),
    LOOKUP(TXT_ABOUT),
    LOOKUP(WIN_OUTNAMES),
    LOOKUP(LBL_NOOVERLAY),
    // Camera choice.
    LOOKUP(WIN_CAMERA),
    LOOKUP(CAM_SIMULATED),
    LOOKUP(CAM_INDI),
    LOOKUP(CAM_HOST),
    LOOKUP(CAM_PORT),
    LOOKUP(CAM_DEVICE),
    LOOKUP(CAM_SEARCH),
    LOOKUP(CAM_FIRST),
    LOOKUP(CAM_NEXTSTART),
    LOOKUP(CAM_ENVIRONMENT),
    LOOKUP(CAM_SEARCHING),
    LOOKUP(CAM_NONE),
    LOOKUP(CAM_FOUND),
    // Colours and the on-screen keyboard.
    LOOKUP(CLR_BLACK),
    LOOKUP(CLR_MAROON),
    LOOKUP(CLR_GREEN),
    LOOKUP(CLR_OLIVE),
    LOOKUP(CLR_NAVY),
    LOOKUP(CLR_PURPLE),
    LOOKUP(CLR_TEAL),
    LOOKUP(CLR_GRAY),
    LOOKUP(CLR_SILVER),
    LOOKUP(CLR_RED),
    LOOKUP(CLR_LIME),
    LOOKUP(CLR_YELLOW),
    LOOKUP(CLR_BLUE),
    LOOKUP(CLR_FUCHSIA),
    LOOKUP(CLR_AQUA),
    LOOKUP(CLR_WHITE),
    LOOKUP(KEY_SPACE),
    LOOKUP(M_PROFILES),
    LOOKUP(PRF_SAVEAS),
    LOOKUP(PRF_RENAME),
    LOOKUP(PRF_DELETE),
    LOOKUP(PRF_NAME),
    LOOKUP(PRF_NONE),
    LOOKUP(PRF_BADNAME),
    LOOKUP(PRF_EXISTS),
    LOOKUP(PRF_DELETEASK),
    LOOKUP(PRF_RECORDING),
    LOOKUP(PRF_DAMAGED),
    LOOKUP(PRF_NOTSAVED),
    LOOKUP(SUB_PRESETS),
    LOOKUP(SUB_FULL),
    LOOKUP(SUB_TYPED),
    LOOKUP(CAMERA_DESCRIPTION),
    LOOKUP(TIP_CAMERACOLOR),
    LOOKUP(TIP_CAMERAMONO),
    LOOKUP(LBL_LENGTHUS),
    LOOKUP(STATUS_CAPTURETO),
    // Recording figures, dark-frame progress, exposure aids.
    LOOKUP(REC_WRITTEN),
    LOOKUP(REC_WRITTENRATE),
    LOOKUP(REC_DROPPED),
    LOOKUP(REC_MINUTES),
    LOOKUP(REC_SUMMARY),
    LOOKUP(REC_OPENFOLDER),
    LOOKUP(MSG_DARKPROGRESS),
    LOOKUP(MNU_SATURATION),
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
    for (const TextLookup &lookup : ADDED_LOOKUPS) {
        if (const QString *value = table_.Find(QLatin1String(lookup.key))) {
            texts.*lookup.text = *value;
        }
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

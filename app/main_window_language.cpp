// The interface language: chosen at start-up from the stored letter or from
// the Language menu, and pushed into every window that shows its texts.
#include <QAction>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>

#include "app/about_window.h"
#include "app/camera_window.h"
#include "app/main_window.h"
#include "app/output_names_window.h"
#include "platform/program_files.h"
#include "preview/focus_window.h"
#include "preview/histogram_window.h"
#include "preview/measurement_window.h"
#include "preview/overlay_window.h"
#include "preview/roddier_window.h"
#include "preview/solar_window.h"
#include "shell/scope_control_window.h"
#include "shell/virtual_keyboard_window.h"
#include "widgets/sensor_miniature.h"
#include "widgets/seven_segment_counter.h"

void TForm1::ApplyStoredLanguage() {
    const QString stored =
        SettingsStore().ReadSetting(QStringLiteral("LANGUAGE"), QStringLiteral("E"));
    LanguageClick(StartupLanguage(stored));
}

void TForm1::LanguageClick(const LanguageChoice &language) {
    SettingsStore store;
    // Each file where it is found: a user's own file beside the program wins.
    const QString path = ProgramFilePath(QLatin1String(language.file_name));
    language_.Select(language, QFileInfo(path).path(), store);
    language_items_[&language - LANGUAGES.data()]->setChecked(true);
}

// Each window takes its own texts; a window added later gets its line here.
void TForm1::ApplyTexts(const InterfaceTexts &texts) {
    texts_ = texts;
    SetTexts(texts);
    AboutBox->SetTexts(texts);
    Form5->SetTexts(texts);
    HistogramForm->SetTexts(texts);
    Form8->SetTexts(texts);
    FocusForm->SetTexts(texts);
    RoddierForm->SetTexts(texts);
    ConfText->SetTexts(texts);
    Recorder->SetTexts(texts);
    // The free space shows in the new language now, not at the next frame,
    // which may be a long exposure away or never come.
    ShowFreeDisk(FreeDiskBytes(capture_directory_), -1);
    CameraForm->SetTexts(texts);
    Form7->SetTexts(texts);
    ScopeCtrlTexts scope;
    scope.caption = texts.WIN_SCOPE;
    scope.invert_ra = texts.LBL_INVRA;
    scope.invert_dec = texts.LBL_INVDEC;
    ScopeCtrl->SetTexts(scope);
    KeyboardTexts keyboard;
    keyboard.space = texts.KEY_SPACE;
    Form4->SetTexts(keyboard);
}

void TForm1::ShowLanguageProblem(const QString &message) {
    ShowNotice(message);
}

void TForm1::SetTexts(const InterfaceTexts &texts) {
    File1->setTitle(texts.M_FILE);
    Exit1->setText(texts.M_EXIT);
    ColorCamera1->setText(texts.M_COLOR);
    ColorCamera1->setToolTip(ColourTickTip(texts));
    CameraSetup1->setTitle(texts.M_CAMERA);
    CaptureFiles1->setTitle(texts.M_CAPTURE);
    Profiles1->setTitle(texts.M_PROFILES);
    SaveProfileAs1->setText(texts.PRF_SAVEAS);
    RenameProfile1->setText(texts.PRF_RENAME);
    DeleteProfile1->setText(texts.PRF_DELETE);
    no_profiles_item_->setText(texts.PRF_NONE);
    subframe_sizes_->setToolTip(texts.SUB_PRESETS);
    subframe_full_->setText(texts.SUB_FULL);
    subframe_typed_label_->setText(texts.SUB_TYPED);
    ZOOM1->setTitle(texts.M_ZOOM);
    Saturation1->setText(texts.MNU_SATURATION);
    AddDateTime1->setTitle(texts.M_TIMESTAMP);
    Visible1->setText(texts.M_TIMESTAMP_VISIBLE);
    Configure1->setText(texts.M_TIMESTAMP_CONFIG);
    Language1->setTitle(texts.M_LANGUAGE);
    ABOUT1->setText(texts.ABOUT);
    Histogram1->setText(texts.FRM_HISTO);
    LblGain->setText(texts.LBL_GAIN);
    Roddier->setText(texts.LBL_RODDIER);
    resolution->setTitle(texts.FRM_SETTINGS);
    GroupBox2->setTitle(texts.FRM_EXPOSURE);
    Label2->setText(ExposureLengthCaption(texts));
    Label3->setText(texts.LBL_DELAY);
    darks->setText(texts.LBL_DARKFRAME);
    Count->setText(seconds_mode_ ? texts.LBL_DURATION : texts.LBL_COUNT);
    // M_FLIP, CAPTURELOCATION and CAPTUREFILENAME name the same items and
    // give way to these.
    SetCaptureLocation1->setText(texts.MNU_CAPLOC);
    SetCaptureFilename1->setText(texts.MNU_BASNAM);
    IRIS->setText(texts.MNU_IRIS);
    SixteenBit1->setText(texts.MNU_16BIT);
    HorizontalFlip1->setText(texts.MNU_HFLIP);

    tools_menu_->setTitle(texts.M_TOOLS);
    binning_menu_->setTitle(texts.M_BINNING);
    N1x1Binning1->setText(texts.MNU_BINNING1);
    N2x2Binning1->setText(texts.MNU_BINNING2);
    C1->setText(texts.MNU_FASTUSB);
    CameraChoice1->setText(texts.MNU_CAMERA);
    capture_group_->setTitle(texts.GRP_CAPTURE);
    Label9->setText(texts.LBL_VBLANK);
    BWPButton->setText(texts.BTN_BLACKWHITE);
    CBButton->setText(texts.BTN_COLOUR);
    solar->setText(texts.BTN_SOLAR);
    Measure->setText(texts.BTN_MEASURE);
    Scope->setText(texts.BTN_SCOPE);
    const std::pair<QWidget *, const QString &> tips[] = {
        {_expot, texts.TIP_LONGEST},     {full, texts.TIP_SUBFRAME},
        {__width, texts.TIP_SUBWIDTH},   {__height, texts.TIP_SUBHEIGHT},
        {butCapture, texts.TIP_CAPTURE}, {Count, texts.TIP_COUNT},
        {expos, texts.TIP_COUNTER},      {delays, texts.TIP_DELAY},
        {VrCounter1, texts.TIP_DARKS},   {_BLACK, texts.TIP_BLACK},
        {_WHITE, texts.TIP_WHITE},       {solar, texts.TIP_SOLAR},
        {Measure, texts.TIP_MEASURE},    {Scope, texts.TIP_SCOPE},
    };
    for (const auto &[control, tip] : tips) {
        control->setToolTip(tip);
    }
    for (QToolButton *button : keypad_buttons_) {
        button->setToolTip(texts.TIP_KEYPAD);
    }
    ShowSubframeText();
}

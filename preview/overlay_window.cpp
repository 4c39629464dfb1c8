#include "preview/overlay_window.h"

#include <QButtonGroup>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "widgets/colour_box.h"

namespace {

constexpr int MINIMUM_WIDTH = 340;

// "Date/Time(ms) (08/12/2026 22:45:20.125)": each choice, under its name
// in the interface language, shows what it gives now; "No Data" is listed bare.
QString ChoiceText(const QString &name, const StampChoice &choice, const WallClock &now,
                   const StampSeparators &separators) {
    QString text = name;
    if (*choice.format != '\0') {
        std::string example;
        FormatStampTime(choice.format, now, separators, example);
        text += QStringLiteral(" (") + QString::fromStdString(example) + QLatin1Char(')');
    }
    return text;
}

}  // namespace

TConfText::TConfText(StampSettings &stamp, OverlayLook &look, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::WindowStaysOnTopHint),
      stamp_(stamp),
      look_(look) {
    setWindowTitle(tr("Text Overlay Properties"));
    look_.font = DefaultOverlayFont();
    FD = new QFontDialog(look_.font, this);

    RadioGroup1 = new QGroupBox(tr("Date/Time format select"), this);
    choices = new QButtonGroup(this);
    auto *choice_column = new QVBoxLayout(RadioGroup1);
    choice_column->setSpacing(2);
    const WallClock now = LocalWallClockNow();
    const StampSeparators separators = stamp_.Rule().separators;
    for (int32_t index = 0; index < STAMP_CHOICE_COUNT; ++index) {
        auto *item = new QRadioButton(ChoiceText(QLatin1String(STAMP_CHOICES[index].name),
                                                 STAMP_CHOICES[index], now, separators));
        choices->addButton(item, index);
        choice_column->addWidget(item);
    }
    choices->button(STAMP_CHOICE_DEFAULT)->setChecked(true);
    stamp_.SetChoice(STAMP_CHOICE_DEFAULT);

    Label2 = new QLabel(tr("Text Prefix"), this);
    fixed = new QLineEdit(this);
    AdvGlassButton1 = new QPushButton(QString::fromUtf8("\u2328"), this);
    AdvGlassButton1->setFixedWidth(32);
    Label3 = new QLabel(tr("Background Color"), this);
    BGC = new ColourBox(this);
    look_.background = BGC->SelectedColour();
    Label4 = new QLabel(tr("Hour Offset compared to system clock"), this);
    Label4->setWordWrap(true);
    SpinEdit1 = new QSpinBox(this);
    SpinEdit1->setRange(-STAMP_HOUR_OFFSET_LIMIT, STAMP_HOUR_OFFSET_LIMIT);
    SpinEdit1->setValue(0);
    Button3 = new QPushButton(tr("Font..."), this);
    Button1 = new QPushButton(tr("OK"), this);
    Button1->setDefault(true);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(10, 10, 10, 10);
    grid->addWidget(RadioGroup1, 0, 0, 1, 3);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(fixed, 1, 1);
    grid->addWidget(AdvGlassButton1, 1, 2);
    grid->addWidget(Label3, 2, 0);
    grid->addWidget(BGC, 2, 1, 1, 2);
    grid->addWidget(Label4, 3, 0);
    grid->addWidget(SpinEdit1, 3, 1, 1, 2);
    grid->addWidget(Button3, 4, 0);
    grid->addWidget(Button1, 4, 1, 1, 2);
    grid->setColumnStretch(1, 1);
    FitToTexts();

    connect(choices, &QButtonGroup::idClicked, this, &TConfText::RadioGroup1Click);
    connect(fixed, &QLineEdit::textChanged, this, &TConfText::fixedChange);
    connect(BGC, &QComboBox::currentIndexChanged, this, &TConfText::BGCChange);
    connect(SpinEdit1, &QSpinBox::valueChanged, this, &TConfText::SpinEdit1Change);
    connect(Button3, &QPushButton::clicked, this, &TConfText::Button3Click);
    connect(Button1, &QPushButton::clicked, this, &QWidget::hide);
}

void TConfText::SetTexts(const InterfaceTexts &texts) {
    setWindowTitle(texts.WIN_OVERLAY);
    Button3->setText(texts.BTN_FONT);
    Button1->setText(texts.BTN_OK);
    RadioGroup1->setTitle(texts.FRM_DATETIME_FORMAT);
    Label2->setText(texts.LBL_PREFIX);
    Label3->setText(texts.LBL_BACKGROUND);
    Label4->setText(texts.LBL_HOUROFFSET);
    AdvGlassButton1->setToolTip(texts.TIP_KEYBOARD);
    BGC->SetColourNames({texts.CLR_BLACK, texts.CLR_MAROON, texts.CLR_GREEN, texts.CLR_OLIVE,
                         texts.CLR_NAVY, texts.CLR_PURPLE, texts.CLR_TEAL, texts.CLR_GRAY,
                         texts.CLR_SILVER, texts.CLR_RED, texts.CLR_LIME, texts.CLR_YELLOW,
                         texts.CLR_BLUE, texts.CLR_FUCHSIA, texts.CLR_AQUA, texts.CLR_WHITE});
    // In the order of STAMP_CHOICES.
    const QString names[STAMP_CHOICE_COUNT] = {texts.OVL_NODATA, texts.OVL_DATE,
                                               texts.OVL_DATETIME_S, texts.OVL_DATETIME_MS,
                                               texts.OVL_TIME_MS};
    const WallClock now = LocalWallClockNow();
    const StampSeparators separators = stamp_.Rule().separators;
    for (int32_t index = 0; index < STAMP_CHOICE_COUNT; ++index) {
        choices->button(index)->setText(
            ChoiceText(names[index], STAMP_CHOICES[index], now, separators));
    }
    FitToTexts();
}

// Another language's texts may be longer: the window grows to show them whole.
void TConfText::FitToTexts() {
    setFixedSize(sizeHint().expandedTo(QSize(MINIMUM_WIDTH, 0)));
}

void TConfText::RadioGroup1Click(int index) {
    stamp_.SetChoice(index);
}

void TConfText::fixedChange() {
    stamp_.SetPrefix(fixed->text().toStdString());
}

void TConfText::BGCChange() {
    look_.background = BGC->SelectedColour();
}

void TConfText::SpinEdit1Change() {
    stamp_.SetHourOffset(SpinEdit1->value());
}

void TConfText::Button3Click() {
    FD->setCurrentFont(look_.font);
    if (FD->exec() == QDialog::Accepted) {
        look_.font = FD->selectedFont();
    }
}

#include "app/output_names_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "recording/file_naming.h"

TForm5::TForm5(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setWindowTitle(tr("Output File Names"));
    setFixedSize(280, 314);
    setAutoFillBackground(true);

    Label1 = new QLabel(tr(" Base Name"), this);
    Edit1 = new QLineEdit(this);
    KeyboardButton = new QPushButton(QStringLiteral("\u2328"), this);
    KeyboardButton->setToolTip(tr("On-screen keyboard"));
    KeyboardButton->setFixedWidth(32);
    // The typing goes on in Edit1.
    KeyboardButton->setFocusPolicy(Qt::NoFocus);
    Label2 = new QLabel(QStringLiteral("--"), this);
    Label4 = new QLabel(tr("NO Overlay in SER"), this);
    Label4->setStyleSheet(QStringLiteral("color: #b03030; font-weight: bold;"));
    Button1 = new QPushButton(tr("OK"), this);
    Button2 = new QPushButton(tr("Cancel"), this);
    Button1->setDefault(true);
    Observation = new ObservationFields(this);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(10, 8, 10, 8);
    grid->addWidget(Label1, 0, 0);
    auto *name_row = new QHBoxLayout;
    name_row->addWidget(Edit1, 1);
    name_row->addWidget(KeyboardButton);
    grid->addLayout(name_row, 0, 1, 1, 2);
    grid->addWidget(Label2, 1, 0, 1, 3);
    grid->addWidget(Label4, 2, 0, 1, 3);
    grid->addWidget(Observation, 3, 0, 1, 3);
    grid->addWidget(Button1, 4, 1);
    grid->addWidget(Button2, 4, 2);

    connect(Edit1, &QLineEdit::textChanged, this, &TForm5::Edit1Change);
    connect(Edit1, &QLineEdit::returnPressed, this, &TForm5::Button1Click);
    connect(Button1, &QPushButton::clicked, this, &TForm5::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QWidget::hide);
}

QString TForm5::BaseName() const {
    return Edit1->text();
}

void TForm5::SetBaseName(const QString &name) {
    Edit1->setText(name);
    Edit1Change();
}

void TForm5::SetTexts(const InterfaceTexts &texts) {
    setWindowTitle(texts.WIN_OUTNAMES);
    Label4->setText(texts.LBL_NOOVERLAY);
    KeyboardButton->setToolTip(texts.TIP_KEYBOARD);
    Label1->setText(texts.BASENAME);
    Button1->setText(texts.B_OK);
    Button2->setText(texts.B_CANCEL);
    Observation->SetTexts(texts);
}

QWidget *TForm5::TypingField() const {
    QWidget *field = Observation->TypingField();
    return field ? field : Edit1;
}

void TForm5::Edit1Change() {
    // The preview shows the extensions as the files get them.
    static const QString numbered =
        QStringLiteral("_n.[%1/%2/%3/%4]")
            .arg(QString(BMP_EXTENSION).mid(1), QString(FIT_EXTENSION).mid(1),
                 QString(AVI_EXTENSION).mid(1), QString(SER_EXTENSION).mid(1));
    Label2->setText(Edit1->text() + numbered);
}

void TForm5::Button1Click() {
    if (Edit1->text().isEmpty()) {
        Edit1->setText(QStringLiteral("CAPTURE"));
    }
    Observation->Store();
    hide();
}

#pragma once

#include <QWidget>
#include <cstdint>

#include "shell/scope_control.h"

class QCheckBox;
class QPushButton;

struct ScopeCtrlTexts {
    QString caption = QStringLiteral("Scope Ctrl");
    QString dec_plus = QStringLiteral("DEC+");
    QString ra_plus = QStringLiteral("RA+");
    QString ra_minus = QStringLiteral("RA-");
    QString dec_minus = QStringLiteral("DEC-");
    QString invert_ra = QStringLiteral("Inv RA");
    QString invert_dec = QStringLiteral("Inv DEC");
};

// "Scope Ctrl": four direction buttons that nudge the mount through the
// camera's guide port while they are held down, and two boxes that swap the
// directions of an axis. A tool window that stays on top of the picture and
// has no close box: the main window's Scope button shows and hides it.
class TScopeCtrl : public QWidget {
    Q_OBJECT
  public:
    using GuideFunction = void (*)(int32_t direction_bits, int32_t duration_ms);

    // `guide` is the driver's GuideCommand; it is called on this thread only.
    explicit TScopeCtrl(GuideFunction guide, QWidget *parent = nullptr);

    void SetTexts(const ScopeCtrlTexts &texts);

    QPushButton *AdvGlassButton1 = nullptr;  // DEC+
    QPushButton *AdvGlassButton2 = nullptr;  // RA+
    QPushButton *AdvGlassButton3 = nullptr;  // RA-
    QPushButton *AdvGlassButton4 = nullptr;  // DEC-
    QCheckBox *CheckBox2 = nullptr;          // Inv RA
    QCheckBox *CheckBox3 = nullptr;          // Inv DEC

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

  private:
    void ButtonMouseDown(GuideButton button);
    void StopPulse();

    GuideFunction guide_;
};

#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <functional>
#include <vector>

class QAbstractButton;
class QAction;
class QWidget;

// The tool windows beside the main window (histogram, measurement, focus
// aid, Roddier aid, solar settings, scope control) and how they stack with
// the windows the main window opens for a moment (keypads, dialogs,
// messages):
// - each tool window first opens at its usual place, where it covers no
//   control of the main window and no other tool window's usual place;
// - a keypad or dialog opened from the main window is above every tool
//   window, and stays above when a tool window is shown or clicked;
// - a tool window's button or menu item follows the window, however it is
//   closed (its title bar's close box included).
class ToolWindowStack : public QObject {
    Q_OBJECT
  public:
    // `free_picture`: the part of the picture, in screen coordinates, that
    // tool windows may cover (the keypads' strip, `keypad_strip` wide, left out).
    ToolWindowStack(QWidget *main_window, std::function<QRect()> free_picture, int keypad_strip);
    ~ToolWindowStack() override;

    // Tool windows in the order their usual places are handed out; the
    // checkable control, when there is one, shows and hides the window.
    void Add(QWidget *window, QAbstractButton *button);
    void Add(QWidget *window, QAction *item);
    void Add(QWidget *window);

    // Shows a tool window, at its usual place the first time in a run and
    // later where the observer left it.
    void Show(QWidget *window);
    QPoint UsualPlace(const QWidget *window) const;

    // The windows of the program as last raised, the topmost last.
    QList<QWidget *> Stacking() const;
    // A window opened from the main window for a moment, not a tool window.
    bool IsFront(const QWidget *window) const;

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    struct Tool {
        QWidget *window;
        std::function<void()> release;  // brings the control up, running its handler
        bool placed = false;
    };
    Tool *Find(const QWidget *window);
    void Raised(QWidget *window);
    void RaiseFrontWindows();

    QWidget *main_window_;
    std::function<QRect()> free_picture_;
    int keypad_strip_;
    std::vector<Tool> tools_;
    QList<QPointer<QWidget>> stacking_;
};

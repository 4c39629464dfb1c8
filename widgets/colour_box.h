#pragma once

#include <QColor>
#include <QComboBox>

// A drop-down list of the sixteen standard colours, each shown with a swatch
// and its name; black comes first.
class ColourBox : public QComboBox {
    Q_OBJECT
  public:
    explicit ColourBox(QWidget *parent = nullptr);

    QColor SelectedColour() const;
    // The sixteen names in the interface language, in the list's order:
    // black, maroon, green, olive, navy, purple, teal, gray, silver, red,
    // lime, yellow, blue, fuchsia, aqua, white.
    void SetColourNames(const QStringList &names);
};

#include "widgets/colour_box.h"

#include <QPixmap>
#include <algorithm>

namespace {

struct NamedColour {
    const char *name;
    QRgb rgb;
};

constexpr NamedColour STANDARD_COLOURS[] = {
    {"Black", 0x000000},  {"Maroon", 0x800000},  {"Green", 0x008000}, {"Olive", 0x808000},
    {"Navy", 0x000080},   {"Purple", 0x800080},  {"Teal", 0x008080},  {"Gray", 0x808080},
    {"Silver", 0xc0c0c0}, {"Red", 0xff0000},     {"Lime", 0x00ff00},  {"Yellow", 0xffff00},
    {"Blue", 0x0000ff},   {"Fuchsia", 0xff00ff}, {"Aqua", 0x00ffff},  {"White", 0xffffff},
};

QIcon Swatch(QColor colour) {
    QPixmap swatch(16, 12);
    swatch.fill(colour);
    return QIcon(swatch);
}

}  // namespace

ColourBox::ColourBox(QWidget *parent) : QComboBox(parent) {
    for (const NamedColour &entry : STANDARD_COLOURS) {
        const QColor colour(entry.rgb);
        addItem(Swatch(colour), QLatin1String(entry.name), colour);
    }
    setCurrentIndex(0);
}

void ColourBox::SetColourNames(const QStringList &names) {
    for (int i = 0; i < std::min<int>(count(), int(names.size())); ++i) {
        setItemText(i, names[i]);
    }
}

QColor ColourBox::SelectedColour() const {
    return currentData().value<QColor>();
}

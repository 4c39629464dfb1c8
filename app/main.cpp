#include <QApplication>
#include <QPalette>
#include <QStyleFactory>

#include "app/main_window.h"
#include "app/splash_window.h"

namespace {

// A dark palette: the screen at the telescope must not dazzle the observer.
void UseNightColours(QApplication &app) {
    app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QPalette colours;
    colours.setColor(QPalette::Window, QColor(45, 45, 48));
    colours.setColor(QPalette::WindowText, QColor(220, 220, 220));
    colours.setColor(QPalette::Base, QColor(30, 30, 32));
    colours.setColor(QPalette::AlternateBase, QColor(45, 45, 48));
    colours.setColor(QPalette::Text, QColor(220, 220, 220));
    colours.setColor(QPalette::Button, QColor(60, 60, 64));
    colours.setColor(QPalette::ButtonText, QColor(220, 220, 220));
    colours.setColor(QPalette::Highlight, QColor(150, 40, 40));
    colours.setColor(QPalette::HighlightedText, Qt::white);
    colours.setColor(QPalette::Dark, QColor(20, 20, 20));
    colours.setColor(QPalette::Disabled, QPalette::WindowText, QColor(110, 110, 110));
    colours.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(110, 110, 110));
    colours.setColor(QPalette::Disabled, QPalette::Text, QColor(110, 110, 110));
    app.setPalette(colours);
}

}  // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    TSplash splash;
    splash.show();
    QApplication::setApplicationName(QStringLiteral("Omtrix"));
    // Ties the window to the menu entry and its icon (packaging/omtrix.desktop).
    QGuiApplication::setDesktopFileName(QStringLiteral("omtrix"));
    UseNightColours(app);

    TForm1 Form1;
    if (!Form1.FormCreate(splash)) {
        return 1;
    }
    return app.exec();
}

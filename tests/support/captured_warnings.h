#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// Collects what the program says through qWarning and the like (what reaches
// stderr) while it lives.
class CapturedWarnings {
  public:
    CapturedWarnings() : previous_(qInstallMessageHandler(&Collect)) { Lines().clear(); }
    ~CapturedWarnings() { qInstallMessageHandler(previous_); }
    CapturedWarnings(const CapturedWarnings &) = delete;
    CapturedWarnings &operator=(const CapturedWarnings &) = delete;

    const QStringList &All() const { return Lines(); }
    // The lines that contain `text`.
    QStringList With(const QString &text) const { return Lines().filter(text); }

  private:
    static QStringList &Lines() {
        static QStringList lines;
        return lines;
    }
    static void Collect(QtMsgType, const QMessageLogContext &, const QString &message) {
        Lines() << message;
    }
    QtMessageHandler previous_;
};

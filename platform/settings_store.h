#pragma once

#include <QSettings>
#include <QString>
#include <memory>

// The per-user store of the program's settings, all kept as text values:
// an INI file in the user's configuration folder (organisation "Zelvaro").
// One object serves one batch of reads or writes; writes reach the file when
// it is destroyed or flushed.
class SettingsStore {
  public:
    // The user's own store, or an explicit file (tests use a temporary one).
    SettingsStore();
    explicit SettingsStore(const QString &file_name);

    // The stored text, or `fallback` when the value is absent or unreadable.
    // A value holding the empty text yields the empty text.
    QString ReadSetting(const QString &name, const QString &fallback) const;
    // Stores the text; an empty name writes nothing.
    void WriteSetting(const QString &name, const QString &text);
    // Writes pending values to disk; false when the store could not be written.
    bool Flush();

  private:
    std::unique_ptr<QSettings> settings_;
};

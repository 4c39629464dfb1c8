#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>
#include <utility>
#include <vector>

// What one line of a settings file holds. Files are read line by line, so a
// line nobody can read costs only itself.
enum class IniLineKind {
    Blank,
    Section,     // [name]
    Setting,     // name=text
    Remark,      // a line of comment (";"); the store's rewrite does not keep it
    Unreadable,  // none of the above, or a value that is not plain text
};

struct IniLine {
    IniLineKind kind = IniLineKind::Blank;
    QString name;         // the section or the setting
    QString value;        // the setting's text, unescaped
    bool remark = false;  // a setting followed by a comment, which the rewrite drops
};

// Reads one line (without its line end) as Qt's INI format would, judging
// more strictly: a line Qt would let run on into the next (an open quote, a
// final backslash), an unclosed section, a line without "=", an empty name,
// a list of values or text that is not UTF-8 is unreadable.
IniLine ParseIniLine(QByteArrayView line);

// A whole settings file read line by line.
struct SettingsText {
    QHash<QString, QString> values;  // the settings outside any section, or in [General]
    QList<int> unreadable_lines;     // 1-based numbers
    bool has_remarks = false;
    QByteArray readable_bytes;  // the file without its unreadable lines
};
SettingsText ReadSettingsText(const QByteArray &bytes);

// The per-user store of the program's settings, all kept as text values:
// an INI file in the user's configuration folder (organisation "Zelvaro"),
// written by Qt's QSettings. One object serves one batch of reads or writes;
// writes reach the file when it is flushed or destroyed.
//
// What goes wrong with the file is said on stderr. A file with lines the
// store cannot read still gives every other value; before such a file is
// rewritten, its bytes are kept beside it ("Omtrix.ini.bad"), and a file
// that cannot be read at all is never overwritten.
class SettingsStore {
  public:
    // The user's own store, or an explicit file (tests use a temporary one).
    SettingsStore();
    explicit SettingsStore(const QString &file_name);
    ~SettingsStore();
    SettingsStore(const SettingsStore &) = delete;
    SettingsStore &operator=(const SettingsStore &) = delete;

    // The stored text, or `fallback` when the value is absent or unreadable.
    // A value holding the empty text yields the empty text.
    QString ReadSetting(const QString &name, const QString &fallback) const;
    // Stores the text; an empty name writes nothing.
    void WriteSetting(const QString &name, const QString &text);
    // Writes pending values to disk; false when the store could not be written.
    bool Flush();

    QString FileName() const { return file_name_; }

  private:
    void Load() const;
    bool PrepareFileForWriting() const;

    QString file_name_;
    mutable bool loaded_ = false;
    mutable QHash<QString, QString> values_;
    std::vector<std::pair<QString, QString>> pending_;  // in the order written
};

#pragma once

#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringView>
#include <vector>

// The key table holds this many entries; further distinct keys of a file are
// ignored.
inline constexpr qsizetype LANGUAGE_TABLE_SLOTS = 256;
// A language file is a few kilobytes; the loader reads no more than this of
// a file, so that a wrong file cannot take the program's memory.
inline constexpr qint64 MAX_LANGUAGE_FILE_BYTES = 16 * 1024 * 1024;

struct LanguageEntry {
    QString key;  // trimmed, upper-cased
    QString value;
};

// The texts of one language file, each key with its first definition.
class LanguageTable {
  public:
    // The value of an upper-cased key, or null when the file does not define it.
    const QString *Find(const QString &key) const;
    // Adds the entry unless its key is already there or the table is full.
    void Add(const QString &key, const QString &value);

    const std::vector<LanguageEntry> &Entries() const { return entries_; }
    bool Empty() const { return entries_.empty(); }

    bool found_end = false;  // an END line closed the file

  private:
    std::vector<LanguageEntry> entries_;
    QHash<QString, qsizetype> index_;  // key -> position in entries_
};

// The key form used for storing and for looking up: blanks and control
// characters removed at both ends, a to z upper-cased, nothing else changed.
QString LanguageKey(QStringView text);

// The text of a language file's bytes up to its first Ctrl-Z: UTF-8 when the
// bytes are valid UTF-8 (a leading byte-order mark is dropped), otherwise
// Windows-1252, the code page files written on Windows use.
QString DecodeLanguageFile(QByteArrayView bytes);

// Reads a language file's bytes: "KEY = value" lines, "#" starts a comment,
// the line is split at its first "=", the first definition of a key counts,
// a line starting with "END" is the last one read. Lines end in LF, CR LF or
// CR. Any bytes at all give a table; nothing outside `bytes` is read.
LanguageTable ParseLanguageFile(QByteArrayView bytes);

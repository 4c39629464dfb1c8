#include "shell/language_file.h"

#include <QStringDecoder>

namespace {

constexpr char CTRL_Z = 0x1a;

// Windows-1252 at 0x80 ... 0x9f; the five bytes it leaves undefined map to
// the control characters of the same number, as Windows itself maps them.
constexpr char16_t WINDOWS_1252_HIGH[32] = {
    0x20ac, 0x0081, 0x201a, 0x0192, 0x201e, 0x2026, 0x2020, 0x2021, 0x02c6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008d, 0x017d, 0x008f, 0x0090, 0x2018, 0x2019, 0x201c, 0x201d, 0x2022,
    0x2013, 0x2014, 0x02dc, 0x2122, 0x0161, 0x203a, 0x0153, 0x009d, 0x017e, 0x0178};

QString FromWindows1252(QByteArrayView bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        out[i] = (byte >= 0x80 && byte < 0xa0) ? QChar(WINDOWS_1252_HIGH[byte - 0x80])
                                               : QChar(char16_t(byte));
    }
    return text;
}

// Blanks and control characters (everything up to the space) at both ends
// are not part of a key or a value.
QStringView Trimmed(QStringView text) {
    while (!text.isEmpty() && text.front().unicode() <= u' ') {
        text = text.sliced(1);
    }
    while (!text.isEmpty() && text.back().unicode() <= u' ') {
        text.chop(1);
    }
    return text;
}

char16_t AsciiUpper(char16_t c) {
    return (c >= u'a' && c <= u'z') ? char16_t(c - u'a' + u'A') : c;
}

bool StartsWithEnd(QStringView line) {
    return line.size() >= 3 && AsciiUpper(line[0].unicode()) == u'E' &&
           AsciiUpper(line[1].unicode()) == u'N' && AsciiUpper(line[2].unicode()) == u'D';
}

// Takes one line's entry into the table; true when the line ends the file.
bool ReadLine(QStringView line, LanguageTable &table) {
    const qsizetype comment = line.indexOf(u'#');
    if (comment >= 0) {
        line.truncate(comment);
    }
    const qsizetype equals = line.indexOf(u'=');
    if (equals >= 0) {
        const QString key = LanguageKey(line.first(equals));
        const QStringView value = Trimmed(line.sliced(equals + 1));
        if (!key.isEmpty() && !value.isEmpty()) {
            table.Add(key, value.toString());
        }
    }
    return StartsWithEnd(line);
}

}  // namespace

const QString *LanguageTable::Find(const QString &key) const {
    const auto found = index_.constFind(key);
    return found == index_.cend() ? nullptr : &entries_[static_cast<size_t>(*found)].value;
}

void LanguageTable::Add(const QString &key, const QString &value) {
    if (index_.contains(key) || static_cast<qsizetype>(entries_.size()) >= LANGUAGE_TABLE_SLOTS) {
        return;
    }
    index_.insert(key, static_cast<qsizetype>(entries_.size()));
    entries_.push_back({key, value});
}

QString LanguageKey(QStringView text) {
    QString key = Trimmed(text).toString();
    for (QChar &c : key) {
        c = QChar(AsciiUpper(c.unicode()));
    }
    return key;
}

QString DecodeLanguageFile(QByteArrayView bytes) {
    const qsizetype ctrl_z = bytes.indexOf(CTRL_Z);
    if (ctrl_z >= 0) {
        bytes.truncate(ctrl_z);
    }
    // Stateless: a sequence cut off at the end is an error, not pending input.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    return utf8.hasError() ? FromWindows1252(bytes) : text;
}

LanguageTable ParseLanguageFile(QByteArrayView bytes) {
    LanguageTable table;
    const QString text = DecodeLanguageFile(bytes);
    const QStringView all(text);
    qsizetype start = 0;
    while (start < all.size()) {
        qsizetype end = start;
        while (end < all.size() && all[end] != u'\n' && all[end] != u'\r') {
            ++end;
        }
        if (ReadLine(all.sliced(start, end - start), table)) {
            table.found_end = true;
            break;
        }
        start = end + 1;
    }
    return table;
}

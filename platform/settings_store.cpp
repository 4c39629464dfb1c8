#include "platform/settings_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStringList>
#include <algorithm>

namespace {

// The escapes of Qt's INI values, with the characters they stand for.
constexpr std::pair<char, char16_t> ESCAPES[] = {
    {'a', u'\a'}, {'b', u'\b'}, {'f', u'\f'}, {'n', u'\n'},  {'r', u'\r'},  {'t', u'\t'},
    {'v', u'\v'}, {'"', u'"'},  {'?', u'?'},  {'\'', u'\''}, {'\\', u'\\'},
};

// How Qt writes values of other types than text: none of ours.
constexpr const char *TYPED_VALUE_PREFIXES[] = {
    "@ByteArray(", "@String(", "@Variant(", "@DateTime(",
    "@Rect(",      "@Size(",   "@Point(",   "@Invalid(",
};

// Copies of unreadable settings files kept beside them, at most.
constexpr int MAX_KEPT_COPIES = 100;

int DigitValue(char c, int base) {
    const int value = c >= '0' && c <= '9'   ? c - '0'
                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                             : base;
    return value < base ? value : -1;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Unescapes a value as Qt's INI reader does, into `text`; false when the
// value is a list (an unquoted comma), which no setting of ours is.
bool UnescapeIniValue(QByteArrayView value, QString &text) {
    qsizetype i = 0;
    const qsizetype n = value.size();
    auto skip_blanks = [&] {
        while (i < n && IsBlank(value[i])) {
            ++i;
        }
    };
    bool quoted = false;
    bool in_quotes = false;
    qsizetype chop_limit = 0;  // trailing blanks after this are dropped when unquoted
    skip_blanks();
    while (i < n) {
        const char c = value[i];
        if (c == '\\') {
            const char escaped = value[i + 1];  // a line never ends in a lone backslash
            i += 2;
            bool known = false;
            for (auto [letter, character] : ESCAPES) {
                if (escaped == letter) {
                    text += QChar(character);
                    known = true;
                }
            }
            const int base = escaped == 'x' ? 16 : DigitValue(escaped, 8) >= 0 ? 8 : 0;
            if (!known && base != 0) {
                char16_t code = base == 8 ? static_cast<char16_t>(DigitValue(escaped, 8)) : 0;
                const qsizetype first_digit = i;
                while (i < n && DigitValue(value[i], base) >= 0) {
                    code = static_cast<char16_t>(code * base + DigitValue(value[i], base));
                    ++i;
                }
                if (base == 8 || i > first_digit) {
                    text += QChar(code);
                }
            }
            chop_limit = text.size();  // other escaped characters are dropped
        } else if (c == '"') {
            ++i;
            quoted = true;
            in_quotes = !in_quotes;
            if (!in_quotes) {
                skip_blanks();
                chop_limit = text.size();
            }
        } else if (c == ',' && !in_quotes) {
            return false;
        } else {
            qsizetype end = i + 1;
            while (end < n && value[end] != '\\' && value[end] != '"' && value[end] != ',') {
                ++end;
            }
            text += QString::fromUtf8(value.sliced(i, end - i));
            i = end;
        }
    }
    if (!quoted) {
        qsizetype size = text.size();
        while (size > chop_limit && (text[size - 1] == u' ' || text[size - 1] == u'\t')) {
            --size;
        }
        text.truncate(size);
    }
    return true;
}

QString Native(const QString &file_name) {
    return QDir::toNativeSeparators(file_name);
}

// "line 5", "lines 5, 7": the first few of them, for a message.
QString LineNumbers(const QList<int> &lines) {
    constexpr qsizetype SHOWN = 10;
    QStringList numbers;
    for (const int line : lines.first(std::min(lines.size(), SHOWN))) {
        numbers << QString::number(line);
    }
    if (lines.size() > SHOWN) {
        numbers << QStringLiteral("...");
    }
    return (lines.size() == 1 ? QStringLiteral("line ") : QStringLiteral("lines ")) +
           numbers.join(QStringLiteral(", "));
}

// Copies `bytes` into a new file beside `file_name` ("NAME.bad", then
// "NAME.bad.1", ...), never over an earlier copy. The copy's name, or the
// empty text with `error` set.
QString KeepCopy(const QString &file_name, const QByteArray &bytes, QString &error) {
    for (int number = 0; number < MAX_KEPT_COPIES; ++number) {
        QString copy_name = file_name + QStringLiteral(".bad");
        if (number > 0) {
            copy_name += QLatin1Char('.') + QString::number(number);
        }
        QFile copy(copy_name);
        if (!copy.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (QFileInfo::exists(copy_name)) {
                continue;
            }
            error = copy.errorString();
            return QString();
        }
        const bool written = copy.write(bytes) == bytes.size() && copy.flush();
        error = copy.errorString();
        copy.close();
        if (!written) {
            copy.remove();
            return QString();
        }
        return copy_name;
    }
    error = QStringLiteral("too many earlier copies");
    return QString();
}

}  // namespace

IniLine ParseIniLine(QByteArrayView line) {
    IniLine result;
    qsizetype start = 0;
    while (start < line.size() && IsBlank(line[start])) {
        ++start;
    }
    if (start == line.size()) {
        return result;
    }
    if (line[start] == ';') {
        result.kind = IniLineKind::Remark;
        return result;
    }
    result.kind = IniLineKind::Unreadable;
    if (!line.isValidUtf8()) {
        return result;
    }
    // Where the line's content ends (an unquoted ";" starts a comment) and
    // where its first unquoted "=" stands.
    qsizetype end = line.size();
    qsizetype equals = -1;
    bool in_quotes = false;
    for (qsizetype i = start; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\\') {
            if (++i == line.size()) {
                return result;  // Qt would join the next line to this one
            }
        } else if (c == '"') {
            in_quotes = !in_quotes;
        } else if (c == '=' && !in_quotes && equals < 0) {
            equals = i;
        } else if (c == ';' && !in_quotes) {
            end = i;
            result.remark = true;
            break;
        }
    }
    if (in_quotes) {
        return result;  // Qt would read on into the following lines
    }
    const QByteArrayView content = line.sliced(start, end - start);
    if (content.startsWith('[')) {
        const qsizetype close = content.indexOf(']');
        if (close < 0 || !content.sliced(close + 1).trimmed().isEmpty()) {
            return result;
        }
        result.name = QString::fromUtf8(content.sliced(1, close - 1).trimmed());
        result.kind = IniLineKind::Section;
        return result;
    }
    if (equals < 0) {
        return result;
    }
    result.name = QString::fromUtf8(line.sliced(start, equals - start).trimmed());
    if (result.name.isEmpty() ||
        !UnescapeIniValue(line.sliced(equals + 1, end - equals - 1), result.value)) {
        return result;
    }
    if (result.value.startsWith(QLatin1Char('@'))) {
        if (result.value.endsWith(QLatin1Char(')'))) {
            for (const char *prefix : TYPED_VALUE_PREFIXES) {
                if (result.value.startsWith(QLatin1String(prefix))) {
                    return result;
                }
            }
        }
        if (result.value.startsWith(QLatin1String("@@"))) {
            result.value.remove(0, 1);  // how Qt writes a text that starts with "@"
        }
    }
    result.kind = IniLineKind::Setting;
    return result;
}

SettingsText ReadSettingsText(const QByteArray &bytes) {
    SettingsText text;
    bool general = true;  // settings before any section belong to [General]
    int number = 0;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = start;
        while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r') {
            ++end;
        }
        const QByteArrayView line(bytes.constData() + start, end - start);
        // "\r\n" ends one line.
        start =
            end + (end + 1 < bytes.size() && bytes[end] == '\r' && bytes[end + 1] == '\n' ? 2 : 1);
        ++number;
        const IniLine parsed = ParseIniLine(line);
        if (parsed.kind == IniLineKind::Unreadable) {
            text.unreadable_lines << number;
            continue;
        }
        text.readable_bytes.append(line).append('\n');
        text.has_remarks = text.has_remarks || parsed.remark || parsed.kind == IniLineKind::Remark;
        if (parsed.kind == IniLineKind::Section) {
            general = parsed.name.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0;
        } else if (parsed.kind == IniLineKind::Setting && general) {
            text.values.insert(parsed.name, parsed.value);
        }
    }
    return text;
}

SettingsStore::SettingsStore()
    : file_name_(QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Zelvaro"),
                           QStringLiteral("Omtrix"))
                     .fileName()) {}

SettingsStore::SettingsStore(const QString &file_name) : file_name_(file_name) {}

SettingsStore::~SettingsStore() {
    Flush();
}

void SettingsStore::Load() const {
    if (loaded_) {
        return;
    }
    loaded_ = true;
    const QFileInfo info(file_name_);
    if (!info.exists()) {
        return;
    }
    if (info.isDir()) {
        qWarning("Omtrix: %s is a folder, not a settings file: the default settings are used",
                 qUtf8Printable(Native(file_name_)));
        return;
    }
    QFile file(file_name_);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning(
            "Omtrix: the settings file %s could not be read (%s): the default settings are"
            " used",
            qUtf8Printable(Native(file_name_)), qUtf8Printable(file.errorString()));
        return;
    }
    const SettingsText text = ReadSettingsText(file.readAll());
    values_ = text.values;
    if (!text.unreadable_lines.isEmpty()) {
        qWarning("Omtrix: %s of %s could not be read and %s skipped; the other settings are used",
                 qUtf8Printable(LineNumbers(text.unreadable_lines)),
                 qUtf8Printable(Native(file_name_)),
                 text.unreadable_lines.size() == 1 ? "is" : "are");
    }
}

QString SettingsStore::ReadSetting(const QString &name, const QString &fallback) const {
    Load();
    const auto found = values_.constFind(name);
    return name.isEmpty() || found == values_.cend() ? fallback : *found;
}

void SettingsStore::WriteSetting(const QString &name, const QString &text) {
    if (name.isEmpty()) {
        return;
    }
    pending_.emplace_back(name, text);
}

// Whatever the file holds that the rewrite would lose (unreadable lines,
// comments) is copied beside it first, and unreadable lines are taken out so
// that Qt's writer neither stumbles over them nor reads them wrongly. False,
// with the reason said, when the file must be left as it is.
bool SettingsStore::PrepareFileForWriting() const {
    const QFileInfo info(file_name_);
    if (!info.exists()) {
        return true;
    }
    const char *not_saved = "so it is left as it is and this run's settings are not saved";
    if (info.isDir()) {
        qWarning("Omtrix: %s is a folder, not a settings file, %s",
                 qUtf8Printable(Native(file_name_)), not_saved);
        return false;
    }
    QFile file(file_name_);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("Omtrix: the settings file %s could not be read (%s), %s",
                 qUtf8Printable(Native(file_name_)), qUtf8Printable(file.errorString()), not_saved);
        return false;
    }
    const QByteArray bytes = file.readAll();
    file.close();
    const SettingsText text = ReadSettingsText(bytes);
    if (text.unreadable_lines.isEmpty() && !text.has_remarks) {
        return true;
    }
    QString error;
    const QString copy_name = KeepCopy(file_name_, bytes, error);
    if (copy_name.isEmpty()) {
        qWarning("Omtrix: no copy of the settings file %s could be made beside it (%s), %s",
                 qUtf8Printable(Native(file_name_)), qUtf8Printable(error), not_saved);
        return false;
    }
    qWarning(
        "Omtrix: the settings file %s held lines that could not be read or kept; the file"
        " as it was is kept as %s",
        qUtf8Printable(Native(file_name_)), qUtf8Printable(Native(copy_name)));
    if (text.unreadable_lines.isEmpty()) {
        return true;
    }
    QSaveFile readable(file_name_);
    return readable.open(QIODevice::WriteOnly) &&
           readable.write(text.readable_bytes) == text.readable_bytes.size() && readable.commit();
}

bool SettingsStore::Flush() {
    if (pending_.empty()) {
        return true;
    }
    const auto pending = std::move(pending_);
    pending_.clear();
    if (!PrepareFileForWriting()) {
        return false;
    }
    QSettings settings(file_name_, QSettings::IniFormat);
    for (const auto &[name, text] : pending) {
        settings.setValue(name, text);
    }
    settings.sync();
    return settings.status() == QSettings::NoError;
}

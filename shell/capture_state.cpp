#include "shell/capture_state.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <algorithm>
#include <array>

namespace {

// One stored value: a number within its range, a choice among names (the
// index is the value), a switch ("T" or "F") or free text.
struct StateField {
    const char *key;
    int32_t CaptureState::*number = nullptr;
    bool CaptureState::*flag = nullptr;
    QString CaptureState::*text = nullptr;
    int32_t minimum = 0;
    int32_t maximum = 0;
    const char *const *names = nullptr;  // a choice's names, `maximum + 1` of them
    // Added after profiles were first written: one without it keeps the default.
    bool added_later = false;
};

// Names of the output kinds, in the order of RecordingMode.
constexpr const char *OUTPUT_NAMES[] = {"NONE", "AVI", "FIT", "SER", "BMP"};
constexpr const char *COUNT_NAMES[] = {"FRAMES", "SECONDS"};
constexpr const char *SWITCH_NAMES[] = {"F", "T"};

StateField Number(const char *key, int32_t CaptureState::*member, int32_t minimum,
                  int32_t maximum) {
    return {key, member, nullptr, nullptr, minimum, maximum, nullptr};
}
StateField Choice(const char *key, int32_t CaptureState::*member, const char *const *names,
                  int32_t count) {
    return {key, member, nullptr, nullptr, 0, count - 1, names};
}
StateField Switch(const char *key, bool CaptureState::*member,
                  const char *const *names = SWITCH_NAMES) {
    return {key, nullptr, member, nullptr, 0, 1, names};
}
StateField AddedLater(StateField field) {
    field.added_later = true;
    return field;
}
StateField Text(const char *key, QString CaptureState::*member) {
    return {key, nullptr, nullptr, member, 0, 0, nullptr};
}

// The existing keys (EXPOLENGTH, GAIN, COLORMODE, the balances, EXPOCOUNT,
// EXPODELAY and the observation's fields) keep their names and forms, so a
// settings file of an earlier version reads as it did.
const std::array<StateField, 33> &Fields() {
    static const std::array<StateField, 33> fields = {{
        Number("EXPOLENGTH", &CaptureState::exposure_ms, 0, 19999),
        AddedLater(Number("EXPOSUREUS", &CaptureState::exposure_us, 0, 19999000)),
        Number("EXPORANGE", &CaptureState::exposure_range_ms, 1, 5000),
        Number("GAIN", &CaptureState::gain, 0, 100),
        Switch("COLORMODE", &CaptureState::colour),
        Number("REDBALANCE", &CaptureState::red, 1, 100),
        Number("GREENBALANCE", &CaptureState::green, 1, 100),
        Number("BLUEBALANCE", &CaptureState::blue, 1, 100),
        Number("BLACKPOINT", &CaptureState::black_point, 0, 254),
        Number("WHITEPOINT", &CaptureState::white_point, 1, 255),
        Number("SUBX", &CaptureState::sub_x, 0, 4095),
        Number("SUBY", &CaptureState::sub_y, 0, 3071),
        Number("SUBWIDTH", &CaptureState::sub_width, 4, 4096),
        Number("SUBHEIGHT", &CaptureState::sub_height, 4, 3072),
        Number("BINNING", &CaptureState::binning_code, 1, 3),
        Switch("FASTTRANSFER", &CaptureState::fast_transfer),
        Number("VBLANK", &CaptureState::vblank, 0, 500),
        Choice("OUTPUTTYPE", &CaptureState::output_kind, OUTPUT_NAMES, 5),
        AddedLater(Switch("SIXTEENBIT", &CaptureState::sixteen_bit)),
        Switch("COUNTMODE", &CaptureState::seconds_mode, COUNT_NAMES),
        Number("EXPOCOUNT", &CaptureState::count, 0, 9999),
        Number("EXPODELAY", &CaptureState::delay_ms, 0, 999999),
        Number("DARKFRAMES", &CaptureState::dark_frames, 0, 99),
        Number("SOLARLIMIT", &CaptureState::solar_limit, 0, 255),
        Number("SOLARSHADE", &CaptureState::solar_shade, 0, 255),
        Switch("STAMPVISIBLE", &CaptureState::stamp_visible),
        Number("STAMPCHOICE", &CaptureState::stamp_choice, 0, 4),
        Text("STAMPPREFIX", &CaptureState::stamp_prefix),
        Number("STAMPHOURS", &CaptureState::stamp_hour_offset, -12, 12),
        Text("OBSERVER", &CaptureState::observer),
        Text("TELESCOPE", &CaptureState::telescope),
        Text("OBJECT", &CaptureState::object),
        Text("FILTER", &CaptureState::filter),
    }};
    return fields;
}

QString Written(const StateField &field, const CaptureState &state) {
    if (field.text) {
        return state.*field.text;
    }
    const int32_t value = field.flag ? (state.*field.flag ? 1 : 0) : state.*field.number;
    return field.names ? QString::fromLatin1(field.names[value]) : QString::number(value);
}

// The value `text` stands for, if it is one the field takes.
std::optional<int32_t> ValueOf(const StateField &field, const QString &text) {
    if (field.names) {
        for (int32_t i = 0; i <= field.maximum; ++i) {
            if (text == QLatin1String(field.names[i])) {
                return i;
            }
        }
        return std::nullopt;
    }
    static const QRegularExpression decimal(QStringLiteral("^-?[0-9]{1,9}$"));
    if (!decimal.match(text).hasMatch()) {
        return std::nullopt;
    }
    const int32_t value = text.toInt();
    if (value < field.minimum || value > field.maximum) {
        return std::nullopt;
    }
    return value;
}

void Assign(const StateField &field, CaptureState &state, int32_t value) {
    if (field.flag) {
        state.*field.flag = value != 0;
    } else {
        state.*field.number = value;
    }
}

QString Allowed(const StateField &field) {
    if (!field.names) {
        return QStringLiteral("%1..%2").arg(field.minimum).arg(field.maximum);
    }
    QStringList names;
    for (int32_t i = 0; i <= field.maximum; ++i) {
        names << QString::fromLatin1(field.names[i]);
    }
    return names.join(QLatin1Char('|'));
}

// Why `text` is no value of the field.
QString Refusal(const StateField &field, const QString &text) {
    static const QRegularExpression number(QStringLiteral("^-?[0-9]+$"));
    if (field.names || number.match(text).hasMatch()) {
        return QStringLiteral("is not one of %1").arg(Allowed(field));
    }
    return QStringLiteral("is not a number");
}

}  // namespace

void WriteCaptureState(SettingsStore &store, const CaptureState &state) {
    for (const StateField &field : Fields()) {
        store.WriteSetting(QString::fromLatin1(field.key), Written(field, state));
    }
}

CaptureState ReadStoredCaptureState(const SettingsStore &store, QStringList &problems) {
    const CaptureState defaults;
    CaptureState state;
    for (const StateField &field : Fields()) {
        const QString key = QString::fromLatin1(field.key);
        const QString text = store.ReadSetting(key, Written(field, defaults));
        if (field.text) {
            state.*field.text = text;
            continue;
        }
        // An empty number has always read as 0, held at the nearest end of its range.
        if (!field.names && text.isEmpty()) {
            Assign(field, state, std::clamp(0, field.minimum, field.maximum));
        } else if (const std::optional<int32_t> value = ValueOf(field, text)) {
            Assign(field, state, *value);
        } else {
            problems << QStringLiteral("the stored %1 \"%2\" %3: %4 is used")
                            .arg(key, text, Refusal(field, text), Written(field, defaults));
        }
    }
    return state;
}

QString DefaultCaptureDirectory() {
    QString pictures = qEnvironmentVariable("XDG_PICTURES_DIR");
    if (pictures.isEmpty()) {
        pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    }
    if (pictures.isEmpty() || !QFileInfo(pictures).isDir()) {
        pictures = QDir::homePath();
    }
    return QDir(pictures).filePath(QStringLiteral("Omtrix"));
}

QString ProfilesFolder(const QString &settings_file) {
    return QFileInfo(settings_file).absoluteDir().filePath(QStringLiteral("profiles"));
}

QStringList ProfileNames(const QString &folder) {
    QStringList names;
    for (const QFileInfo &file :
         QDir(folder).entryInfoList({QStringLiteral("*.ini")}, QDir::Files, QDir::Name)) {
        if (IsProfileName(file.completeBaseName())) {
            names << file.completeBaseName();
        }
    }
    return names;
}

bool IsProfileName(const QString &name) {
    static const QRegularExpression refused(QStringLiteral("[/\\\\:*?\"<>|\\x00-\\x1f]"));
    return !name.trimmed().isEmpty() && name == name.trimmed() && name.size() <= 64 &&
           !name.startsWith(QLatin1Char('.')) && !refused.match(name).hasMatch();
}

QString ProfileFile(const QString &folder, const QString &name) {
    return QDir(folder).filePath(name + QStringLiteral(".ini"));
}

std::optional<CaptureState> ReadProfile(const QString &file_name, QString &error) {
    const QString shown = QDir::toNativeSeparators(file_name);
    QFile file(file_name);
    if (!file.open(QIODevice::ReadOnly)) {
        error =
            QStringLiteral("The profile %1 could not be read: %2").arg(shown, file.errorString());
        return std::nullopt;
    }
    const SettingsText text = ReadSettingsText(file.readAll());
    if (!text.unreadable_lines.isEmpty()) {
        error = QStringLiteral("The profile %1 is damaged: line %2 cannot be read")
                    .arg(shown)
                    .arg(text.unreadable_lines.constFirst());
        return std::nullopt;
    }
    CaptureState state;
    for (const StateField &field : Fields()) {
        const QString key = QString::fromLatin1(field.key);
        const auto found = text.values.constFind(key);
        if (found == text.values.cend() && field.added_later) {
            continue;
        }
        if (found == text.values.cend()) {
            error = QStringLiteral("The profile %1 is damaged: it has no %2").arg(shown, key);
            return std::nullopt;
        }
        if (field.text) {
            state.*field.text = *found;
            continue;
        }
        const std::optional<int32_t> value = ValueOf(field, *found);
        if (!value) {
            error = QStringLiteral("The profile %1 is damaged: %2 \"%3\" %4")
                        .arg(shown, key, *found, Refusal(field, *found));
            return std::nullopt;
        }
        Assign(field, state, *value);
    }
    return state;
}

bool WriteProfile(const QString &file_name, const CaptureState &state, QString &error) {
    const QString folder = QFileInfo(file_name).absolutePath();
    if (!QDir().mkpath(folder)) {
        error =
            QStringLiteral("The folder %1 could not be made").arg(QDir::toNativeSeparators(folder));
        return false;
    }
    // Every value is written, so whatever an earlier profile of the name held is replaced.
    SettingsStore store(file_name);
    WriteCaptureState(store, state);
    if (!store.Flush()) {
        error = QStringLiteral("The profile %1 could not be written")
                    .arg(QDir::toNativeSeparators(file_name));
        return false;
    }
    return true;
}

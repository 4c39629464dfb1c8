#include "preview/stamp_text.h"

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <algorithm>

namespace {

void AppendDigits(int32_t value, int digits, std::string &out) {
    char text[8];
    for (int i = digits - 1; i >= 0; --i) {
        text[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    out.append(text, static_cast<size_t>(digits));
}

// The first separator between the fields of a locale's date or time format
// (quoted text skipped): "dd.MM.yy" gives ".", "h:mm AP" gives ":".
std::string FirstSeparator(const QString &format, const char *fallback) {
    bool quoted = false;
    bool after_field = false;
    for (const QChar c : format) {
        if (c == u'\'') {
            quoted = !quoted;
        } else if (!quoted && c.isLetter()) {
            after_field = true;
        } else if (!quoted && after_field && !c.isSpace()) {
            return QString(c).toStdString();
        }
    }
    return fallback;
}

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

}  // namespace

WallClock LocalWallClockNow() {
    const QDateTime now = QDateTime::currentDateTime();
    return {now.date(), now.time()};
}

WallClock AddHours(const WallClock &clock, int32_t hours) {
    const int32_t total = clock.time.hour() + hours;
    const int32_t days = total >= 0 ? total / 24 : -((23 - total) / 24);
    const int32_t hour = total - days * 24;
    return {clock.date.addDays(days),
            QTime(hour, clock.time.minute(), clock.time.second(), clock.time.msec())};
}

StampSeparators LocaleStampSeparators(const QLocale &locale) {
    return {FirstSeparator(locale.dateFormat(QLocale::ShortFormat), "/"),
            FirstSeparator(locale.timeFormat(QLocale::ShortFormat), ":")};
}

void FormatStampTime(std::string_view format, const WallClock &clock,
                     const StampSeparators &separators, std::string &out) {
    bool after_hour = false;
    size_t i = 0;
    while (i < format.size()) {
        const std::string_view rest = format.substr(i);
        if (rest.starts_with("yyyy")) {
            AppendDigits(clock.date.year(), 4, out);
            after_hour = false;
            i += 4;
        } else if (rest.starts_with("zzz")) {
            AppendDigits(clock.time.msec(), 3, out);
            after_hour = false;
            i += 3;
        } else if (rest.starts_with("dd")) {
            AppendDigits(clock.date.day(), 2, out);
            after_hour = false;
            i += 2;
        } else if (rest.starts_with("mm")) {
            AppendDigits(after_hour ? clock.time.minute() : clock.date.month(), 2, out);
            after_hour = false;
            i += 2;
        } else if (rest.starts_with("hh")) {
            AppendDigits(clock.time.hour(), 2, out);
            after_hour = true;
            i += 2;
        } else if (rest.starts_with("ss")) {
            AppendDigits(clock.time.second(), 2, out);
            after_hour = false;
            i += 2;
        } else {
            if (format[i] == '/') {
                out += separators.date;
            } else if (format[i] == ':') {
                out += separators.time;
            } else {
                out += format[i];
            }
            ++i;
        }
    }
}

void BuildStampText(const StampRule &rule, const WallClock &now, std::string &out) {
    out.clear();
    if (std::any_of(rule.prefix.begin(), rule.prefix.end(), [](char c) { return !IsBlank(c); })) {
        out += rule.prefix;
        out += ' ';
    }
    if (!rule.format.empty()) {
        FormatStampTime(rule.format, AddHours(now, rule.hour_offset), rule.separators, out);
    }
}

StampSettings::StampSettings() {
    rule_.separators = LocaleStampSeparators(QLocale::system());
}

void StampSettings::SetChoice(int32_t index) {
    if (index < 0 || index >= STAMP_CHOICE_COUNT) {
        return;
    }
    std::lock_guard lock(mutex_);
    rule_.format = STAMP_CHOICES[index].format;
    Changed();
}

void StampSettings::SetPrefix(std::string prefix) {
    std::lock_guard lock(mutex_);
    rule_.prefix = std::move(prefix);
    Changed();
}

void StampSettings::SetHourOffset(int32_t hours) {
    std::lock_guard lock(mutex_);
    rule_.hour_offset = std::clamp(hours, -STAMP_HOUR_OFFSET_LIMIT, STAMP_HOUR_OFFSET_LIMIT);
    Changed();
}

void StampSettings::SetSeparators(StampSeparators separators) {
    std::lock_guard lock(mutex_);
    rule_.separators = std::move(separators);
    Changed();
}

StampRule StampSettings::Rule() const {
    std::lock_guard lock(mutex_);
    return rule_;
}

void StampSettings::Refresh(StampRule &rule, uint64_t &seen_version) const {
    if (version_.load(std::memory_order_acquire) == seen_version) {
        return;
    }
    std::lock_guard lock(mutex_);
    rule = rule_;  // string assignment keeps the target's memory when it is large enough
    seen_version = version_.load(std::memory_order_relaxed);
}

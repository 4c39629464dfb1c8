#pragma once

#include <QDate>
#include <QTime>
#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

class QLocale;

// The date/time choices of the text overlay, in the order the overlay window
// lists them: the item's name and its format string.
struct StampChoice {
    const char *name;
    const char *format;
};
inline constexpr int32_t STAMP_CHOICE_COUNT = 5;
inline constexpr std::array<StampChoice, STAMP_CHOICE_COUNT> STAMP_CHOICES{{
    {"No Data", ""},
    {"Date", "dd/mm/yyyy"},
    {"Date/Time (s)", "dd/mm/yyyy hh:mm:ss"},
    {"Date/Time(ms)", "dd/mm/yyyy hh:mm:ss.zzz"},
    {"Time(ms)", "hh:mm:ss.zzz"},
}};
inline constexpr int32_t STAMP_CHOICE_DEFAULT = 3;
inline constexpr int32_t STAMP_HOUR_OFFSET_LIMIT = 12;  // the offset runs -12..12

// A reading of the computer's clock as its local time shows it, to the
// millisecond. Plain calendar values: no time zone is attached.
struct WallClock {
    QDate date;
    QTime time;
};
WallClock LocalWallClockNow();
// Moves the reading by whole hours on the calendar, across midnight, month
// and year ends; daylight-saving changes play no part.
WallClock AddHours(const WallClock &clock, int32_t hours);

// What replaces "/" and ":" in a format: the locale's own separators.
struct StampSeparators {
    std::string date = "/";
    std::string time = ":";
};
// The separators the locale's short date and time formats use; "/" and ":"
// where a format has none.
StampSeparators LocaleStampSeparators(const QLocale &locale);

// Appends `clock` written with `format` to `out`. Tokens: "dd" day, "mm"
// month (minutes when the last token before it was "hh"), "yyyy" year, "hh"
// hour 00-23, "ss" seconds, "zzz" milliseconds; "/" and ":" become the
// separators; everything else is copied.
void FormatStampTime(std::string_view format, const WallClock &clock,
                     const StampSeparators &separators, std::string &out);

// Everything that decides a frame's stamp text.
struct StampRule {
    std::string format = STAMP_CHOICES[STAMP_CHOICE_DEFAULT].format;  // empty: no date or time
    std::string prefix;                                               // UTF-8, as typed
    int32_t hour_offset = 0;
    StampSeparators separators;
};

// The stamp text of a frame started at `now` (local wall clock), written into
// `out` (its memory reused): the prefix and one blank unless the prefix is
// blank, then the date and time shifted by the rule's hours.
void BuildStampText(const StampRule &rule, const WallClock &now, std::string &out);

// The stamp rule shared between the overlay window, which changes it, and the
// acquisition thread, which reads it before every frame.
class StampSettings {
  public:
    // Starts with the default choice and the system locale's separators.
    StampSettings();

    // Any thread.
    void SetChoice(int32_t index);  // one of STAMP_CHOICES; out of range: ignored
    void SetPrefix(std::string prefix);
    void SetHourOffset(int32_t hours);  // clamped to -12..12
    void SetSeparators(StampSeparators separators);
    StampRule Rule() const;

    // Copies the rule into `rule` when it changed since `seen_version` was
    // taken, and updates it. Once `rule` has held a rule this long, the copy
    // reuses its memory: the per-frame check allocates nothing.
    void Refresh(StampRule &rule, uint64_t &seen_version) const;

  private:
    void Changed() { version_.fetch_add(1, std::memory_order_release); }

    mutable std::mutex mutex_;
    StampRule rule_;
    std::atomic<uint64_t> version_{1};
};

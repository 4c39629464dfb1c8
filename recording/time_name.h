#pragma once

#include <QString>
#include <cstdint>

// The name WinJUPOS reads a recording's time and observer from:
// YYYY-MM-DD-HHMM_T-Observer-Filter-Object, in UTC, T the tenth of a minute
// (the time rounded to the nearest 6 s). An empty field is left out with its
// dash.
QString TimeBasedName(int64_t utc_ns, const QString &observer, const QString &filter,
                      const QString &object);

// A moment in UTC as ISO 8601 to the millisecond, without a zone letter:
// "2026-12-09T14:11:07.425". Truncated, never rounded up into the next second.
QString UtcIsoText(int64_t utc_ns);

// A field as every file system and WinJUPOS take it: plain ASCII (accents
// dropped), letters, digits, "+", "." and "_" kept, anything else (blanks,
// the dash that separates the fields, / \ : * ? " < > |) becomes "_".
QString TimeNameField(const QString &text);

// Gives `file_name` the name `base_name` + its own extension in its own
// folder, never over another file: when the name is taken, "_2", "_3", ...
// follow it. The new path, or empty when no rename was possible (the file
// keeps its name).
QString RenameExclusively(const QString &file_name, const QString &base_name);

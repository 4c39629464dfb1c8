#pragma once

#include <QString>
#include <initializer_list>

// Fills the integer placeholders of a format text, in order: "%d", with an
// optional "0" flag and width ("%03d"), and "%%" for a percent sign. Format
// texts come from language files, so nothing in them is trusted: a
// placeholder without a value, or any other "%" sequence, is copied as it
// stands, and surplus values are ignored.
QString FormatText(const QString &format, std::initializer_list<long long> values);

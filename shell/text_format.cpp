#include "shell/text_format.h"

QString FormatText(const QString &format, std::initializer_list<long long> values) {
    QString result;
    result.reserve(format.size() + 16);
    auto next_value = values.begin();
    const qsizetype n = format.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = format[i];
        if (c != QLatin1Char('%') || i + 1 >= n) {
            result += c;
            continue;
        }
        if (format[i + 1] == QLatin1Char('%')) {
            result += QLatin1Char('%');
            ++i;
            continue;
        }
        qsizetype j = i + 1;
        const bool zero_pad = format[j] == QLatin1Char('0');
        if (zero_pad) {
            ++j;
        }
        int width = 0;
        while (j < n && format[j].isDigit() && width < 100) {
            width = width * 10 + format[j].digitValue();
            ++j;
        }
        if (j < n && format[j] == QLatin1Char('d') && next_value != values.end()) {
            result += QStringLiteral("%1").arg(*next_value, width, 10,
                                               zero_pad ? QLatin1Char('0') : QLatin1Char(' '));
            ++next_value;
            i = j;
            continue;
        }
        result += c;  // not a placeholder we fill: keep the text as it is
    }
    return result;
}

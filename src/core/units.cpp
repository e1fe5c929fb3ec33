#include "core/units.h"

#include <QLocale>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

namespace {

// The general form with at most 15 significant digits, no grouping, no trailing zeros,
// followed by the unit's suffix; built in one go because it runs once per results row.
QString render(double value, std::string_view suffix)
{
    char buffer[96];
    // Whole numbers, the common case, print as integers: quicker, and every digit shows where
    // the 15-digit form would switch to an exponent from 10^15 on. Sizes never reach 2^63.
    const double magnitude = std::fabs(value);
    const bool whole = magnitude < 0x1p63 && value == std::trunc(value);
    // Beyond 15 digits the fraction is what the truncation left: two decimals at most.
    const bool longFraction = !whole && magnitude >= 1e15 && magnitude < 0x1p63;
    const auto result =
        whole          ? std::to_chars(buffer, buffer + 64, static_cast<long long>(value))
        : longFraction ? std::to_chars(buffer, buffer + 64, value, std::chars_format::fixed, 2)
                       : std::to_chars(buffer, buffer + 64, value, std::chars_format::general, 15);
    char* digitsEnd = result.ptr;
    if (longFraction) {
        while (digitsEnd[-1] == '0')
            --digitsEnd;
        if (digitsEnd[-1] == '.') --digitsEnd;
    }
    char* end = std::copy(suffix.begin(), suffix.end(), digitsEnd);
    char* point = std::find(buffer, digitsEnd, '.');
    if (point == digitsEnd) return QString::fromLatin1(buffer, end - buffer);

    const QString separator = QLocale().decimalPoint();
    if (separator.size() == 1 && separator[0].unicode() < 0x80) {
        *point = char(separator[0].unicode());
        return QString::fromLatin1(buffer, end - buffer);
    }
    QString text = QString::fromLatin1(buffer, end - buffer);
    text.replace(point - buffer, 1, separator);
    return text;
}

QString truncatedIn(double size, double divisor, std::string_view suffix)
{
    return render(std::trunc(size / divisor * 100.0) / 100.0, suffix);
}

} // namespace

QString ConvertUnitTo(short unit, double size)
{
    switch (unit) {
    case UnitBytes:
        return render(size, " bytes");
    case UnitKilobytes:
        return truncatedIn(size, 1024.0, " KB");
    case UnitMegabytes:
        return truncatedIn(size, 1048576.0, " MB");
    case UnitGigabytes:
        return truncatedIn(size, 1073741824.0, "GB");
    default:
        return {};
    }
}

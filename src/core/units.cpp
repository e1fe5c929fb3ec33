#include "core/units.h"

#include <QLocale>
#include <charconv>
#include <cmath>

namespace {

// The general form with at most 15 significant digits, no grouping, no trailing zeros.
QString renderNumber(double value)
{
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    QString text = QString::fromLatin1(buffer, result.ptr - buffer);
    const qsizetype point = text.indexOf(u'.');
    if (point >= 0) text.replace(point, 1, QLocale().decimalPoint());
    return text;
}

QString truncatedIn(double size, double divisor, const char* suffix)
{
    const double value = std::trunc(size / divisor * 100.0) / 100.0;
    return renderNumber(value) + QLatin1String(suffix);
}

} // namespace

QString ConvertUnitTo(short unit, double size)
{
    switch (unit) {
    case UnitBytes:
        return renderNumber(size) + QLatin1String(" bytes");
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

#include "core/results_total.h"

#include "core/units.h"
#include "lists/row_list.h"

#include <algorithm>
#include <optional>

void ByteSum::add(std::uint64_t bytes)
{
    std::uint64_t carry = 0;
    for (std::uint32_t& limb : limbs_) {
        const std::uint64_t sum = std::uint64_t(limb) + (bytes & 0xffffffffu) + carry;
        limb = std::uint32_t(sum);
        carry = sum >> 32;
        bytes >>= 32;
    }
}

QString ByteSum::digits() const
{
    // Nine digits at a time: the remainder of dividing by 10^9, limb by limb from the top.
    std::array<std::uint32_t, 4> rest = limbs_;
    QString text;
    for (;;) {
        std::uint64_t remainder = 0;
        for (auto limb = rest.rbegin(); limb != rest.rend(); ++limb) {
            const std::uint64_t value = (remainder << 32) | *limb;
            *limb = std::uint32_t(value / 1000000000u);
            remainder = value % 1000000000u;
        }
        const bool more = std::any_of(rest.begin(), rest.end(), [](std::uint32_t l) { return l; });
        text.prepend(QString::number(remainder).rightJustified(more ? 9 : 0, u'0'));
        if (!more) return text;
    }
}

double ByteSum::toDouble() const
{
    double value = 0;
    for (auto limb = limbs_.rbegin(); limb != limbs_.rend(); ++limb)
        value = value * 4294967296.0 + double(*limb);
    return value;
}

ResultsTotal totalOfTickedRows(const RowList& list)
{
    const int rows = list.count();
    ResultsTotal total;
    for (int row = 1; row <= rows; ++row)
        if (list.checked(row)) ++total.rows;
    total.allRows = total.rows == 0;
    if (total.allRows) total.rows = rows;
    for (int row = 1; row <= rows; ++row) {
        if (!total.allRows && !list.checked(row)) continue;
        if (const std::optional<std::int64_t> bytes = list.size(row))
            total.bytes.add(std::uint64_t(*bytes));
        else
            ++total.withoutSize;
    }
    return total;
}

QString totalMessage(const ResultsTotal& total)
{
    const QString lineBreak = QStringLiteral("\r\n");
    QString text;
    if (total.allRows)
        text += QStringLiteral("No rows are ticked, so every row is counted.") + lineBreak +
                lineBreak + QStringLiteral("Rows: %1").arg(total.rows);
    else
        text += QStringLiteral("Ticked rows: %1").arg(total.rows);
    text += lineBreak + lineBreak + QStringLiteral("Total size:");
    const double bytes = total.bytes.toDouble();
    for (const short unit : {UnitBytes, UnitKilobytes, UnitMegabytes, UnitGigabytes})
        text += lineBreak + ConvertUnitTo(unit, bytes);
    text += lineBreak + lineBreak + QStringLiteral("Exact byte count: ") + total.bytes.digits();
    text += lineBreak + lineBreak +
            (total.allRows ? QStringLiteral("Rows without a size (not in the total): %1")
                           : QStringLiteral("Ticked rows without a size (not in the total): %1"))
                .arg(total.withoutSize);
    return text;
}

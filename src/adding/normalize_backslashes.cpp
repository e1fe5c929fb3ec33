#include "adding/normalize_backslashes.h"

namespace {

// Replaces each non-overlapping pair of separators from `from` on, writing in place.
template <typename Text, typename Char>
void collapsePairs(Text& text, qsizetype from, qsizetype to, Char separator)
{
    const qsizetype length = qsizetype(text.size());
    qsizetype out = to;
    for (qsizetype in = from; in < length; ++in) {
        text[out++] = text[in];
        if (text[in] == separator && in + 1 < length && text[in + 1] == separator) ++in;
    }
    text.resize(decltype(text.size())(out));
}

template <typename Text, typename Char>
void normalize(Text& text, Char separator, qsizetype leadingKept)
{
    const qsizetype length = qsizetype(text.size());
    if (length == 0 || text[0] != separator) {
        collapsePairs(text, 0, 0, separator);
        return;
    }
    qsizetype rest = 1;
    while (rest < length && text[rest] == separator)
        ++rest;
    if (rest < leadingKept) {
        // Fewer leading separators than are kept: make room first.
        text = Text(decltype(text.size())(leadingKept - rest), separator) + text;
        rest = leadingKept;
    }
    collapsePairs(text, rest, leadingKept, separator);
}

} // namespace

QString NormalizeBackslashes(const QString& path)
{
    QString result = path;
    normalize(result, QChar(u'/'), 1);
    return result;
}

void NormalizeBackslashesInPlace(std::string& path)
{
    normalize(path, '/', 1);
}

QString NormalizeBackslashesWindows(const QString& path)
{
    QString result = path;
    normalize(result, QChar(u'\\'), 2);
    return result;
}

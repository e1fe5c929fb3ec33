#pragma once

#include <QString>
#include <string>

// The clean-up every adding road applies to a path it built by joining a folder and a name:
// each pair of separators becomes one, in one left-to-right pass, and a leading run of them
// becomes exactly `leadingKept` (two on the classic desktop, where a network path starts "\\";
// one here, since every absolute POSIX path starts with one). Works on any text whose
// characters compare with `separator`, in place.
template <typename Text, typename Char>
void NormalizeSeparatorPairs(Text& text, Char separator, qsizetype leadingKept)
{
    // Replaces each non-overlapping pair of separators from `from` on, writing from `to`.
    const auto collapsePairs = [&](qsizetype from, qsizetype to) {
        const qsizetype length = qsizetype(text.size());
        qsizetype out = to;
        for (qsizetype in = from; in < length; ++in) {
            text[out++] = text[in];
            if (text[in] == separator && in + 1 < length && text[in + 1] == separator) ++in;
        }
        text.resize(decltype(text.size())(out));
    };
    const qsizetype length = qsizetype(text.size());
    if (length == 0 || text[0] != separator) return collapsePairs(0, 0);
    qsizetype rest = 1;
    while (rest < length && text[rest] == separator)
        ++rest;
    if (rest < leadingKept) {
        // Fewer leading separators than are kept: make room first.
        text = Text(decltype(text.size())(leadingKept - rest), separator) + text;
        rest = leadingKept;
    }
    collapsePairs(rest, leadingKept);
}

// The platform's form: "/" pairs, one leading separator.
QString NormalizeBackslashes(const QString& path);
// The same on a native (UTF-8) path, in place; the separator is ASCII, so bytes will do.
void NormalizeBackslashesInPlace(std::string& path);

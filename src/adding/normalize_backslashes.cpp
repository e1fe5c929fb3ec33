#include "adding/normalize_backslashes.h"

QString NormalizeBackslashes(const QString& path)
{
    QString result = path;
    NormalizeSeparatorPairs(result, QChar(u'/'), 1);
    return result;
}

void NormalizeBackslashesInPlace(std::string& path)
{
    NormalizeSeparatorPairs(path, '/', 1);
}

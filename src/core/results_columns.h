#pragma once

#include <QString>

// The results list's columns, as its header and the workbook's title row name them: the path,
// then the size text (sub-item 1).
namespace ResultsColumns {

inline QString filename()
{
    return QStringLiteral("Filename");
}
inline QString fileSize()
{
    return QStringLiteral("File Size");
}

} // namespace ResultsColumns

#pragma once

#include "base/runtime_error.h"
#include "core/command_context.h"

class ErrorTrap;
class EventPump;
class Notices;
class RowList;
class SpreadsheetLauncher;
class SpreadsheetWorkbook;

// The column titles and the ticked results rows into the workbook's sheet, as the export writes
// them: titles in row 1, results row r in sheet row r + 1, the columns fitted. A missing
// workbook (nullptr) fails each step as an unset object would; each failing step is reported
// through `trap` and the rest go on. Ticked rows past the sheet's end are left out, and
// `notices` is told how many once.
void WriteResultsSheet(RowList& results, SpreadsheetWorkbook* workbook, ErrorTrap& trap,
                       EventPump& events, Notices& notices);

// An automation object that was never created: each use fails as an unset object would.
template <typename Object> Object& existingObject(Object* object)
{
    if (!object)
        throw RuntimeError(RuntimeError::ObjectNotSet,
                           QStringLiteral("Object variable or With block variable not set"));
    return *object;
}

#pragma once

#include <QString>

class RowList;

// Removes the rows whose text contains `text`, ignoring case. Every row is tested before any
// goes, the survivors keep their order, and the removal is one pass however many rows match.
void RemoveRowsContaining(RowList& list, const QString& text);
// The same for the rows whose text does not contain `text`.
void RemoveRowsNotContaining(RowList& list, const QString& text);

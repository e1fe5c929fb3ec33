#pragma once

#include <QString>

class Dialogs;
class ErrorTrap;
class RowList;
class WindowPointer;

// Removes the rows whose text contains `text`, ignoring case. Every row is tested before any
// goes, the survivors keep their order, and the removal is one pass however many rows match.
void RemoveRowsContaining(RowList& list, const QString& text);
// The same for the rows whose text does not contain `text`.
void RemoveRowsNotContaining(RowList& list, const QString& text);

enum class SubstringFilter { Containing, NotContaining };

// The four "Remove ... X" buttons: ask for a text and, unless none was typed, filter the list
// with it under the busy pointer. Reports through the caller's trap, lines 100 to 108.
void RunSubstringCommand(ErrorTrap& trap, Dialogs& dialogs, WindowPointer& pointer, RowList& list,
                         SubstringFilter filter);

// Double-click and the Delete key: remove the selected row unless the window is busy.
void RemoveSelectedRow(RowList& list, const WindowPointer& pointer);

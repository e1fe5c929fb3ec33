#pragma once

#include <QByteArray>
#include <QString>
#include <string>
#include <vector>

class Clipboard;
class EventPump;
class RowList;

// Places the ticked rows of a list on the clipboard, one line each: every column padded with
// blanks to the widest text of that column over all rows, columns separated by tabs, blanks
// at the end of a line dropped, lines ended by CR LF. An empty list leaves the clipboard alone.
// Errors reach the caller.
void CopyListViewToClipboard(RowList& list, Clipboard& clipboard, EventPump& events);

// The text CopyListViewToClipboard places, for a list with rows, as UTF-8.
QByteArray ClipboardTextOfTickedRows(RowList& list, EventPump& events);

// The clipboard's layout, a piece at a time, for whoever writes the lines elsewhere:
// - the width of each column of rows 1 to `rows`: its longest text, ticked row or not, counted
//   in the characters the list shows;
std::vector<qsizetype> ClipboardColumnWidths(const RowList& list, int rows, EventPump& events);
// - one row's line, without its line end, appended to `line`: each column padded with blanks to
//   its width and followed by a tab, the last tab and then the blanks at the end dropped. The
//   texts keep their bytes, UTF-8 or not.
void AppendClipboardLine(std::string& line, const RowList& list, int row,
                         const std::vector<qsizetype>& widths, EventPump& events);

// Empties the clipboard, trying up to 1000 times while it refuses.
void ClearClipboard(Clipboard& clipboard);

// Places a text on the clipboard, trying up to 1000 times while it refuses. An empty format
// is plain text; any other is the data format to offer the text as. True when it was placed.
bool SetClipboardText(Clipboard& clipboard, const QByteArray& utf8, const QString& format = {});
inline bool SetClipboardText(Clipboard& clipboard, const QString& text, const QString& format = {})
{
    return SetClipboardText(clipboard, text.toUtf8(), format);
}

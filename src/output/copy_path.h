#pragma once

class Clipboard;
class RowList;

// "Copy Path": the selected row's path, as plain text, on the clipboard. Nothing without a
// selected row.
class CopyPath
{
public:
    CopyPath(RowList& list, Clipboard& clipboard);

    void run();

private:
    RowList& list_;
    Clipboard& clipboard_;
};

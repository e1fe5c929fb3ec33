#pragma once

#include <QByteArray>

// The desktop's file manager, as far as the program asks anything of it.
class FileManager
{
public:
    virtual ~FileManager() = default;
    // Asks it to show a file, selected, in its folder; the path is the file system's bytes.
    // True when a file manager said it will; false when none is there or none answered in time.
    virtual bool showItem(const QByteArray& nativePath) = 0;
};

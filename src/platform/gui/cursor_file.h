#pragma once

#include <QCursor>
#include <QString>

// Pointer images from .cur and .ico files. Qt's icon reader drops a cursor's hotspot, so the
// hotspot is read from the file's first directory entry; an icon used as a pointer points
// with its centre. Throws RuntimeError 53 when the file cannot be read and 481 when it is no
// picture.
QCursor loadCursorFile(const QString& path);

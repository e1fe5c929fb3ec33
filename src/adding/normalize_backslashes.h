#pragma once

#include <QString>
#include <string>

// The clean-up every adding road applies to a path it built by joining a folder and a name:
// each pair of separators becomes one, in one left-to-right pass.

// The platform's form. A leading run of separators becomes exactly one, since every absolute
// POSIX path starts with one.
QString NormalizeBackslashes(const QString& path);
// The same on a native (UTF-8) path, in place; the separator is ASCII, so bytes will do.
void NormalizeBackslashesInPlace(std::string& path);

// The Windows form: a leading run of backslashes becomes exactly two, so a network path keeps
// its "\\" prefix.
QString NormalizeBackslashesWindows(const QString& path);

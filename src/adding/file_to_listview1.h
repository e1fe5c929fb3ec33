#pragma once

#include "adding/list_file_lines.h"

#include <QString>
#include <cstddef>

class EventPump;
class Notices;
class RowList;

namespace FileSystem {
class SequentialFile;
} // namespace FileSystem

// Plain-text list files: one row per line.
namespace FileToListview1 {

// Bytes read at a time.
constexpr std::size_t kReadBufferBytes = 64 * 1024;

// Appends one row per line of the list file, each line unchanged (see ListFileLines). The file
// is read a buffer at a time, so memory follows the rows added. A line longer than any path can
// be is left out, and `notices` is told once for the file how many were. A missing file is told
// so; other failures reach the caller, and the rows before them stay. The window gets wait
// rounds while a long file loads.
void LoadListFile(RowList& list, const QString& path, Notices& notices, EventPump& events,
                  ListFileLines::RowEnds ends = ListFileLines::RowEnds::WindowLines);
// The same for a list already open (standard input, say), read to its end; `name` is how the
// text about left-out lines names it.
void LoadListLines(RowList& list, FileSystem::SequentialFile& file, const QString& name,
                   Notices& notices, EventPump& events,
                   ListFileLines::RowEnds ends = ListFileLines::RowEnds::WindowLines);

} // namespace FileToListview1

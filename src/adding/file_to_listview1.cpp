#include "adding/file_to_listview1.h"

#include "adding/list_file_lines.h"
#include "lists/row_list.h"
#include "platform/dialogs.h"
#include "platform/event_pump.h"
#include "platform/file_system.h"

#include <memory>
#include <string_view>

namespace {

// Rows between two looks at the clock for a wait round.
constexpr int kRowsPerClockLook = 1024;

// Rows that cannot be paths were left out of a list file: said once for the file.
QString leftOutText(const QString& path, std::size_t count, std::size_t firstLine)
{
    // All at once, so that a "%" in the path stays as it is.
    const QString limit = QString::number(ListFileLines::kLongestRow);
    if (count == 1)
        return QStringLiteral("Line %1 of %2 was left out: it is longer than any path can be "
                              "(more than %3 bytes).")
            .arg(QString::number(firstLine), path, limit);
    return QStringLiteral("%1 lines of %2 were left out, the first of them line %3: they are "
                          "longer than any path can be (more than %4 bytes).")
        .arg(QString::number(count), path, QString::number(firstLine), limit);
}

} // namespace

namespace FileToListview1 {

void LoadListFile(RowList& list, const QString& path, Notices& notices, EventPump& events,
                  ListFileLines::RowEnds ends)
{
    if (!FileExistsByDate(path)) {
        notices.tell(QStringLiteral("File not found"));
        return;
    }
    FileSystem::SequentialFile file(path);
    LoadListLines(list, file, path, notices, events, ends);
}

void LoadListLines(RowList& list, FileSystem::SequentialFile& file, const QString& name,
                   Notices& notices, EventPump& events, ListFileLines::RowEnds ends)
{
    const Progress::Stage stage(events.progress(), Progress::Work::Reading,
                                Progress::Place::FileList);
    int rows = 0;
    ListFileLines lines(
        [&](std::string_view row) {
            list.addUtf8(row);
            events.progress().setDone(++rows);
            if (rows % kRowsPerClockLook == 0) events.processWaitRound();
        },
        ends);
    // A buffer at a time, with a wait round after each, so that a file of one endless line
    // neither fills the memory nor keeps the window from its rounds.
    const auto buffer = std::make_unique<char[]>(kReadBufferBytes);
    while (const std::size_t got = file.read(buffer.get(), kReadBufferBytes)) {
        lines.feed(std::string_view(buffer.get(), got));
        events.processWaitRound();
    }
    lines.finish();
    if (lines.rowsLeftOut() > 0)
        notices.tell(leftOutText(name, lines.rowsLeftOut(), lines.firstLineLeftOut()));
}

} // namespace FileToListview1

#include "adding/file_to_listview1.h"

#include "adding/add_files.h"
#include "core/error_trap.h"
#include "core/window_pointer.h"
#include "lists/row_list.h"
#include "platform/dialogs.h"
#include "platform/event_pump.h"
#include "platform/file_system.h"

#include <QStringDecoder>
#include <QStringList>
#include <string>
#include <string_view>

namespace {
// Lines between two looks at the clock for a held round.
constexpr int kLinesPerClockLook = 1024;
} // namespace

namespace FileToListview1 {

void LoadListFile(RowList& list, const QString& path, Dialogs& dialogs, EventPump& events)
{
    if (!FileExistsByDate(path)) {
        dialogs.inform(QStringLiteral("File not found"));
        return;
    }
    std::string bytes = FileSystem::readWholeFile(path);
    std::string_view text(bytes);
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    } else if (text.substr(0, 2) == "\xFF\xFE" || text.substr(0, 2) == "\xFE\xFF") {
        // Editors on other desktops save lists as UTF-16; the rows keep UTF-8 like the rest.
        QStringDecoder decoder(text[0] == '\xFF' ? QStringConverter::Utf16LE
                                                 : QStringConverter::Utf16BE);
        const QString decoded =
            decoder.decode(QByteArrayView(text.data() + 2, qsizetype(text.size() - 2)));
        bytes = decoded.toStdString();
        text = bytes;
    }

    for (int lines = 1; !text.empty(); ++lines) {
        if (lines % kLinesPerClockLook == 0) events.processHeldEvents();
        // One line: up to a CR, which may be followed by an LF.
        const std::size_t end = text.find('\r');
        std::string_view line = text.substr(0, end);
        if (end == std::string_view::npos) {
            text = {};
        } else {
            text.remove_prefix(end + 1);
            if (!text.empty() && text.front() == '\n') text.remove_prefix(1);
        }
        // A bare LF does not end the line as read, so split at it afterwards.
        for (std::size_t feed = line.find('\n'); feed != std::string_view::npos;
             feed = line.find('\n')) {
            list.addUtf8(line.substr(0, feed));
            line.remove_prefix(feed + 1);
        }
        list.addUtf8(line);
    }
}

} // namespace FileToListview1

LoadFileList::LoadFileList(RowList& files, WindowPointer& pointer, Dialogs& dialogs,
                           ErrorReporter& errors, EventPump& events)
    : files_(files), pointer_(pointer), dialogs_(dialogs), errors_(errors), events_(events)
{
}

void LoadFileList::run()
{
    ErrorTrap trap(errors_, QStringLiteral("Form1"), QStringLiteral("PushButton3_Click"));
    QString chosen;
    trap.line(100, [&] {
        chosen = dialogs_.openFile({QStringLiteral("Load List(s) - Hold Ctrl to select multiple "
                                                   "list files"),
                                    QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"),
                                    true});
    });
    QStringList paths; // none after Cancel
    trap.line(102, [&] { paths = SelectedPaths(chosen); });
    trap.line(104, [&] { pointer_.setMousePointer(PointerSetting::Busy); });
    for (const QString& path : paths) // 106
        trap.line(108, [&] { FileToListview1::LoadListFile(files_, path, dialogs_, events_); });
    trap.line(114, [&] { pointer_.setMousePointer(PointerSetting::Default); });
}

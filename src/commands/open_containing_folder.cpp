#include "commands/open_containing_folder.h"

#include "commands/locations.h"
#include "core/error_trap.h"
#include "lists/row_list.h"
#include "platform/dialogs.h"
#include "platform/file_manager.h"
#include "platform/file_system.h"
#include "platform/shell.h"

#include <string_view>

OpenContainingFolder::OpenContainingFolder(RowList& list, FileManager& fileManager, Shell& shell,
                                           const CommandContext& context)
    : list_(list), fileManager_(fileManager), shell_(shell), context_(context)
{
}

QByteArray OpenContainingFolder::folderOf(const QByteArray& nativePath)
{
    // A separator at the very end belongs to the name, as it does in the results list.
    const qsizetype slash = nativePath.lastIndexOf('/', nativePath.size() - 2);
    if (slash < 0) return QByteArrayLiteral(".");
    if (slash == 0) return QByteArrayLiteral("/");
    return nativePath.left(slash);
}

QString OpenContainingFolder::goneMessage(const QString& path)
{
    return QStringLiteral("This file no longer exists:\r\n\r\n") + path;
}

QString OpenContainingFolder::nothingShowsMessage(const QString& folder)
{
    return QStringLiteral("No file manager or other program could show this folder:\r\n\r\n") +
           folder;
}

bool OpenContainingFolder::applies() const
{
    return list_.selectedRow() > 0;
}

void OpenContainingFolder::run()
{
    ErrorTrap trap(context_.errors, Handler::OpenContainingFolder);
    int row = 0;
    if (!trap.line(100, [&] { row = list_.selectedRow(); }) || row == 0) return;
    QByteArray path;
    // The row's bytes as they are, so a name that is not UTF-8 still names its file.
    if (!trap.line(102, [&] {
            const std::string_view bytes = list_.textUtf8(row);
            path = QByteArray(bytes.data(), qsizetype(bytes.size()));
        }))
        return;
    if (trap.test(104, [&] { return !FileSystem::entryExistsAt(path); })) {
        trap.line(106, [&] { context_.dialogs.inform(goneMessage(list_.text(row))); });
        return;
    }
    trap.line(108, [&] {
        if (fileManager_.showItem(path)) return;
        // Without a word the user would not know that nothing will come.
        const QString folder = QString::fromUtf8(folderOf(path));
        if (!shell_.openFolder(folder)) context_.dialogs.inform(nothingShowsMessage(folder));
    });
}

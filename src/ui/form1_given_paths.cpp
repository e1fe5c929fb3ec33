#include "adding/drop_files.h"
#include "platform/file_system.h"
#include "ui/form1.h"

// Paths that reach the window from outside it, through the program's arguments.

void Form1::addGivenPaths(const QByteArrayList& paths)
{
    running_.whenIdle([this, paths] {
        QByteArrayList present;
        for (const QByteArray& path : paths) {
            // A drop only ever carries what exists; a typed path may name nothing. A dangling
            // link is still an entry, as the drop would take it.
            if (FileSystem::entryExistsAt(path)) present << path;
        }
        runCommand(CommandScope::Input::LetThrough,
                   [&] { DropFiles::addDroppedItems(files_, present, errors_, platform_.events); });
    });
}
